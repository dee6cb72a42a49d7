#pragma once

#include "tools/bench/resource_usage.h"

// How a run of kestra-flash went, as its JSON lines and exit code tell.
struct EsecuzioneFlash
{
    QString errore;         // it did not start, or did not end in time
    int codice_uscita = -1;
    int rinvii = 0;         // "resends" of its "done" event
    qint64 identita_ns = -1; // when its "identity" line reached this process
    qint64 verificato_ns = -1; // when its "verified" line did
};

// kestra-flash, the one beside this program, run as a process that updates
// the device of the simulator at 127.0.0.1:`porta` with `file` (--yes --json).
// It inherits this process's environment, XDG_DATA_HOME included.
EsecuzioneFlash esegui_flash(quint16 porta, const QString &file);

// The same, timed from its "identity" event to its "verified" event, as the
// lines reach this process: the erase question answered by --yes, the
// erase, every half page and the verification, what the window's figure
// times between its two clicks. No CPU time is measured.
Misura misura_flash(quint16 porta, const QString &file);

// The whole run, from the start of the process to its end.
Misura misura_flash_intero(quint16 porta, const QString &file);
