#pragma once

#include "core/settings_format.h"

#include <QString>
#include <QStringList>

inline constexpr const char *nome_file_impostazioni = "BootLoader.ini";

// Loads "BootLoader.ini" from the folder; a missing or empty file is written
// with the defaults. A file that cannot be read gives the defaults, and only
// its first 64 KiB are read. `cartella` ends with its separator: the file name
// is appended to it as it is (here and in salva_file_impostazioni).
Impostazioni carica_file_impostazioni(const QString &cartella);

// The folder that keeps "BootLoader.ini": the user's configuration folder
// for a program in one of `cartelle_di_sistema` (an installed copy, whoever
// runs it, root included); otherwise the program's own when it already holds
// the file or takes new files (a copy run from where it was built or
// unpacked), else the user's. The folders end with their separator.
QString cartella_impostazioni(const QString &cartella_programma, const QString &cartella_utente,
                              const QStringList &cartelle_di_sistema = {});

// Replaces "BootLoader.ini" in the folder (made when missing) through a
// temporary file, so that it is never left truncated; in a folder that cannot
// take one, the file is written in place. A read-only file is left untouched.
// Returns false when it was not written.
bool salva_file_impostazioni(const QString &cartella, const Impostazioni &impostazioni);
