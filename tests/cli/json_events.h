#pragma once

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

// The events of a whole update, as kestra-flash --json prints them.
inline const QString fatto = QStringLiteral("header connected identity erase progress transferred verified done");

// The names of the JSON events, each run of one name once; `ultimi` gets the last event of each name.
inline QString eventi(const QByteArray &uscita, QHash<QString, QJsonObject> &ultimi)
{
    QStringList nomi;
    for (const QByteArray &riga : uscita.trimmed().split('\n')) {
        const QJsonObject evento = QJsonDocument::fromJson(riga).object();
        if (nomi.isEmpty() || nomi.last() != evento["event"].toString())
            nomi.append(evento["event"].toString());
        ultimi.insert(nomi.last(), evento);
    }
    return nomi.join(u' ');
}
