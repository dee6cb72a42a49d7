#pragma once

#include "cli/commands/command.h"
#include "cli/console_report.h"
#include "cli/options.h"
#include "engine/updater.h"

#include <QElapsedTimer>
#include <memory>

class StoricoSqlite;

// One run of kestra-flash: the command the options name, on `link`, its
// closing lines and its exit code.
class Esecuzione
{
public:
    // Update attempts are recorded as `libri` say.
    Esecuzione(const Opzioni &opzioni, Collegamento &link, Console &console, Libri libri = {});
    ~Esecuzione();

    int esegui(); // returns the exit code
    // A signal (SIGINT, SIGTERM, SIGHUP): the run ends at once, unless the
    // device's verdict is on its way, which is then awaited; `subito` (a
    // second signal) ends it at once all the same.
    void interrompi(int segnale, bool subito = false);
    // The class of the outcome that decided the exit code: "completed", "erase", ...
    QString classe() const { return m_classe; }

private:
    bool interrotta() const { return segnale() != 0; }
    int segnale() const { return m_segnale != 0 ? m_segnale : m_console.segnale(); }

    const Opzioni &m_opzioni;
    Console &m_console;
    RapportoRiga m_rapporto;
    Aggiornatore m_motore;
    Contesto m_contesto;
    std::unique_ptr<Comando> m_comando;
    int m_segnale = 0;
    QString m_classe;
};
