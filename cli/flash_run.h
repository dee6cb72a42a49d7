#pragma once

#include "cli/console_report.h"
#include "cli/hints.h"
#include "cli/options.h"
#include "engine/updater.h"
#include "history/history_db.h"

#include <QElapsedTimer>
#include <functional>

// One run of kestra-flash: the command, as steps of the update engine on
// `link`, each one's outcome checked before the next.
class Esecuzione
{
public:
    // Update attempts are recorded in `storico`, when there is one.
    Esecuzione(const Opzioni &opzioni, Collegamento &link, Console &console, StoricoSqlite *storico = nullptr);

    int esegui(); // returns the exit code
    // A signal (SIGINT, SIGTERM, SIGHUP): the run ends at once, unless the
    // device's verdict is on its way, which is then awaited; `subito` (a
    // second signal) ends it at once all the same.
    void interrompi(int segnale, bool subito = false);
    // The class of the outcome that decided the exit code: "completed", "erase", ...
    QString classe() const { return m_classe; }

private:
    using Passaggio = std::function<Esito()>;

    Esito svolgi();
    // The update, tried again from connecting as --retries allows.
    Esito aggiorna_con_tentativi();
    // One try: from connecting to the verification.
    Esito prova_aggiornamento();
    Esito elenca_storico();
    // The steps in turn, up to the first that does not complete.
    Esito in_sequenza(std::initializer_list<Passaggio> passaggi);
    bool interrotta() const { return m_segnale != 0 || m_console.segnale() != 0; }

    Esito connetti();
    // Tries to connect until the module answers or --wait's time is up.
    Esito connetti_entro_attesa();
    // --skip-if-current: the device reports the file's firmware version already.
    bool gia_aggiornato() const;
    Esito identifica_soltanto();
    Esito controlla_file();
    Esito controlla_scheda();
    Esito chiedi_cancellazione();
    Esito aggiorna();
    // A refusal that --force lets through: told, and then a completed step.
    Esito salvo_force(const Esito &rifiuto);

    // What the run knows, for what to try next.
    FattiDellaCorsa fatti() const;

    void concludi(int codice, const QString &classe, const QString &testo, const QString &suggerimento = {});
    qint64 byte_immagine() const;

    int codice_di(const Esito &esito) const;

    const Opzioni &m_opzioni;
    Console &m_console;
    StoricoSqlite *m_storico;
    RapportoRiga m_rapporto;
    Aggiornatore m_motore;
    QElapsedTimer m_durata;
    int m_segnale = 0;
    bool m_scritto = false; // a transfer completed
    bool m_saltato = false; // --skip-if-current found nothing to do
    bool m_cancellazione_confermata = false;
    bool m_verdetto = false; // the device gave its verdict, or let its wait run out
    QString m_classe;
};
