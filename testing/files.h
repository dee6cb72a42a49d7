#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes a file whole and returns its path; a test cannot go on without it.
inline QString scrivi_file(const QString &percorso, const QByteArray &contenuto)
{
    QFile file(percorso);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contenuto) != contenuto.size())
        qFatal("cannot write %s", qPrintable(percorso));
    return percorso;
}

// A file's bytes, or "(none)" when it cannot be read.
inline QByteArray leggi_file(const QString &percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// A firmware file: the 15-byte header for a CPU letter and a bootloader
// version (firmware 2.13, board "BRD1", stored CRC 1A98), then the image.
inline QByteArray firmware(char cpu, const QByteArray &dati, int bl_intero = 1, int bl_decimi = 2)
{
    return QByteArray(1, '\0') + cpu + QByteArray(2, '\0') + char(bl_intero) + char(bl_decimi)
           + QByteArray("\x02\x13\0BRD1\x1A\x98", 9) + dati;
}

// Image bytes that differ from page to page and include 0x00 and 0xFF.
inline QByteArray dati_di_prova(int lunghezza)
{
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (int i = 0; i < lunghezza; ++i)
        dati[i] = char((i * 31 + i / 251) % 256);
    return dati;
}

// An image filled up to whole pages of 256 bytes with 0xFF, as it is sent.
inline QByteArray a_pagine_intere(QByteArray dati)
{
    dati.resize((dati.size() + 255) / 256 * 256, '\xFF');
    return dati;
}

// The device's CRC16 written out from its definition: from 0xFFFF, data bits
// least significant first, the register shifted right, 0x1021 applied after
// the shift.
inline quint16 crc_del_dispositivo(QByteArrayView byte)
{
    quint16 registro = 0xFFFF;
    for (const char c : byte) {
        registro ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            registro = (registro & 1) ? quint16((registro >> 1) ^ 0x1021) : quint16(registro >> 1);
    }
    return registro;
}

// A sound firmware file: its header gives the CRC16 of its image in pages,
// and names `scheda` (by default the board the scripted link and the
// simulator report); bootloader 1.2.
inline QByteArray firmware_integro(char cpu, const QByteArray &dati, const QByteArray &scheda = "KR01")
{
    const quint16 crc = crc_del_dispositivo(a_pagine_intere(dati));
    return firmware(cpu, dati).replace(9, 6, scheda + char(crc >> 8) + char(crc & 0xFF));
}
