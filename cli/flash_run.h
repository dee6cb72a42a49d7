#pragma once

#include "cli/console_report.h"
#include "cli/options.h"
#include "engine/updater.h"

#include <functional>

// One run of kestra-flash: the command, as steps of the update engine on
// `link`, each one's outcome checked before the next.
class Esecuzione
{
public:
    Esecuzione(const Opzioni &opzioni, Collegamento &link, Console &console);

    int esegui(); // returns the exit code
    // Ctrl-C: the step running ends after its current command.
    void interrompi();

private:
    using Passaggio = std::function<Esito()>;

    Esito svolgi();
    // The steps in turn, up to the first that does not complete.
    Esito in_sequenza(std::initializer_list<Passaggio> passaggi);
    Esito connetti();
    Esito chiedi_cancellazione();
    void concludi(int codice, const char *classe, const QString &testo);

    const Opzioni &m_opzioni;
    Console &m_console;
    RapportoRiga m_rapporto;
    Aggiornatore m_motore;
    bool m_interrotto = false;
};
