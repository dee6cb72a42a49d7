#pragma once

#include "tools/bench/resource_usage.h"

#include <QString>

// The real window, offscreen, with scripted dialogs, against the simulator at
// 127.0.0.1:`porta`; `cartella` is its program folder.

// Connects, opens `file`, identifies the device, then measures the transfer
// (Command2) and the verification (Command4) together.
Misura misura_aggiornamento(quint16 porta, const QString &file, const QString &cartella);

// Measures the connect click (Command5) at an address other than the Access
// Point's: the whole wait for the first data of a module that stays silent.
Misura misura_attesa_silenziosa(quint16 porta, const QString &cartella);

// How a whole update of the window ended.
struct FineAggiornamento
{
    QString errore; // it could not be carried out: the link or the file failed first
    QString stato;  // the status line at the end (Text2)
};

// Connects, opens `file`, identifies the device, transfers and, when the
// transfer completes, verifies; the status line tells the outcome.
FineAggiornamento aggiorna_con_finestra(quint16 porta, const QString &file, const QString &cartella);
