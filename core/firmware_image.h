#pragma once

#include "core/checksums.h"

#include <QByteArray>
#include <QByteArrayView>

// Pages of 256 bytes needed for `lunghezza` bytes of image.
int numero_pagine(qsizetype lunghezza);

// Page n of the image; the last one is filled up with 0xFF.
QByteArray pagina(const QByteArray &dati, int n);

// The CRC16 of the image's pages, the last filled up with 0xFF, from 0xFFFF:
// what the transfer sends and the bootloader checks.
RegistroCrc crc_pagine(const QByteArray &dati);
