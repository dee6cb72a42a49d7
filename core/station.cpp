#include "core/station.h"

#include <QSysInfo>

QString nome_stazione(const QString &data)
{
    if (!data.isEmpty())
        return data;
    const QString variabile = qEnvironmentVariable("KESTRA_STATION");
    return variabile.isEmpty() ? QSysInfo::machineHostName() : variabile;
}

QString nome_utente()
{
    const QString utente = qEnvironmentVariable("USER");
    return utente.isEmpty() ? qEnvironmentVariable("USERNAME") : utente;
}
