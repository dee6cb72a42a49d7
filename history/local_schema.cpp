#include "history/local_schema.h"

#include "history/columns.h"
#include "history/connection.h"

#include <QSet>
#include <QSqlQuery>

#include <initializer_list>

namespace {

// The table as the first version wrote it, when it had no version.
const char *const tabella_v1 = R"(
    CREATE TABLE IF NOT EXISTS aggiornamenti (
        id INTEGER PRIMARY KEY AUTOINCREMENT,
        started TEXT NOT NULL, duration_ms INTEGER, front_end TEXT NOT NULL, version TEXT,
        address TEXT, port INTEGER, file TEXT, file_sha256 TEXT, cpu TEXT, bootloader TEXT,
        firmware TEXT, board TEXT, crc16_stored TEXT, device_firmware TEXT, device_board TEXT,
        device_name TEXT, device_date TEXT, pages INTEGER, crc16 TEXT, resends INTEGER,
        exit_code INTEGER, class TEXT, text TEXT, erased INTEGER))";

// Each migration takes the schema from the version of its place in the list
// (the first from version 1) to the next.
const std::initializer_list<const char *> migrazioni[] = {
    // 1 -> 2: a record's key on every station and server is a UUID, the
    // AUTOINCREMENT key stays as `seq`; who ran it, where, on what, forced or not.
    {
        "ALTER TABLE aggiornamenti RENAME COLUMN id TO seq",
        "ALTER TABLE aggiornamenti ADD COLUMN id TEXT",
        "ALTER TABLE aggiornamenti ADD COLUMN station TEXT",
        "ALTER TABLE aggiornamenti ADD COLUMN unit TEXT",
        "ALTER TABLE aggiornamenti ADD COLUMN user TEXT",
        "ALTER TABLE aggiornamenti ADD COLUMN forced INTEGER",
        // A random (version 4) UUID for each record kept.
        "UPDATE aggiornamenti SET id = lower(hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4'"
        " || substr(hex(randomblob(2)), 2) || '-' || substr('89ab', 1 + abs(random()) % 4, 1)"
        " || substr(hex(randomblob(2)), 2) || '-' || hex(randomblob(6)))",
        "CREATE UNIQUE INDEX aggiornamenti_id ON aggiornamenti (id)",
    },
    // 2 -> 3: the outbox. `unsent` counts a record's changes since the server
    // last took it: every write adds one, the sender sets it back to 0. Every
    // record kept waits to be sent.
    {
        "ALTER TABLE aggiornamenti ADD COLUMN unsent INTEGER NOT NULL DEFAULT 1",
        "CREATE INDEX aggiornamenti_da_inviare ON aggiornamenti (seq) WHERE unsent > 0",
    },
};
static_assert(std::size(migrazioni) == schema_locale::versione - 1);

bool esegui_tutte(QSqlQuery &query, std::initializer_list<const char *> istruzioni)
{
    return std::all_of(istruzioni.begin(), istruzioni.end(),
                       [&query](const char *sql) { return esegui(query, QLatin1String(sql)); });
}

} // namespace

namespace schema_locale {

std::optional<int> leggi_versione(const QSqlDatabase &db, QSqlError &errore)
{
    QSqlQuery query(db);
    if (!esegui(query, QStringLiteral("PRAGMA user_version")) || !query.next()) {
        errore = query.lastError();
        return std::nullopt;
    }
    const int numero = query.value(0).toInt();
    if (numero > 0)
        return numero;
    if (!esegui(query, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'aggiornamenti'"))
        || !query.next()) {
        errore = query.lastError();
        return std::nullopt;
    }
    return query.value(0).toInt() > 0 ? 1 : 0;
}

bool migra(const QSqlDatabase &db, QSqlError &errore)
{
    QSqlQuery query(db);
    // The write lock first: a program migrating at the same time waits, then finds it done.
    if (!esegui(query, QStringLiteral("BEGIN IMMEDIATE"))) {
        errore = query.lastError();
        return false;
    }
    std::optional<int> da = leggi_versione(db, errore);
    bool fatto = da.has_value();
    if (fatto && *da < versione) {
        fatto = *da > 0 || esegui(query, QLatin1String(tabella_v1));
        for (int v = std::max(*da, 1); fatto && v < versione; ++v)
            fatto = esegui_tutte(query, migrazioni[v - 1]);
        fatto = fatto && esegui(query, QStringLiteral("PRAGMA user_version = %1").arg(versione));
    }
    if (fatto && esegui(query, QStringLiteral("COMMIT")))
        return true;
    if (errore.type() == QSqlError::NoError)
        errore = query.lastError();
    query.finish();
    esegui(query, QStringLiteral("ROLLBACK"));
    return false;
}

std::optional<Lettura> lettura(const QSqlDatabase &db, QSqlError &errore)
{
    QSqlQuery query(db);
    if (!esegui(query, QStringLiteral("PRAGMA table_info(aggiornamenti)"))) {
        errore = query.lastError();
        return std::nullopt;
    }
    QSet<QString> presenti;
    while (query.next())
        presenti.insert(query.value(1).toString());
    if (query.lastError().isValid()) {
        errore = query.lastError();
        return std::nullopt;
    }
    Lettura l;
    l.tabella = !presenti.isEmpty();
    l.chiave = presenti.contains(QStringLiteral("seq")) ? QStringLiteral("seq") : QStringLiteral("id");
    QStringList scelte;
    for (const Colonna &colonna : colonne()) {
        const QString nome = QLatin1String(colonna.nome);
        if (colonna.salvata())
            scelte.append(presenti.contains(nome) && nome != l.chiave ? u'"' + nome + u'"' : QStringLiteral("NULL"));
    }
    scelte << l.chiave << (presenti.contains(QStringLiteral("unsent")) ? QStringLiteral("unsent") : QStringLiteral("1"));
    l.selezione = scelte.join(u',');
    return l;
}

} // namespace schema_locale
