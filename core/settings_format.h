#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct Impostazioni
{
    QString percorso_firmware; // last firmware folder, with its trailing separator
    qint16 lingua = 0;         // 0 Italian, anything else English
};

// Reads the two fields of the file's content: the first is the folder, the
// second the language, whatever their keys say. Each field is read up to a
// comma or the end of its line (a field in double quotes runs to the closing
// quote), and its value is what follows "=" less the one character right
// after it.
Impostazioni leggi_impostazioni(QByteArrayView contenuto);

// "Path = <folder>" CR LF "Language = <number>" CR LF. A folder with a comma
// is written with its whole line in double quotes; one with both a comma and
// a double quote, or with CR or LF, is left out ("Path = " alone).
QByteArray componi_impostazioni(const Impostazioni &impostazioni);
