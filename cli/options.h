#pragma once

#include <QString>
#include <QStringList>
#include "history/reading.h"

#include <filesystem>
#include <optional>

enum class NomeComando { Aggiorna, Controlla, Identifica, Riavvia, Storico, Sincronizza };

struct Opzioni
{
    NomeComando comando = NomeComando::Aggiorna;
    QString firmware, indirizzo, indirizzo_access_point, password, registro; // registro: --log
    QString stazione, unita;                                               // --station, --unit
    QString url_storico;                                                   // --history-url
    // --history: which records, how.
    FiltroStorico filtro; // --since, --until, --station, --class, --limit
    bool csv = false;
    bool tutte_le_stazioni = false; // --all-stations: the plant's server
    std::filesystem::path file_firmware; // the firmware file as the system names it
    quint16 porta = 0;
    bool access_point = false; // --switch-to-ap
    bool si = false;           // --yes
    bool forza = false;        // --force: write a damaged file, or one for another board
    bool salta_se_attuale = false; // --skip-if-current
    int attesa_s = 0;   // --wait: seconds to keep trying to connect
    int tentativi = 0;  // --retries: more tries after a failure once the erase has begun

    bool json = false;
    int lingua = 0;
};

// Options to run with, or a text to print (help, version, or what is wrong)
// and the exit code.
struct Richiesta
{
    std::optional<Opzioni> opzioni;
    QString testo;
    int codice = 0;
    QString errore; // what is wrong, for a JSON error
};

// `argomenti` starts with the program's name. The password comes from
// --password, else KESTRA_PASSWORD, else the one the window offers.
Richiesta leggi_opzioni(const QStringList &argomenti);
