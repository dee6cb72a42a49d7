#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A firmware file for the benchmark: the header names the CPU letter,
// bootloader 1.2, the simulator's board and the image's CRC16; the image is
// `kib` KiB of random bytes.
struct CampioneFirmware
{
    char cpu;
    int kib;
};

QByteArray file_campione(const CampioneFirmware &campione);

// Every command the updater sends to erase, write and verify the firmware
// file at `percorso`, in order, as the engine sends them to a device that
// accepts everything.
QList<QByteArray> comandi_aggiornamento(const QString &percorso);
