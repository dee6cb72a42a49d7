#include "tools/bench/resource_usage.h"

#include <algorithm>
#include <sys/resource.h>

namespace {

double secondi(const timeval &tempo)
{
    return double(tempo.tv_sec) + double(tempo.tv_usec) / 1e6;
}

rusage uso_processo()
{
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso;
}

} // namespace

Cronometro::Cronometro() : m_cpu_iniziale(tempo_cpu_s())
{
    m_parete.start();
}

Misura Cronometro::ferma() const
{
    const double parete = double(m_parete.nsecsElapsed()) / 1e9;
    return {parete, tempo_cpu_s() - m_cpu_iniziale, {}};
}

double tempo_cpu_s()
{
    const rusage uso = uso_processo();
    return secondi(uso.ru_utime) + secondi(uso.ru_stime);
}

long memoria_picco_kib()
{
    return uso_processo().ru_maxrss;
}

double mediana(QList<double> valori)
{
    if (valori.isEmpty())
        return 0;
    std::sort(valori.begin(), valori.end());
    const qsizetype meta = valori.size() / 2;
    return valori.size() % 2 ? valori[meta] : (valori[meta - 1] + valori[meta]) / 2;
}
