#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

inline constexpr const char *nome_file_impostazioni = "BootLoader.ini";

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
// is written with its whole line in double quotes; one with a double quote,
// CR or LF is left out ("Path = " alone).
QByteArray componi_impostazioni(const Impostazioni &impostazioni);

// Loads "BootLoader.ini" from the folder; a missing or empty file is written
// with the defaults. A file that cannot be read gives the defaults, and only
// its first 64 KiB are read. `cartella` ends with its separator: the file name
// is appended to it as it is (here and in salva_file_impostazioni).
Impostazioni carica_file_impostazioni(const QString &cartella);

// The folder that keeps "BootLoader.ini": the program's own when it already
// holds the file or takes new files (a copy run from where it was built or
// unpacked), otherwise the user's configuration folder (an installed copy).
// Both end with their separator.
QString cartella_impostazioni(const QString &cartella_programma, const QString &cartella_utente);

// Replaces "BootLoader.ini" in the folder (made when missing) through a
// temporary file, so that it is never left truncated; in a folder that cannot
// take one, the file is written in place. A read-only file is left untouched.
// Returns false when it was not written.
bool salva_file_impostazioni(const QString &cartella, const Impostazioni &impostazioni);
