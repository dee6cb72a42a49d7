#include "history/history_db.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QUuid>

namespace {

constexpr int attesa_occupato_ms = 5000;

// SQLite's result codes for a file that is not a database, or a damaged one.
const QString non_database = QStringLiteral("26");
const QString danneggiato = QStringLiteral("11");

const char *const crea_tabella = R"(
    CREATE TABLE IF NOT EXISTS aggiornamenti (
        id INTEGER PRIMARY KEY AUTOINCREMENT,
        started TEXT NOT NULL, duration_ms INTEGER, front_end TEXT NOT NULL, version TEXT,
        address TEXT, port INTEGER, file TEXT, file_sha256 TEXT, cpu TEXT, bootloader TEXT,
        firmware TEXT, board TEXT, crc16_stored TEXT, device_firmware TEXT, device_board TEXT,
        device_name TEXT, device_date TEXT, pages INTEGER, crc16 TEXT, resends INTEGER,
        exit_code INTEGER, class TEXT, text TEXT, erased INTEGER))";

// When a column is written: as the attempt starts, as it ends, or both.
enum class Quando { Inizio, Fine, Sempre };

// A column of the table, and of a record's JSON: how it is read from an
// attempt and written back into one.
struct Colonna
{
    const char *nome;
    QVariant (*leggi)(const Tentativo &);
    void (*scrivi)(Tentativo &, const QVariant &);
    Quando quando;
};

template<auto membro>
QVariant leggi_campo(const Tentativo &t)
{
    return QVariant::fromValue(t.*membro);
}

template<auto membro>
void scrivi_campo(Tentativo &t, const QVariant &valore)
{
    t.*membro = valore.value<std::remove_cvref_t<decltype(t.*membro)>>();
}

template<auto membro>
constexpr Colonna campo(const char *nome, Quando quando = Quando::Inizio)
{
    return {nome, &leggi_campo<membro>, &scrivi_campo<membro>, quando};
}

const Colonna colonne[] = {
    {"started", [](const Tentativo &t) { return QVariant(t.inizio.toString(Qt::ISODateWithMs)); },
     [](Tentativo &t, const QVariant &v) { t.inizio = QDateTime::fromString(v.toString(), Qt::ISODateWithMs); },
     Quando::Inizio},
    {"duration_ms", [](const Tentativo &t) { return t.concluso() ? QVariant(t.durata_ms) : QVariant(); },
     [](Tentativo &t, const QVariant &v) { t.durata_ms = v.isNull() ? -1 : v.toLongLong(); }, Quando::Fine},
    campo<&Tentativo::front_end>("front_end"),
    campo<&Tentativo::versione>("version"),
    campo<&Tentativo::indirizzo>("address"),
    campo<&Tentativo::porta>("port"),
    campo<&Tentativo::file>("file"),
    campo<&Tentativo::file_sha256>("file_sha256"),
    campo<&Tentativo::cpu>("cpu"),
    campo<&Tentativo::bootloader>("bootloader"),
    campo<&Tentativo::firmware>("firmware"),
    campo<&Tentativo::scheda>("board"),
    campo<&Tentativo::crc16_memorizzato>("crc16_stored"),
    campo<&Tentativo::firmware_dispositivo>("device_firmware"),
    campo<&Tentativo::scheda_dispositivo>("device_board"),
    campo<&Tentativo::nome_dispositivo>("device_name"),
    campo<&Tentativo::data_dispositivo>("device_date"),
    campo<&Tentativo::pagine>("pages", Quando::Fine),
    campo<&Tentativo::crc16>("crc16", Quando::Fine),
    campo<&Tentativo::rinvii>("resends", Quando::Fine),
    {"exit_code", [](const Tentativo &t) { return t.codice_uscita ? QVariant(*t.codice_uscita) : QVariant(); },
     [](Tentativo &t, const QVariant &v) { t.codice_uscita = v.isNull() ? std::nullopt : std::optional(v.toInt()); },
     Quando::Fine},
    campo<&Tentativo::classe>("class", Quando::Fine),
    campo<&Tentativo::testo>("text", Quando::Fine),
    // From its start, an attempt may have left the device erased: a record never says less.
    campo<&Tentativo::cancellato>("erased", Quando::Sempre),
};

// The names and values of the columns written at an attempt's start, or at its end.
std::pair<QStringList, QVariantList> colonne_di(const Tentativo &t, Quando quando)
{
    std::pair<QStringList, QVariantList> scelte;
    for (const Colonna &colonna : colonne) {
        if (colonna.quando == quando || colonna.quando == Quando::Sempre) {
            scelte.first.append(QLatin1String(colonna.nome));
            scelte.second.append(colonna.leggi(t));
        }
    }
    return scelte;
}

Tentativo da_riga(const QSqlRecord &riga)
{
    Tentativo t;
    for (const Colonna &colonna : colonne)
        colonna.scrivi(t, riga.value(QLatin1String(colonna.nome)));
    return t;
}

bool esegui(QSqlQuery &query, const QString &sql, const QVariantList &valori = {})
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &valore : valori)
        query.addBindValue(valore);
    return query.exec();
}

bool guasto(const QSqlError &errore)
{
    return errore.nativeErrorCode() == non_database || errore.nativeErrorCode() == danneggiato;
}

} // namespace

