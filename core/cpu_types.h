#pragma once

#include <QString>

// One row of the table of CPU types that a firmware file can name at offset 1.
struct TipoCpu
{
    char lettera;
    const char *didascalia; // caption of Label3
    int codice;             // codice_cpu
};

// The row for a CPU letter (exact, case-sensitive), or nullptr when unknown.
const TipoCpu *cerca_tipo_cpu(char lettera);

// Caption of Label3 when the letter is not in the table.
inline constexpr const char *didascalia_cpu_sconosciuta = "CPU:";
