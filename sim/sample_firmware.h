#pragma once

#include "sim/device_model.h"

#include <QByteArray>

// A firmware file (".BIN") to try an update with: the 15-byte header, its
// CRC16 the image's, then the image.

inline constexpr int lunghezza_intestazione_firmware = 15;
inline constexpr int lunghezza_scheda_firmware = 4;

// A CPU type a firmware file may name, one row a type.
struct CpuFirmware
{
    char lettera; // at offset 1 of the file
    const char *nome;
    int kb_area; // the most an image may fill, 1024 bytes a KB
};

// The row for a letter (exact, case-sensitive), or nullptr.
const CpuFirmware *cerca_cpu_firmware(char lettera);

struct FirmwareCampione
{
    char cpu = 's';                                // a letter cerca_cpu_firmware() knows
    qsizetype dimensione = 5000;                   // bytes of the image
    QByteArray scheda = IdentitaSimulata{}.scheda; // padded with blanks to lunghezza_scheda_firmware
    quint8 maggiore = 3;
    quint8 minore = 0x05; // two BCD digits
};

// `dimensione` bytes, always the same for the same size: every whole page
// holds each byte value once, 0x00 and 0xFF among them, in an order of its own.
QByteArray immagine_campione(qsizetype dimensione);

// The header (bootloader 1.2) and the image.
QByteArray file_firmware(const FirmwareCampione &firmware);
