#include "tools/bench/report.h"

#include "tools/bench/resource_usage.h"

#include <cstdio>

namespace {

constexpr double rapporto_massimo = 1.5;
constexpr double cpu_attesa_massima_ms = 50;

const char *esito(bool raggiunto)
{
    return raggiunto ? "met" : "MISSED";
}

} // namespace

void stampa_intestazione(int prove, quint16 porta)
{
    std::printf("kestra-bench: medians of %d runs; kestra-sim on 127.0.0.1:%u\n", prove, unsigned(porta));
}

void stampa_campione(const RisultatiCampione &risultati)
{
    const double aggiornamento = mediana(risultati.aggiornamento_s);
    const double cpu = mediana(risultati.aggiornamento_cpu_s);
    const double pavimento = mediana(risultati.pavimento_s);
    const double scambi = double(risultati.scambi);
    const double rapporto = aggiornamento / pavimento;
    const double flash = mediana(risultati.flash_s);

    std::printf("\n\"%c\" image, %d KB, %lld exchanges (transfer + verification)\n", risultati.campione.cpu,
                risultati.campione.kib, static_cast<long long>(risultati.scambi));
    std::printf("  updater  %8.3f s  %7.0f exchanges/s  CPU %.3f s, %.1f us per exchange\n", aggiornamento,
                scambi / aggiornamento, cpu, cpu * 1e6 / scambi);
    std::printf("  floor    %8.3f s  %7.0f exchanges/s  slowest exchange %.2f ms\n", pavimento,
                scambi / pavimento, mediana(risultati.pavimento_scambio_massimo_ms));
    std::printf("  ratio    %8.2f    target <= %.1f: %s\n", rapporto, rapporto_massimo,
                esito(rapporto <= rapporto_massimo));
    std::printf("  kestra-flash %4.3f s  %7.0f exchanges/s  ratio %.2f: %s\n", flash, scambi / flash,
                flash / pavimento, esito(flash / pavimento <= rapporto_massimo));
    std::printf("  peak memory so far (ru_maxrss) %.1f MiB\n", double(risultati.memoria_picco_kib) / 1024);
}

void stampa_attesa(const RisultatiAttesa &risultati)
{
    const double cpu_ms = mediana(risultati.cpu_s) * 1e3;
    std::printf("\nsilent module: connect (Command5) at another address, 5 s wait for the first data\n");
    std::printf("  wall %.3f s  CPU %.1f ms  target < %.0f ms: %s\n", mediana(risultati.secondi), cpu_ms,
                cpu_attesa_massima_ms, esito(cpu_ms < cpu_attesa_massima_ms));
}
