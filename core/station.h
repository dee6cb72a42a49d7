#pragma once

#include <QString>

// The station an update runs on, as its records name it: the one given (an
// option, a configuration file), else the variable KESTRA_STATION, else the
// machine's host name.
QString nome_stazione(const QString &data = {});

// The account the program runs as.
QString nome_utente();
