#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

// Wall time and CPU time (user + system, every thread of this process) of what
// runs between its start and ferma().
struct Misura
{
    double secondi = 0;
    double cpu_secondi = 0;
    QString errore; // empty when the run did what it should
};

class Cronometro
{
public:
    Cronometro();
    Misura ferma() const;

private:
    QElapsedTimer m_parete;
    double m_cpu_iniziale;
};

// CPU time this process has used so far, in seconds.
double tempo_cpu_s();

// The largest resident set this process has had so far, in KiB (ru_maxrss).
long memoria_picco_kib();

double mediana(QList<double> valori);
