#pragma once

#include <QCoreApplication>
#include <QString>

// A program of the project's: where ctest says it was built (KESTRA_FLASH,
// KESTRA_SIM), else beside the program that runs it (the benchmark).
inline QString programma(const char *variabile, const char *nome)
{
    const QString dato = qEnvironmentVariable(variabile);
    return dato.isEmpty() ? QCoreApplication::applicationDirPath() + u'/' + QLatin1String(nome) : dato;
}

inline QString kestra_flash()
{
    return programma("KESTRA_FLASH", "kestra-flash");
}

inline QString kestra_sim()
{
    return programma("KESTRA_SIM", "kestra-sim");
}
