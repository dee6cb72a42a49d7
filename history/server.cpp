#include "history/server.h"

#include "history/columns.h"

#include <QSqlQuery>

#include <initializer_list>

namespace {

// Connecting is bounded, and so are a statement and a link that went quiet,
// so that a server never holds an update back for long.
const QStringList limiti{QStringLiteral("connect_timeout=2"), QStringLiteral("keepalives_idle=5"),
                         QStringLiteral("keepalives_interval=2"), QStringLiteral("keepalives_count=2")};
const QString limite_istruzioni = QStringLiteral("SET statement_timeout = 5000");

// Taken by every program that migrates the schema, so that one does it and the others find it done.
constexpr qint64 chiave_migrazione = 0x4b455354524148; // "KESTRAH"

// Each migration takes the schema from the version of its place in the list (the first from none) to the next.
const std::initializer_list<const char *> migrazioni[] = {
    {
        "CREATE TABLE kestra_history_schema (version integer NOT NULL)",
        R"(CREATE TABLE kestra_history (
            id text PRIMARY KEY, started timestamptz NOT NULL, duration_ms bigint,
            station text NOT NULL, unit text, "user" text, forced boolean,
            front_end text, version text, address text, port integer,
            file text, file_sha256 text, cpu text, bootloader text, firmware text, board text, crc16_stored text,
            device_firmware text, device_board text, device_name text, device_date text,
            pages integer, crc16 text, resends integer, exit_code integer, class text, text text, erased boolean))",
        "CREATE INDEX kestra_history_started ON kestra_history (started, id)",
        "CREATE INDEX kestra_history_station ON kestra_history (station, started)",
    },
};
static_assert(std::size(migrazioni) == ServerStorico::versione_schema);

QString testo(const QSqlError &errore)
{
    return testo_errore(errore).simplified();
}

} // namespace

ServerStorico::ServerStorico(IndirizzoServer indirizzo)
    : m_indirizzo(std::move(indirizzo))
{
}

std::optional<ProblemaServer> ServerStorico::apri(bool per_scrivere)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return ProblemaServer{ProblemaServer::Tipo::Connessione,
                              QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not installed")};
    QSqlDatabase db = m_connessione.db();
    db.setHostName(m_indirizzo.host);
    db.setPort(m_indirizzo.porta);
    db.setDatabaseName(m_indirizzo.database);
    db.setUserName(m_indirizzo.utente);
    db.setConnectOptions((limiti + m_indirizzo.opzioni).join(u';'));
    QSqlQuery query(db);
    if (!db.open() || !query.exec(limite_istruzioni))
        return ProblemaServer{ProblemaServer::Tipo::Connessione, testo(db.isOpen() ? query.lastError() : db.lastError())};
    QSqlError errore;
    const std::optional<int> versione = leggi_versione(errore);
    if (!versione)
        return ProblemaServer{ProblemaServer::Tipo::Server, testo(errore)};
    m_versione = *versione;
    if (!per_scrivere)
        return std::nullopt;
    if (m_versione < versione_schema) {
        if (std::optional<ProblemaServer> problema = migra())
            return problema;
    }
    if (m_versione > versione_schema)
        return ProblemaServer{ProblemaServer::Tipo::SchemaPiuNuovo,
                              QStringLiteral("its history is a newer program's (version %1, this one knows up to "
                                             "%2): nothing is written to it")
                                  .arg(m_versione)
                                  .arg(versione_schema)};
    return std::nullopt;
}

std::optional<int> ServerStorico::leggi_versione(QSqlError &errore)
{
    QSqlQuery query(db());
    if (query.exec(QStringLiteral("SELECT to_regclass('kestra_history_schema') IS NULL")) && query.next()) {
        if (query.value(0).toBool())
            return 0;
        if (query.exec(QStringLiteral("SELECT max(version) FROM kestra_history_schema")) && query.next())
            return query.value(0).toInt();
    }
    errore = query.lastError();
    return std::nullopt;
}

// Brings the schema to this program's version. Another program migrating at
// once waits for the lock, then finds the work done: the lock is the
// session's, taken before the transaction, whose statements then see what
// the other committed.
std::optional<ProblemaServer> ServerStorico::migra()
{
    QSqlDatabase base = db();
    QSqlQuery query(base);
    QSqlError errore;
    std::optional<int> da;
    const bool bloccato = query.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(chiave_migrazione));
    if (bloccato && base.transaction())
        da = leggi_versione(errore);
    bool fatto = da.has_value();
    for (int v = fatto ? *da : 0; fatto && v < versione_schema; ++v) {
        for (const char *sql : migrazioni[v])
            fatto = fatto && query.exec(QLatin1String(sql));
    }
    if (fatto && *da < versione_schema)
        fatto = query.exec(QStringLiteral("INSERT INTO kestra_history_schema VALUES (%1)").arg(versione_schema));
    fatto = fatto && base.commit();
    const QSqlError causa = errore.isValid() ? errore : query.lastError().isValid() ? query.lastError() : base.lastError();
    if (!fatto)
        base.rollback();
    if (bloccato)
        query.exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(chiave_migrazione));
    if (!fatto)
        return ProblemaServer{ProblemaServer::Tipo::Server, QStringLiteral("creating its history: ") + testo(causa)};
    m_versione = std::max(*da, versione_schema);
    return std::nullopt;
}

std::optional<ProblemaServer> ServerStorico::scrivi(const QList<Tentativo> &tentativi)
{
    QStringList nomi = nomi_salvati(), aggiorna;
    for (const QString &nome : nomi.mid(1))
        aggiorna.append(QStringLiteral("%1 = EXCLUDED.%1").arg(nome));
    QSqlDatabase base = db();
    QSqlQuery query(base);
    bool fatto = base.transaction()
                 && query.prepare(QStringLiteral("INSERT INTO kestra_history (%1) VALUES (%2) ON CONFLICT (id) DO UPDATE SET %3")
                                      .arg(nomi.join(u','), QStringLiteral("?,").repeated(nomi.size()).chopped(1),
                                           aggiorna.join(u',')));
    for (qsizetype i = 0; fatto && i < tentativi.size(); ++i) {
        for (const Colonna &colonna : colonne()) {
            if (colonna.salvata())
                query.addBindValue(colonna.leggi(tentativi[i]));
        }
        fatto = query.exec();
    }
    if (fatto && base.commit())
        return std::nullopt;
    const QString perche = testo(query.lastError().isValid() ? query.lastError() : base.lastError());
    base.rollback();
    return ProblemaServer{ProblemaServer::Tipo::Server, perche};
}

QString inizio_server()
{
    return QStringLiteral(R"(to_char(started AT TIME ZONE 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS.MS"Z"'))");
}

QString selezione_server()
{
    QStringList nomi = nomi_salvati();
    nomi.replace(nomi.indexOf(QStringLiteral("\"started\"")), inizio_server());
    return nomi.join(u',');
}
