#include "tools/bench/sample_image.h"

#include "core/firmware_header.h"
#include "engine/updater.h"
#include "testing/recorded_report.h"
#include "testing/scripted_link.h"

#include <QRandomGenerator>

QByteArray file_campione(const CampioneFirmware &campione)
{
    QByteArray file(lunghezza_intestazione, '\0');
    file[1] = campione.cpu;
    file[4] = 1; // bootloader 1.2
    file[5] = 2;
    QByteArray immagine(qsizetype(campione.kib) * 1024, Qt::Uninitialized);
    // A fixed seed: every run and every machine sends the same bytes.
    QRandomGenerator casuale(quint32(campione.cpu));
    for (char &byte : immagine)
        byte = char(casuale.bounded(256));
    return file + immagine;
}

QList<QByteArray> comandi_aggiornamento(const QString &percorso)
{
    const QString ap = QStringLiteral("access point");
    CollegamentoScriptato link;
    RapportoRegistrato rapporto;
    rapporto.risposte = {risposta_si};
    Aggiornatore aggiornatore(link, rapporto, ap);
    aggiornatore.imposta_indirizzo(ap);
    aggiornatore.connetti();
    aggiornatore.apri(percorso);
    aggiornatore.identifica();
    link.comandi.clear();
    aggiornatore.trasferisci();
    aggiornatore.aggiorna();
    return link.comandi;
}
