#pragma once

#include "core/facts.h"
#include "core/outcome.h"

#include <QString>

// What a run knows when it ends, for saying what to try next.
struct FattiDellaCorsa
{
    QString indirizzo, indirizzo_access_point;
    quint16 porta = 0;
    bool access_point_chiesto = false; // --switch-to-ap
    Fatti fatti;                       // of the run's last step
};

// What to try next after an outcome of this kind, in `lingua`; empty when
// there is nothing to add.
QString suggerimento(TipoEsito tipo, const FattiDellaCorsa &fatti, int lingua);

// Every exit code, the classes that give it and what they mean, for --help:
// lines of at most 80 columns.
QString elenco_codici();
