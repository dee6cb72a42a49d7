#include "tools/bench/campaign.h"

#include "tools/bench/flash_process.h"
#include "tools/bench/sample_image.h"
#include "tools/bench/updater_run.h"
#include "core/commands.h"
#include "core/statuses.h"
#include "history/history_db.h"
#include "testing/simulator_process.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr CampioneFirmware immagine{'s', 16};
constexpr int scrittura_mezza_pagina_ms = 2;
constexpr int stallo_minimo_ms = 1000;
constexpr int stallo_massimo_ms = 2500;
// kestra-flash's exit codes for an update that completed and for a refused verification.
constexpr int uscita_completato = 0;
constexpr int uscita_verifica = 10;
// How long the module's line for the verification may take to reach this
// process once the front end has had the reply that follows it.
constexpr int attesa_riga_verifica_ms = 2000;

enum class FrontEnd { Finestra, Flash };

const char *nome(FrontEnd front_end)
{
    return front_end == FrontEnd::Finestra ? "window" : "kestra-flash";
}

// One update of the campaign: who makes it and how the module misbehaves.
struct Prova
{
    int numero; // from 1
    FrontEnd front_end;
    int mezza_pagina; // the stall starts at this half page, from 1
    int stallo_ms;
    bool rifiuto; // the module answers the verification "E"
};

// What the front end reported.
enum class Resoconto { Completato, Rifiutato, AltroErrore };

struct EsitoProva
{
    QString errore; // the update could not be carried out
    Resoconto resoconto = Resoconto::AltroErrore;
    QString come;                 // the status line, or kestra-flash's exit code
    int rinvii = -1;              // the half pages sent again, as the front end counted them
    int rinvii_dispositivo = -1;  // as the module counted them at the verification; -1: none came
};

struct Conteggi
{
    int aggiornamenti = 0;
    int completati = 0;                // completed, and reported as completed
    int rifiuti_come_rifiuti = 0;      // refused, and reported as refused
    int rifiuti_come_successi = 0;     // refused, and reported as completed: never
    int completati_come_errori = 0;    // completed, and reported as anything else
    int rifiuti_come_altri_errori = 0; // refused, and reported as another failure
    int rinvii = 0;
    int rinvii_dispositivo = 0;
};

QList<Prova> piano(int aggiornamenti, quint32 seme, int mezze_pagine)
{
    QRandomGenerator casuale(seme);
    QList<Prova> prove;
    for (int i = 0; i < aggiornamenti; ++i) {
        const int mezza_pagina = int(casuale.bounded(1, mezze_pagine + 1));
        const int stallo_ms = int(casuale.bounded(stallo_minimo_ms, stallo_massimo_ms + 1));
        const bool rifiuto = casuale.bounded(2) == 1;
        prove.append({i + 1, i % 2 == 0 ? FrontEnd::Finestra : FrontEnd::Flash, mezza_pagina, stallo_ms, rifiuto});
    }
    return prove;
}

// The half pages the window's last update sent again, from the history it keeps.
int rinvii_ultimo_tentativo()
{
    StoricoSqlite storico(percorso_storico(), [](const QString &perche) {
        std::fprintf(stderr, "kestra-bench: history: %s\n", qPrintable(perche));
    });
    const std::optional<QList<Tentativo>> ultimo = storico.elenco(1);
    return ultimo && !ultimo->isEmpty() ? ultimo->first().rinvii : -1;
}

void con_finestra(quint16 porta, const QString &file, const QTemporaryDir &cartella, EsitoProva &esito)
{
    const FineAggiornamento fine = aggiorna_con_finestra(porta, file, cartella.path());
    if (!fine.errore.isEmpty()) {
        esito.errore = QStringLiteral("window: ") + fine.errore;
        return;
    }
    esito.come = QStringLiteral("\"%1\"").arg(fine.stato);
    if (fine.stato == stato::programmazione_avviata.in(0))
        esito.resoconto = Resoconto::Completato;
    else if (fine.stato == stato::errore_crc16.in(0))
        esito.resoconto = Resoconto::Rifiutato;
    esito.rinvii = rinvii_ultimo_tentativo();
}

void con_flash(quint16 porta, const QString &file, EsitoProva &esito)
{
    const EsecuzioneFlash flash = esegui_flash(porta, file);
    if (!flash.errore.isEmpty()) {
        esito.errore = flash.errore;
        return;
    }
    esito.come = QStringLiteral("exit %1").arg(flash.codice_uscita);
    if (flash.codice_uscita == uscita_completato)
        esito.resoconto = Resoconto::Completato;
    else if (flash.codice_uscita == uscita_verifica)
        esito.resoconto = Resoconto::Rifiutato;
    esito.rinvii = flash.rinvii;
}

// "verified: CRC16 right, 2 half pages sent again", the simulator's line for a verification.
int rinvii_verificati(const QByteArray &uscita)
{
    static const QRegularExpression riga(QStringLiteral("verified: CRC16 \\w+, (\\d+) half pages sent again"));
    const QRegularExpressionMatch trovata = riga.match(QString::fromLatin1(uscita));
    return trovata.hasMatch() ? trovata.captured(1).toInt() : -1;
}

