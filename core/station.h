#pragma once

#include <QString>

// The station an update runs on, as its records name it: the one given (an
// option), else the variable KESTRA_STATION, else the configured one (a
// configuration file's), else the machine's host name.
QString nome_stazione(const QString &data = {}, const QString &configurata = {});

// The account the program runs as.
QString nome_utente();
