#pragma once

#include "cli/console.h"
#include "cli/outcomes.h"

// How a run ended, as its closing lines tell it.
struct Chiusura
{
    int codice = 0;
    Esito esito;
    FattiDellaCorsa corsa;
    bool scritto = false; // a transfer completed: its summary is told
    bool saltato = false; // --skip-if-current found nothing to do
    qint64 durata_ms = 0;
    bool solo_dati = false; // standard output carries the data alone: no events
};

// The closing lines of a run on standard error, and its last events: the
// summary of a transfer, what to try next, whether the device is left
// erased, the exit code; `error` (on failure) and `done` in JSON.
void riepiloga(Console &console, const Chiusura &chiusura);

// Only the last events, for a run that never started (bad options).
void eventi_finali(Console &console, const Chiusura &chiusura);
