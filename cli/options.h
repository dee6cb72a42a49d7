#pragma once

#include <QString>
#include <QStringList>
#include <optional>

enum class Comando { Aggiorna, Controlla, Identifica, Riavvia };

struct Opzioni
{
    Comando comando = Comando::Aggiorna;
    QString firmware, indirizzo, indirizzo_access_point, password, registro; // registro: --log
    quint16 porta = 0;
    bool access_point = false; // --switch-to-ap
    bool si = false;           // --yes
    bool forza = false;        // --force: write a damaged file, or one for another board
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
};

// `argomenti` starts with the program's name. The password comes from
// --password, else KESTRA_PASSWORD, else the one the window offers.
Richiesta leggi_opzioni(const QStringList &argomenti);
