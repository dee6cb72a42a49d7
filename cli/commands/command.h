#pragma once

#include "cli/console.h"
#include "cli/console_report.h"
#include "cli/options.h"
#include "engine/updater.h"

#include <functional>
#include <initializer_list>
#include <memory>

class InvioStorico;
class StoricoSqlite;
struct ConfigurazioneServer;

// Where runs are recorded: the station's history, and the plant's server
// that gets a copy of it (none: no server configured).
struct Libri
{
    StoricoSqlite *storico = nullptr; // none: nothing is recorded or listed
    InvioStorico *invio = nullptr;
    const ConfigurazioneServer *server = nullptr;
};

// What every command of kestra-flash works with.
struct Contesto
{
    const Opzioni &opzioni;
    Console &console;
    RapportoRiga &rapporto;
    Aggiornatore &motore;
    Libri libri;
    std::function<bool()> interrotta; // a signal came
};

// How a command ended: its outcome, and what the closing lines sum up.
struct Conclusione
{
    Esito esito;
    bool scritto = false;  // a transfer completed
    bool saltato = false;  // --skip-if-current found nothing to do
    bool verdetto = false; // the device gave its verdict on the update, or let its wait run out
    bool solo_dati = false; // standard output carries the data alone: no closing events
};

// One command of kestra-flash: update, check, identify, reset, history.
class Comando
{
public:
    explicit Comando(Contesto &contesto) : c(contesto) {}
    virtual ~Comando() = default;
    Comando(const Comando &) = delete;
    Comando &operator=(const Comando &) = delete;

    virtual Conclusione esegui() = 0;

    // The command the options name.
    static std::unique_ptr<Comando> per(Contesto &contesto);

protected:
    // The steps in turn, up to the first that does not complete. The
    // warnings a step that completed showed, but for its own words, become
    // events.
    Esito in_sequenza(std::initializer_list<std::function<Esito()>> passi);
    // Connects; with --wait, tries again about once a second until the module
    // answers or the time is up.
    Esito connetti();
    // The firmware file's checks; a damaged file is told, and let through with --force.
    Esito controlla_file();

    Contesto &c;
};
