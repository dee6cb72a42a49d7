#pragma once

#include "core/messages.h"

#include <QString>
#include <optional>

// The exit codes of kestra-flash, one for each kind of failure.
enum class Esito {
    ok = 0, altro = 1, uso = 2, file = 3, connessione = 4, password = 5, access_point = 6,
    identificazione = 7, cancellazione = 8, trasferimento = 9, verifica = 10, interrotto = 130,
};

const char *nome_esito(Esito esito); // "erase": the class as JSON names it
QString elenco_esiti();               // every exit code and what it means, for --help

// What a status or a message box of the engine says about the run: a
// failure class, success (ok), or nothing.
std::optional<Esito> esito_di(const Testo &stato);
std::optional<Esito> esito_di(const Messaggio &messaggio);

// The same message box, by its Italian title and text.
bool stesso(const Messaggio &a, const Messaggio &b);
