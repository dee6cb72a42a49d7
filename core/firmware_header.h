#pragma once

#include <QByteArray>
#include <QByteArrayView>

inline constexpr int lunghezza_intestazione = 15;

// The 15-byte header at the start of a ".BIN" firmware file.
struct IntestazioneFirmware
{
    char tipo_cpu = 0;           // offset 1
    int versione_bootloader = 0; // 10 * offset 4 + offset 5
    int fw_maggiore = 0;         // offset 6
    int fw_minore = 0;           // offset 7, two BCD digits
    QByteArray scheda_file;      // offsets 9..12
    int crc_alto = 0;            // offset 13
    int crc_basso = 0;           // offset 14

    qint32 crc16() const { return crc_alto * 256 + crc_basso; }
};

// Reads the header from the first bytes of a file. Bytes missing from a
// file shorter than the header count as 0 (an empty board for offsets 9..12).
IntestazioneFirmware leggi_intestazione(QByteArrayView primi_byte);

// Bootloader version 1.2 and 1.3 (values 12 and 13) are the ones supported.
bool bootloader_supportato(int versione_bootloader);
