#pragma once

#include "core/attempt.h"

#include <QStringList>
#include <QVariant>

#include <span>

// A field of a record, in the same order and under the same name everywhere:
// a column of the station's table and of the server's, a key of a record's
// JSON, a column of its CSV.
struct Colonna
{
    // When it is written: as the attempt starts, as it ends, at both; or
    // never, for a field worked out from the others.
    enum class Quando { Inizio, Fine, Sempre, Mai };

    const char *nome;
    QVariant (*leggi)(const Tentativo &);
    void (*scrivi)(Tentativo &, const QVariant &); // none for a field never stored
    Quando quando;

    bool salvata() const { return quando != Quando::Mai; }
    bool scritta_a(Quando momento) const { return quando == momento || quando == Quando::Sempre; }
};

std::span<const Colonna> colonne();

// The stored columns' names, each in double quotes ("user" is a word of PostgreSQL's).
QStringList nomi_salvati();

// A time as a record gives it: ISO 8601, UTC, to the millisecond ("2026-12-07T10:00:01.250Z").
QString testo_tempo(const QDateTime &tempo);
QDateTime tempo_da_testo(const QString &testo);
