#include "tools/bench/report.h"

#include "tools/bench/resource_usage.h"

#include <cstdio>

namespace {

// The window against kestra-flash, the same engine without widgets, and
// against the floor.
constexpr double rapporto_flash_massimo = 1.15;
constexpr double rapporto_pavimento_massimo = 1.3;
constexpr double cpu_attesa_massima_ms = 50;
// A whole kestra-flash run, process start included, against a bare client on a link with a round trip.
constexpr double rapporto_intero_massimo = 1.05;

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
    const double flash = mediana(risultati.flash_s);
    const double scambi = double(risultati.scambi);

    std::printf("\n\"%c\" image, %d KB, %lld exchanges (transfer + verification)\n", risultati.campione.cpu,
                risultati.campione.kib, static_cast<long long>(risultati.scambi));
    std::printf("  updater       %6.3f s  %7.0f exchanges/s  CPU %.3f s, %.1f us per exchange\n", aggiornamento,
                scambi / aggiornamento, cpu, cpu * 1e6 / scambi);
    std::printf("  kestra-flash  %6.3f s  %7.0f exchanges/s\n", flash, scambi / flash);
    std::printf("  floor         %6.3f s  %7.0f exchanges/s  slowest exchange %.2f ms\n", pavimento,
                scambi / pavimento, mediana(risultati.pavimento_scambio_massimo_ms));
    std::printf("  ratio updater/kestra-flash %5.2f  target <= %.2f: %s\n", aggiornamento / flash,
                rapporto_flash_massimo, esito(aggiornamento / flash <= rapporto_flash_massimo));
    std::printf("  ratio updater/floor        %5.2f  target <= %.2f: %s\n", aggiornamento / pavimento,
                rapporto_pavimento_massimo, esito(aggiornamento / pavimento <= rapporto_pavimento_massimo));
    std::printf("  ratio kestra-flash/floor   %5.2f\n", flash / pavimento);
    std::printf("  peak memory so far (ru_maxrss) %.1f MiB\n", double(risultati.memoria_picco_kib) / 1024);
}

void stampa_collegamento(const RisultatiCollegamento &risultati)
{
    const double flash = mediana(risultati.flash_s), pavimento = mediana(risultati.pavimento_s);
    std::printf("\nwhole update, \"s\" 128 KB, over a link with a %d ms round trip and %d ms to write a half page\n",
                risultati.latenza_ms, risultati.scrittura_ms);
    std::printf("  kestra-flash  %6.3f s  (its process, from start to end)\n", flash);
    std::printf("  bare client   %6.3f s  (connecting, the identity, the same exchanges)\n", pavimento);
    std::printf("  ratio kestra-flash/bare client %5.2f  target <= %.2f: %s\n", flash / pavimento,
                rapporto_intero_massimo, esito(flash / pavimento <= rapporto_intero_massimo));
}

void stampa_attesa(const RisultatiAttesa &risultati)
{
    const double cpu_ms = mediana(risultati.cpu_s) * 1e3;
    std::printf("\nsilent module: connect (Command5) at another address, 5 s wait for the first data\n");
    std::printf("  wall %.3f s  CPU %.1f ms  target < %.0f ms: %s\n", mediana(risultati.secondi), cpu_ms,
                cpu_attesa_massima_ms, esito(cpu_ms < cpu_attesa_massima_ms));
}
