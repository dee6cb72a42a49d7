#pragma once

#include "core/checksums.h"
#include "core/language.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

struct TipoCpu;

// The image of a firmware file, read again from disk for a transfer: the
// bytes after the 15-byte header, or why there is nothing sound to write.
struct ImmagineFirmware
{
    QByteArray dati;
    std::optional<Testo> errore;
};

// Nothing is read when the file no longer starts with the header it had when
// it was opened (`intestazione_aperta`), or when its image does not fit the
// area of the CPU type.
ImmagineFirmware leggi_immagine(const QString &percorso, QByteArrayView intestazione_aperta, const TipoCpu &tipo);

// Pages of 256 bytes needed for `lunghezza` bytes of image.
int numero_pagine(qsizetype lunghezza);

// Page n of the image; the last one is filled up with 0xFF.
QByteArray pagina(const QByteArray &dati, int n);

// The CRC16 of the image's pages, the last filled up with 0xFF, from 0xFFFF:
// what the transfer sends and the bootloader checks.
RegistroCrc crc_pagine(const QByteArray &dati);

// The CRC16 a firmware file's header gives, and the one of its image.
struct CrcFirmware
{
    qint32 intestazione;
    qint32 immagine;
};

// Nothing when the file cannot be read.
std::optional<CrcFirmware> leggi_crc_firmware(const QString &percorso);
