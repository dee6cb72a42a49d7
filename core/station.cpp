#include "core/station.h"

#include <QSysInfo>

QString nome_stazione(const QString &data, const QString &configurata)
{
    for (const QString &nome : {data, qEnvironmentVariable("KESTRA_STATION"), configurata}) {
        if (!nome.isEmpty())
            return nome;
    }
    return QSysInfo::machineHostName();
}

QString nome_utente()
{
    const QString utente = qEnvironmentVariable("USER");
    return utente.isEmpty() ? qEnvironmentVariable("USERNAME") : utente;
}
