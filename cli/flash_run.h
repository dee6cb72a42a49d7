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
    struct Passaggio
    {
        std::function<void()> azione;
        std::function<bool()> riuscito;
        Esito altrimenti; // when it did not succeed and no report said why
    };

    Esito svolgi();
    Esito svolgi(std::initializer_list<Passaggio> passaggi);
    void concludi(Esito esito);
    void spiega(const QString &motivo); // why, when no report of the engine says it

    const Opzioni &m_opzioni;
    Console &m_console;
    RapportoRiga m_rapporto;
    Aggiornatore m_motore;
    QString m_motivo;
    bool m_interrotto = false;
};