StoricoSqlite::StoricoSqlite(QString percorso, std::function<void(const QString &)> avviso)
    : m_percorso(std::move(percorso))
    , m_connessione(QStringLiteral("storico-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_avviso(std::move(avviso))
{
}

StoricoSqlite::~StoricoSqlite()
{
    if (QSqlDatabase::contains(m_connessione)) {
        QSqlDatabase::database(m_connessione, false).close();
        QSqlDatabase::removeDatabase(m_connessione);
    }
}

void StoricoSqlite::inizio(const Tentativo &tentativo)
{
    m_riga = -1;
    if (!aperto())
        return;
    QSqlQuery query(QSqlDatabase::database(m_connessione));
    const auto [nomi, valori] = colonne_di(tentativo, Quando::Inizio);
    const QString segnaposti = QStringLiteral("?,").repeated(nomi.size()).chopped(1);
    if (!esegui(query, QStringLiteral("INSERT INTO aggiornamenti (%1) VALUES (%2)").arg(nomi.join(u','), segnaposti),
                valori))
        return avvisa(query.lastError().text());
    m_riga = query.lastInsertId().toLongLong();
}

void StoricoSqlite::fine(const Tentativo &tentativo)
{
    if (m_riga < 0 || !aperto())
        return;
    QSqlQuery query(QSqlDatabase::database(m_connessione));
    auto [nomi, valori] = colonne_di(tentativo, Quando::Fine);
    valori.append(m_riga);
    if (!esegui(query, QStringLiteral("UPDATE aggiornamenti SET %1 = ? WHERE id = ?").arg(nomi.join(" = ?, ")), valori))
        avvisa(query.lastError().text());
    m_riga = -1;
}

std::optional<QList<Tentativo>> StoricoSqlite::elenco(int limite)
{
    if (!aperto())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connessione));
    query.setForwardOnly(true);
    if (!esegui(query, QStringLiteral("SELECT * FROM aggiornamenti ORDER BY id DESC LIMIT ?"), {limite > 0 ? limite : -1})) {
        avvisa(query.lastError().text());
        return std::nullopt;
    }
    QList<Tentativo> tentativi;
    while (query.next())
        tentativi.append(da_riga(query.record()));
    return tentativi;
}

bool StoricoSqlite::aperto()
{
    if (m_stato == Stato::DaAprire)
        m_stato = apri() ? Stato::Aperto : Stato::Inservibile;
    return m_stato == Stato::Aperto;
}

// Opens the database and makes sure it is a sound one with the table; a file
// that is not is moved aside once and a new one started.
bool StoricoSqlite::apri()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        avvisa(QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed"));
        return false;
    }
    QDir().mkpath(QFileInfo(m_percorso).path());
    for (bool spostato = false;; spostato = true) {
        QSqlDatabase db = QSqlDatabase::contains(m_connessione)
                              ? QSqlDatabase::database(m_connessione, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connessione);
        db.setDatabaseName(m_percorso);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(attesa_occupato_ms));
        if (!db.open()) {
            avvisa(db.lastError().text());
            return false;
        }
        QSqlQuery query(db);
        const bool sano = esegui(query, QStringLiteral("PRAGMA quick_check")) && query.next()
                          && query.value(0).toString() == QLatin1String("ok");
        if (sano) {
            // With the write-ahead log, a normal sync keeps the database sound; an
            // attempt written just before the machine loses power may be lost.
            if (!esegui(query, QStringLiteral("PRAGMA journal_mode=WAL"))
                || !esegui(query, QStringLiteral("PRAGMA synchronous=NORMAL"))
                || !esegui(query, QLatin1String(crea_tabella))) {
                avvisa(query.lastError().text());
                return false;
            }
            return true;
        }
        const QSqlError errore = query.lastError();
        db.close();
        if (spostato || !(guasto(errore) || errore.type() == QSqlError::NoError)) {
            avvisa(errore.text());
            return false;
        }
        // Damaged: kept beside for whoever wants to look into it.
        const QString accanto = m_percorso + QStringLiteral(".damaged-")
                                + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmsszzz"));
        for (const QString &suffisso : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            if (QFile::exists(m_percorso + suffisso) && !QFile::rename(m_percorso + suffisso, accanto + suffisso)) {
                avvisa(QStringLiteral("%1 is damaged and cannot be moved aside").arg(m_percorso));
                return false;
            }
        }
        avvisa(QStringLiteral("%1 was damaged: moved aside to %2, a new history is started").arg(m_percorso, accanto));
    }
}

void StoricoSqlite::avvisa(const QString &perche)
{
    if (m_stato == Stato::Inservibile)
        return;
    m_avviso(QStringLiteral("history %1: %2").arg(m_percorso, perche));
}

QString percorso_storico()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history.sqlite");
}

QJsonObject in_json(const Tentativo &tentativo)
{
    QJsonObject campi{{"completed", tentativo.concluso()}};
    for (const Colonna &colonna : colonne)
        campi.insert(QLatin1String(colonna.nome), QJsonValue::fromVariant(colonna.leggi(tentativo)));
    campi.insert(QStringLiteral("started"), tentativo.inizio.toString(Qt::ISODate));
    return campi;
}
