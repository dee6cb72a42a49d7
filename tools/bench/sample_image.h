#pragma once

#include <QByteArray>
#include <QList>

// A firmware file for the benchmark: the header names the CPU letter and
// bootloader 1.2, the image is `kib` KiB of random bytes.
struct CampioneFirmware
{
    char cpu;
    int kib;
};

QByteArray file_campione(const CampioneFirmware &campione);

// Every command the updater sends to erase, write and verify `immagine` (the
// bytes after the header) on a CPU of type `codice_cpu`, in order.
QList<QByteArray> comandi_aggiornamento(const QByteArray &immagine, int codice_cpu);
