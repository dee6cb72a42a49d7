#pragma once

#include <QString>

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
    // As a screen shows it: with %1 standing for `valore`, and each line of
    // the text (CR LF between them) on a line of its own.
    QString righe_in(int lingua, const QString &valore = {}) const
    {
        return in(lingua, valore).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    // The text of the language that `lingua` is not: English for 0, Italian otherwise.
    QString in_altra(int lingua) const { return in(lingua == 0 ? 1 : 0); }
    bool vuoto() const { return *it == '\0'; }
};

inline constexpr Testo nessun_testo{"", ""};
