#pragma once

#include "core/attempt.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

// What a listing of the history asks for, and what it found: the same for
// the station's file and for the plant's server.

// A bound of a listing: a time, or the id of a record, meaning the time that record started.
using Estremo = std::variant<QDateTime, QString>;

struct FiltroStorico
{
    std::optional<Estremo> dal; // started at or after
    std::optional<Estremo> al;  // started at or before
    QString stazione;           // empty: every station
    QString classe;             // empty: every class ("completed", "transfer", ...)
    qint64 limite = 0;          // the newest N only; 0: all
};

// How a listing went, as data: the caller words it.
struct EsitoLettura
{
    bool letto = false;     // false: nothing could be read; `perche` says why
    QString perche;
    qint64 letti = 0;       // records given to the caller
    qint64 non_letti = 0;   // records lost in damaged pages of the file: at most this many, of any station or class
    int versione = 0;       // the schema's version found (0: no history yet)
    bool piu_nuovo = false; // written by a newer program: what this one understands was read
};

// Receives the records one at a time, newest first.
using Ricevi = std::function<void(const Tentativo &)>;

class LettoreStorico
{
public:
    virtual ~LettoreStorico() = default;
    virtual EsitoLettura leggi(const FiltroStorico &filtro, const Ricevi &ricevi) = 0;
};

// A filter as an SQL condition on the stored columns (empty: every record),
// with its values in order. An id bound becomes the time `inizio_di` gives
// for it; a bound whose record it does not find makes `errore`.
struct Condizione
{
    QString sql;
    QVariantList valori;
    QString errore;
};
Condizione condizione(const FiltroStorico &filtro, const std::function<QString(const QString &id)> &inizio_di);
