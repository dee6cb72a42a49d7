#pragma once

#include <QString>

// A text in the two languages of the program. `lingua` 0 picks the Italian
// one, any other value the English one.
struct Testo
{
    const char *it; // UTF-8
    const char *en; // UTF-8

    QString in(int lingua) const { return QString::fromUtf8(lingua == 0 ? it : en); }
    // The text of the language that `lingua` is not: English for 0, Italian otherwise.
    QString in_altra(int lingua) const { return in(lingua == 0 ? 1 : 0); }
};
