#pragma once

#include "texts/language.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The page counters of the protocol are 16-bit: at most 32,767 pages.
inline constexpr int pagine_massime = 32767;

// The image of a firmware file, read again from disk for a transfer: the
// bytes after the 15-byte header, or why there is nothing sound to write.
struct ImmagineFirmware
{
    QByteArray dati;
    std::optional<Testo> errore;
};

ImmagineFirmware leggi_immagine(const QString &percorso);

// Pages of 256 bytes needed for `lunghezza` bytes of image.
int numero_pagine(qsizetype lunghezza);

// Page n of the image; the last one is filled up with 0xFF.
QByteArray pagina(const QByteArray &dati, int n);
