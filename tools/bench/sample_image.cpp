#include "tools/bench/sample_image.h"

#include "core/firmware_file.h"
#include "core/firmware_image.h"
#include "engine/updater.h"
#include "testing/recorded_report.h"
#include "testing/scripted_link.h"

#include <QRandomGenerator>

QByteArray file_campione(const CampioneFirmware &campione)
{
    QByteArray immagine(qsizetype(campione.kib) * 1024, Qt::Uninitialized);
    // A fixed seed: every run and every machine sends the same bytes.
    QRandomGenerator casuale(quint32(campione.cpu));
    for (char &byte : immagine)
        byte = char(casuale.bounded(256));
    // Bootloader 1.2, the simulator's board, and the CRC16 of the image, as a sound file has.
    const RegistroCrc crc = crc_pagine(immagine);
    QByteArray file = QByteArray(1, '\0') + campione.cpu + QByteArray(2, '\0') + "\x01\x02" + QByteArray(3, '\0')
                      + "KR01" + char(crc.crc_alto) + char(crc.crc_basso);
    return file + immagine;
}

QList<QByteArray> comandi_aggiornamento(const QString &percorso)
{
    const QString ap = QStringLiteral("access point");
    CollegamentoScriptato link;
    RapportoRegistrato rapporto;
    rapporto.risposte = {Risposta::Si};
    Aggiornatore aggiornatore(link, rapporto, ap);
    aggiornatore.imposta_indirizzo(ap);
    aggiornatore.connetti();
    aggiornatore.apri(percorso_di(percorso));
    aggiornatore.identifica();
    link.comandi.clear();
    aggiornatore.trasferisci();
    aggiornatore.aggiorna();
    return link.comandi;
}
