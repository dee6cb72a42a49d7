#include "sim/sample_firmware.h"

#include <algorithm>

namespace {

constexpr CpuFirmware tipi[] = {
    {'t', "STM32F0", 64},
    {'s', "STM32F1", 128},
    {'W', "WGM110", 756},
};

// Offsets in the header.
enum Posizione : qsizetype {
    pos_cpu = 1,
    pos_bootloader = 4, // the version's two digits, 1 and 2
    pos_maggiore = 6,
    pos_minore = 7,
    pos_scheda = 9,
    pos_crc = 13, // high byte first
};

} // namespace

const CpuFirmware *cerca_cpu_firmware(char lettera)
{
    const auto trovato = std::ranges::find(tipi, lettera, &CpuFirmware::lettera);
    return trovato == std::end(tipi) ? nullptr : trovato;
}

QByteArray immagine_campione(qsizetype dimensione)
{
    QByteArray immagine(dimensione, Qt::Uninitialized);
    // 167 is odd, so within a page i * 167 takes every value modulo 256 once.
    for (qsizetype i = 0; i < dimensione; ++i)
        immagine[i] = char(i * 167 + i / pagina_dispositivo * 13);
    return immagine;
}

QByteArray file_firmware(const FirmwareCampione &firmware)
{
    const QByteArray immagine = immagine_campione(firmware.dimensione);
    const quint16 crc = crc16_pagine(immagine);
    QByteArray intestazione(lunghezza_intestazione_firmware, '\0');
    intestazione[pos_cpu] = firmware.cpu;
    intestazione[pos_bootloader] = 1;
    intestazione[pos_bootloader + 1] = 2;
    intestazione[pos_maggiore] = char(firmware.maggiore);
    intestazione[pos_minore] = char(firmware.minore);
    QByteArray scheda = firmware.scheda.first(qMin(firmware.scheda.size(), lunghezza_scheda_firmware));
    scheda.resize(lunghezza_scheda_firmware, ' ');
    intestazione.replace(pos_scheda, lunghezza_scheda_firmware, scheda);
    intestazione[pos_crc] = char(crc >> 8);
    intestazione[pos_crc + 1] = char(crc & 0xFF);
    return intestazione + immagine;
}
