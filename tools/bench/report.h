#pragma once

#include "tools/bench/sample_image.h"

#include <QList>

// What the runs of one sample image measured, one entry per run.
struct RisultatiCampione
{
    CampioneFirmware campione;
    qsizetype scambi = 0; // commands sent, each answered once
    QList<double> aggiornamento_s;
    QList<double> aggiornamento_cpu_s;
    QList<double> flash_s; // kestra-flash
    QList<double> pavimento_s;
    QList<double> pavimento_scambio_massimo_ms;
    long memoria_picco_kib = 0;
};

// What the runs of the wait on a silent module measured, one entry per run.
struct RisultatiAttesa
{
    QList<double> secondi;
    QList<double> cpu_s;
};

// What the whole runs over a link with a round trip measured, one entry per run.
struct RisultatiCollegamento
{
    int latenza_ms = 0, scrittura_ms = 0;
    QList<double> flash_s;     // kestra-flash, from the start of its process to its end
    QList<double> pavimento_s; // a bare client, from connecting to the verdict
};

void stampa_intestazione(int prove, quint16 porta);
void stampa_collegamento(const RisultatiCollegamento &risultati);
void stampa_campione(const RisultatiCampione &risultati);
void stampa_attesa(const RisultatiAttesa &risultati);
