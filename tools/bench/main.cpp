// kestra-bench: times the real updater window and kestra-flash against
// kestra-sim and sets them beside the least a blocking client needs for the
// same exchanges; and, on request, runs updates against a module that stalls
// and refuses (see tools/bench/options.h).
//
//   kestra-bench [runs] [--campaign [updates]] [--seed N]

#include "tools/bench/campaign.h"
#include "tools/bench/flash_process.h"
#include "tools/bench/floor_client.h"
#include "tools/bench/options.h"
#include "tools/bench/report.h"
#include "tools/bench/sample_image.h"
#include "testing/simulator_process.h"
#include "tools/bench/updater_run.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

namespace {

// The small image first: the peak memory after it is its own.
constexpr CampioneFirmware campioni[] = {{'s', 128}, {'W', 756}};

bool scrivi(const QString &percorso, const QByteArray &byte)
{
    QFile file(percorso);
    return file.open(QIODevice::WriteOnly) && file.write(byte) == byte.size();
}

// Alternates the updater, kestra-flash and the floor client, so that all see
// the same state of the machine. Returns what went wrong, or an empty text.
QString misura_campione(const CampioneFirmware &campione, int prove, quint16 porta, const QTemporaryDir &cartella,
                        RisultatiCampione &risultati)
{
    const QByteArray file = file_campione(campione);
    const QString percorso = cartella.filePath(QStringLiteral("FW_%1.BIN").arg(QLatin1Char(campione.cpu)));
    if (!scrivi(percorso, file))
        return QStringLiteral("cannot write %1").arg(percorso);
    const QList<QByteArray> comandi = comandi_aggiornamento(percorso);

    risultati = {campione, comandi.size(), {}, {}, {}, {}, {}, 0};
    for (int prova = 0; prova < prove; ++prova) {
        const Misura aggiornamento = misura_aggiornamento(porta, percorso, cartella.path());
        if (!aggiornamento.errore.isEmpty())
            return QStringLiteral("updater: ") + aggiornamento.errore;
        const Misura flash = misura_flash(porta, percorso);
        if (!flash.errore.isEmpty())
            return flash.errore;
        const MisuraPavimento pavimento = misura_pavimento(porta, comandi);
        if (!pavimento.errore.isEmpty())
            return QStringLiteral("floor: ") + pavimento.errore;
        risultati.aggiornamento_s.append(aggiornamento.secondi);
        risultati.aggiornamento_cpu_s.append(aggiornamento.cpu_secondi);
        risultati.flash_s.append(flash.secondi);
        risultati.pavimento_s.append(pavimento.secondi);
        risultati.pavimento_scambio_massimo_ms.append(pavimento.scambio_massimo_ms);
    }
    risultati.memoria_picco_kib = memoria_picco_kib();
    return {};
}

// kestra-flash's whole run against a bare client's, on a module that answers
// as over Wi-Fi: each reply a round trip after its command.
QString misura_collegamento(int prove, const QTemporaryDir &cartella, RisultatiCollegamento &risultati)
{
    risultati.latenza_ms = 2;
    risultati.scrittura_ms = 2;
    ProcessoSimulatore simulatore({"--latency-ms", QString::number(risultati.latenza_ms), "--write-ms",
                                   QString::number(risultati.scrittura_ms)});
    if (!simulatore.errore().isEmpty())
        return simulatore.errore();
    const CampioneFirmware campione = campioni[0];
    const QString percorso = cartella.filePath(QStringLiteral("FW_LINK.BIN"));
    if (!scrivi(percorso, file_campione(campione)))
        return QStringLiteral("cannot write %1").arg(percorso);
    const QList<QByteArray> comandi = comandi_aggiornamento(percorso);
    for (int prova = 0; prova < prove; ++prova) {
        const Misura flash = misura_flash_intero(simulatore.porta(), percorso);
        if (!flash.errore.isEmpty())
            return flash.errore;
        const MisuraPavimento pavimento = misura_pavimento_intero(simulatore.porta(), comandi);
        if (!pavimento.errore.isEmpty())
            return QStringLiteral("bare client: ") + pavimento.errore;
        risultati.flash_s.append(flash.secondi);
        risultati.pavimento_s.append(pavimento.secondi);
    }
    return {};
}

QString misura_attesa(int prove, quint16 porta, const QTemporaryDir &cartella, RisultatiAttesa &risultati)
{
    for (int prova = 0; prova < prove; ++prova) {
        const Misura attesa = misura_attesa_silenziosa(porta, cartella.path());
        if (!attesa.errore.isEmpty())
            return QStringLiteral("silent wait: ") + attesa.errore;
        risultati.secondi.append(attesa.secondi);
        risultati.cpu_s.append(attesa.cpu_secondi);
    }
    return {};
}

int fallito(const QString &errore)
{
    std::fprintf(stderr, "kestra-bench: %s\n", qPrintable(errore));
    return 1;
}

QString misura(int prove, quint16 porta, const QTemporaryDir &cartella)
{
    stampa_intestazione(prove, porta);
    for (const CampioneFirmware &campione : campioni) {
        RisultatiCampione risultati;
        const QString errore = misura_campione(campione, prove, porta, cartella, risultati);
        if (!errore.isEmpty())
            return errore;
        stampa_campione(risultati);
        std::fflush(stdout);
    }
    RisultatiCollegamento collegamento;
    QString errore = misura_collegamento(prove, cartella, collegamento);
    if (!errore.isEmpty())
        return errore;
    stampa_collegamento(collegamento);
    std::fflush(stdout);
    RisultatiAttesa attesa;
    errore = misura_attesa(prove, porta, cartella, attesa);
    if (!errore.isEmpty())
        return errore;
    stampa_attesa(attesa);
    std::fflush(stdout);
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString errore;
    const std::optional<OpzioniBanco> opzioni
        = leggi_opzioni(app.arguments(), qgetenv("KESTRA_BENCH_SEED"), errore);
    if (!opzioni || opzioni->aiuto) {
        if (!opzioni)
            std::fprintf(stderr, "kestra-bench: %s\n", qPrintable(errore));
        std::fputs(qPrintable(uso_banco()), opzioni ? stdout : stderr);
        return opzioni ? 0 : 2;
    }
    QTemporaryDir cartella;
    if (!cartella.isValid())
        return fallito(QStringLiteral("no temporary folder: ") + cartella.errorString());
    // The update history of the window and of kestra-flash goes here, not
    // into the user's: for this process and every process it starts.
    qputenv("XDG_DATA_HOME", QFile::encodeName(cartella.path()));

    if (opzioni->prove) {
        ProcessoSimulatore simulatore;
        if (!simulatore.errore().isEmpty())
            return fallito(simulatore.errore());
        errore = misura(*opzioni->prove, simulatore.porta(), cartella);
        if (!errore.isEmpty())
            return fallito(errore);
    }
    if (opzioni->campagna && !esegui_campagna(*opzioni->campagna, opzioni->seme, cartella))
        return 1;
    return 0;
}