EsitoProva esegui(const Prova &prova, const QString &file, const QTemporaryDir &cartella)
{
    QStringList guasti{"--write-ms", QString::number(scrittura_mezza_pagina_ms), "--fault",
                       QStringLiteral("PGP#%1:stall:%2").arg(prova.mezza_pagina).arg(prova.stallo_ms)};
    if (prova.rifiuto)
        guasti += {"--fault", "PGX:reply:E"};
    ProcessoSimulatore simulatore(guasti);
    EsitoProva esito;
    esito.errore = simulatore.errore();
    if (!esito.errore.isEmpty())
        return esito;
    if (prova.front_end == FrontEnd::Finestra)
        con_finestra(simulatore.porta(), file, cartella, esito);
    else
        con_flash(simulatore.porta(), file, esito);
    // A transfer that failed verified nothing: no line to wait for.
    const int attesa_ms = esito.resoconto == Resoconto::AltroErrore ? 0 : attesa_riga_verifica_ms;
    esito.rinvii_dispositivo = rinvii_verificati(simulatore.uscita("verified:", attesa_ms));
    return esito;
}

const char *nome_resoconto(Resoconto resoconto)
{
    switch (resoconto) {
    case Resoconto::Completato: return "completed";
    case Resoconto::Rifiutato: return "refused";
    case Resoconto::AltroErrore: return "failed";
    }
    return "";
}

void conta(const Prova &prova, const EsitoProva &esito, Conteggi &conteggi)
{
    ++conteggi.aggiornamenti;
    conteggi.rinvii += qMax(esito.rinvii, 0);
    conteggi.rinvii_dispositivo += qMax(esito.rinvii_dispositivo, 0);
    const Resoconto resoconto = esito.resoconto;
    if (!prova.rifiuto) {
        ++(resoconto == Resoconto::Completato ? conteggi.completati : conteggi.completati_come_errori);
        return;
    }
    switch (resoconto) {
    case Resoconto::Completato: ++conteggi.rifiuti_come_successi; break;
    case Resoconto::Rifiutato: ++conteggi.rifiuti_come_rifiuti; break;
    case Resoconto::AltroErrore: ++conteggi.rifiuti_come_altri_errori; break;
    }
}

void stampa_prova(const Prova &prova, const EsitoProva &esito)
{
    std::printf("campaign-update %3d %-12s stall_ms=%d half_page=%d module=%s reported=%s resends=%d "
                "module_resends=%d (%s)\n",
                prova.numero, nome(prova.front_end), prova.stallo_ms, prova.mezza_pagina,
                prova.rifiuto ? "refused" : "accepted", nome_resoconto(esito.resoconto), esito.rinvii,
                esito.rinvii_dispositivo, qPrintable(esito.come));
    std::fflush(stdout);
}

void stampa_conteggi(FrontEnd front_end, const Conteggi &c)
{
    std::printf("campaign %-12s updates=%d completed=%d refused_as_refused=%d refused_as_success=%d "
                "completed_as_failure=%d refused_as_other_failure=%d resends=%d module_resends=%d\n",
                nome(front_end), c.aggiornamenti, c.completati, c.rifiuti_come_rifiuti, c.rifiuti_come_successi,
                c.completati_come_errori, c.rifiuti_come_altri_errori, c.rinvii, c.rinvii_dispositivo);
}

} // namespace

bool esegui_campagna(int aggiornamenti, quint32 seme, const QTemporaryDir &cartella)
{
    const QString file = cartella.filePath(QStringLiteral("CAMPAIGN.BIN"));
    {
        QFile uscita(file);
        const QByteArray byte = file_campione(immagine);
        if (!uscita.open(QIODevice::WriteOnly) || uscita.write(byte) != byte.size()) {
            std::fprintf(stderr, "kestra-bench: cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    const int mezze_pagine = immagine.kib * 1024 / dimensione_mezza_pagina;
    std::printf("\ncampaign: %d updates of a %d KB \"%c\" image, seed %u (--seed or KESTRA_BENCH_SEED to change)\n"
                "  kestra-sim --write-ms %d, one stall of %d to %d ms from a random half page of %d on, "
                "the verification refused (\"E\") in about half the updates; the window and kestra-flash take turns\n",
                aggiornamenti, immagine.kib, immagine.cpu, unsigned(seme), scrittura_mezza_pagina_ms,
                stallo_minimo_ms, stallo_massimo_ms, mezze_pagine);
    std::fflush(stdout);

    Conteggi finestra, flash;
    for (const Prova &prova : piano(aggiornamenti, seme, mezze_pagine)) {
        const EsitoProva esito = esegui(prova, file, cartella);
        if (!esito.errore.isEmpty()) {
            std::fprintf(stderr, "kestra-bench: campaign update %d (%s): %s\n", prova.numero, nome(prova.front_end),
                         qPrintable(esito.errore));
            return false;
        }
        stampa_prova(prova, esito);
        conta(prova, esito, prova.front_end == FrontEnd::Finestra ? finestra : flash);
    }
    stampa_conteggi(FrontEnd::Finestra, finestra);
    stampa_conteggi(FrontEnd::Flash, flash);
    const int rifiuti_come_successi = finestra.rifiuti_come_successi + flash.rifiuti_come_successi;
    std::printf("campaign check: refused_as_success=%d, target 0: %s\n", rifiuti_come_successi,
                rifiuti_come_successi == 0 ? "met" : "MISSED");
    return rifiuti_come_successi == 0;
}
