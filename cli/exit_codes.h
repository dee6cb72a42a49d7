#pragma once

#include "core/outcome.h"

#include <QString>

// kestra-flash's exit codes, one for each kind of outcome.
int codice_uscita(TipoEsito tipo);

// Bad options, no firmware file, standard input not a terminal and no --yes.
inline constexpr int codice_uso = 2;
inline constexpr const char *classe_uso = "usage";

// Every exit code and what it means, for --help.
QString elenco_codici();
