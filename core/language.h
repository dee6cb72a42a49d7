#pragma once

#include <QString>
#include <QStringList>

// A text in the two languages of the program. `lingua` 0 picks the Italian
// one, any other value the English one.
struct Testo
{
    const char *it; // UTF-8
    const char *en; // UTF-8

    QString in(int lingua) const { return QString::fromUtf8(lingua == 0 ? it : en); }
    // With %1 standing for `valore`, when a value is given.
    QString in(int lingua, const QString &valore) const
    {
        return valore.isNull() ? in(lingua) : in(lingua).arg(valore);
    }
    // With %1, %2, ... standing for the values in turn.
    QString in(int lingua, const QStringList &valori) const
    {
        QString testo = in(lingua);
        for (const QString &valore : valori)
            testo = testo.arg(valore);
        return testo;
    }
    // As a screen shows it: with %1, %2, ... standing for the values, and each
    // line of the text (CR LF between them) on a line of its own.
    QString righe_in(int lingua, const QStringList &valori = {}) const
    {
        return in(lingua, valori).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    // The text of the language that `lingua` is not: English for 0, Italian otherwise.
    QString in_altra(int lingua) const { return in(lingua == 0 ? 1 : 0); }
    bool vuoto() const { return *it == '\0'; }
};

inline constexpr Testo nessun_testo{"", ""};
