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
    QString file;                      // the firmware file, as given
    Fatti fatti;                       // of the run's last step
};

// What to try next after an outcome of this kind, in `lingua`; empty when
// there is nothing to add.
QString suggerimento(TipoEsito tipo, const FattiDellaCorsa &fatti, int lingua);

// A warning as kestra-flash tells it: one about the firmware file names it
// ("Open firmware: /fw/FW.BIN: File not found").
QString testo_avviso(Avviso avviso, const QStringList &valori, int lingua, const QString &file);

// The text of an outcome, a warning about the firmware file naming it.
QString testo_esito(const Esito &esito, int lingua, const QString &file);

// Every exit code, the classes that give it and what they mean, for --help:
// lines of at most 80 columns.
QString elenco_codici();
