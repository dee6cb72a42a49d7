#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <optional>

// The station's history: the table `aggiornamenti` of an SQLite file, its
// schema's version in PRAGMA user_version. Version 1 is the history from
// before versions (user_version 0 with the table); 0 a file without it.
namespace schema_locale {

constexpr int versione = 3;

// The version of `db`'s schema; nothing, with why in `errore`, when it cannot be read.
std::optional<int> leggi_versione(const QSqlDatabase &db, QSqlError &errore);

// Brings `db` to `versione` in one transaction, from whatever older version
// it has, keeping every record; a database that another program migrated
// meanwhile is left as it is. False, with why in `errore`, when it failed:
// the database is then as it was.
bool migra(const QSqlDatabase &db, QSqlError &errore);

// How the records of the file `db` are read, whatever its version: its key
// column, and the list of columns to select, in the order of colonne(), NULL
// for a field its version lacks, then the key and the count of changes not
// sent (1 for a version without it).
struct Lettura
{
    bool tabella = false; // false: a file without the table, which holds no records
    QString chiave;
    QString selezione;
};
std::optional<Lettura> lettura(const QSqlDatabase &db, QSqlError &errore);

} // namespace schema_locale
