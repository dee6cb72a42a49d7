#pragma once

#include "history/connection.h"
#include "history/local_schema.h"

#include "core/attempt.h"

#include <QSqlError>
#include <QSqlQuery>

#include <functional>
#include <optional>

// Reading a station's history file without changing it, page by page
// around the damaged ones: what the reader and the salvage share.

// SQLite's answer for a damaged database, or for a file that is none.
bool guasto(const QSqlError &errore);

// Opens the file at `percorso` read-only on `connessione` and returns its
// schema's version: with QSQLITE_OPEN_READONLY, or, where even that cannot
// read it (a database in WAL mode in a folder that takes no "-shm" file, a
// full disk), as an immutable file. Nothing, with why in `errore`, when it
// cannot be read.
std::optional<int> apri_in_lettura(const Connessione &connessione, const QString &percorso, QSqlError &errore);

struct RigaLocale
{
    qint64 seq = 0;          // the record's place in the file
    qint64 non_inviate = 0;  // its changes the server has not had
    Tentativo tentativo;
};

// The record at `query`'s row, selected as schema_locale::lettura() says.
RigaLocale riga_locale(const QSqlQuery &query);

struct Scansione
{
    qint64 non_letti = 0; // the keys of the records that failed to read
    QSqlError errore;     // a failure other than a damaged page, that ended the reading
};

// Gives `ricevi` the records of the open file `db` that meet `condizione`
// (on its columns, with its `valori`; empty: all), newest first, until it
// returns false. A range of keys that fails to read is halved until the
// failing keys are found: these are counted, the records around them read.
Scansione scorri(const QSqlDatabase &db, const schema_locale::Lettura &lettura, const QString &condizione,
                 const QVariantList &valori, const std::function<bool(const RigaLocale &)> &ricevi);
