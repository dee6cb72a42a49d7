#include "history/history_db.h"

#include "history/columns.h"
#include "history/local_rows.h"
#include "history/local_schema.h"
#include "history/reader.h"
#include "history/salvage.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

// The stored columns written at `quando`, quoted, and their values for `t`.
std::pair<QStringList, QVariantList> colonne_di(const Tentativo &t, Colonna::Quando quando)
{
    std::pair<QStringList, QVariantList> scelte;
    for (const Colonna &colonna : colonne()) {
        if (colonna.salvata() && colonna.scritta_a(quando)) {
            scelte.first.append(u'"' + QLatin1String(colonna.nome) + u'"');
            scelte.second.append(colonna.leggi(t));
        }
    }
    return scelte;
}

} // namespace

StoricoSqlite::StoricoSqlite(QString percorso, std::function<void(const QString &)> avviso)
    : m_percorso(std::move(percorso))
    , m_avviso(std::move(avviso))
{
}

void StoricoSqlite::inizio(const Tentativo &tentativo)
{
    m_ultimo_id = tentativo.id.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : tentativo.id;
    Tentativo t = tentativo;
    t.id = m_ultimo_id;
    const auto [nomi, valori] = colonne_di(t, Colonna::Quando::Inizio);
    scrivi(QStringLiteral("INSERT INTO aggiornamenti (%1) VALUES (%2)")
               .arg(nomi.join(u','), QStringLiteral("?,").repeated(nomi.size()).chopped(1)),
           valori);
}

void StoricoSqlite::fine(const Tentativo &tentativo)
{
    auto [nomi, valori] = colonne_di(tentativo, Colonna::Quando::Fine);
    valori.append(tentativo.id.isEmpty() ? m_ultimo_id : tentativo.id);
    scrivi(QStringLiteral("UPDATE aggiornamenti SET %1 = ?, unsent = unsent + 1 WHERE id = ? AND duration_ms IS NULL")
               .arg(nomi.join(QStringLiteral(" = ?, "))),
           valori);
}

std::optional<QList<Tentativo>> StoricoSqlite::elenco(int limite)
{
    QList<Tentativo> tentativi;
    FiltroStorico filtro;
    filtro.limite = limite;
    const EsitoLettura esito = LettoreLocale(m_percorso).leggi(filtro, [&](const Tentativo &t) { tentativi.append(t); });
    return esito.letto ? std::optional(tentativi) : std::nullopt;
}

std::optional<QList<RigaLocale>> StoricoSqlite::da_inviare(qint64 dopo, int quanti, QString &errore)
{
    QSqlError e;
    const std::optional<schema_locale::Lettura> lettura =
        aperto() ? schema_locale::lettura(m_connessione.db(), e) : std::nullopt;
    QSqlQuery query(m_connessione.db());
    query.setForwardOnly(true);
    if (lettura
        && esegui(query,
                  QStringLiteral("SELECT %1 FROM aggiornamenti WHERE unsent > 0 AND seq > ? ORDER BY seq LIMIT ?")
                      .arg(lettura->selezione),
                  {dopo, quanti})) {
        QList<RigaLocale> righe;
        while (query.next())
            righe.append(riga_locale(query));
        if (!query.lastError().isValid())
            return righe;
    }
    errore = m_stato == Stato::Aperto ? testo_errore(e.isValid() ? e : query.lastError())
                                      : QStringLiteral("the history %1 cannot be written").arg(m_percorso);
    return std::nullopt;
}

bool StoricoSqlite::segna_inviati(const QList<RigaLocale> &inviati, QString &errore)
{
    QSqlDatabase db = m_connessione.db();
    QSqlQuery query(db);
    bool fatto = aperto() && db.transaction()
                 && query.prepare(QStringLiteral("UPDATE aggiornamenti SET unsent = 0 WHERE seq = ? AND unsent = ?"));
    for (qsizetype i = 0; fatto && i < inviati.size(); ++i) {
        query.addBindValue(inviati[i].seq);
        query.addBindValue(inviati[i].non_inviate);
        fatto = query.exec();
    }
    if (fatto && db.commit())
        return true;
    errore = testo_errore(query.lastError().isValid() ? query.lastError() : db.lastError());
    db.rollback();
    return false;
}

qint64 StoricoSqlite::in_attesa()
{
    QSqlQuery query(m_connessione.db());
    return aperto() && esegui(query, QStringLiteral("SELECT count(*) FROM aggiornamenti WHERE unsent > 0")) && query.next()
               ? query.value(0).toLongLong()
               : -1;
}

bool StoricoSqlite::aperto()
{
    if (m_stato == Stato::DaAprire)
        m_stato = apri();
    return m_stato == Stato::Aperto;
}

StoricoSqlite::Stato StoricoSqlite::apri()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        avvisa(QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed"));
        return Stato::Inservibile;
    }
    QDir().mkpath(QFileInfo(m_percorso).path());
    QSqlError errore;
    std::optional<int> versione = apri_e_migra(errore);
    if (!versione && guasto(errore)) {
        if (!recupera())
            return Stato::Inservibile;
        versione = apri_e_migra(errore);
    }
    if (!versione) {
        avvisa(testo_errore(errore));
        return Stato::Inservibile;
    }
    if (*versione > schema_locale::versione) {
        avvisa(QStringLiteral("written by a newer version of the program (history version %1, this one knows up to "
                              "%2): it is left as it is, and updates are not recorded in it")
                   .arg(*versione)
                   .arg(schema_locale::versione));
        return Stato::PiuNuovo;
    }
    return Stato::Aperto;
}

// The file's version once it is open for writing: this program's, after a
// migration when it was older; a newer one is only read.
std::optional<int> StoricoSqlite::apri_e_migra(QSqlError &errore)
{
    QSqlDatabase db = m_connessione.db();
    db.close();
    db.setDatabaseName(m_percorso);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        errore = db.lastError();
        return std::nullopt;
    }
    QSqlQuery query(db);
    // Each page is checked as it is read: a damaged one fails the statement that touches it.
    esegui(query, QStringLiteral("PRAGMA cell_size_check = ON"));
    const std::optional<int> versione = schema_locale::leggi_versione(db, errore);
    if (!versione || *versione > schema_locale::versione)
        return versione;
    // With the write-ahead log, a normal sync keeps the database sound; an
    // attempt written just before the machine loses power may be lost.
    if (!esegui(query, QStringLiteral("PRAGMA journal_mode=WAL"))
        || !esegui(query, QStringLiteral("PRAGMA synchronous=NORMAL"))) {
        errore = query.lastError();
        return std::nullopt;
    }
    if (*versione < schema_locale::versione && !schema_locale::migra(db, errore))
        return std::nullopt;
    return schema_locale::versione;
}

bool StoricoSqlite::recupera()
{
    m_connessione.db().close();
    const Recupero recupero = recupera_storico(m_percorso);
    avvisa(recupero.messaggio);
    return recupero.riuscito;
}

// Runs a statement that writes a record; a file found damaged is salvaged
// and the statement run once more on the new one.
void StoricoSqlite::scrivi(const QString &sql, const QVariantList &valori)
{
    for (bool recuperato = false; aperto(); recuperato = true) {
        QSqlQuery query(m_connessione.db());
        if (esegui(query, sql, valori))
            break;
        const QSqlError errore = query.lastError();
        query.finish();
        if (recuperato || !guasto(errore)) {
            avvisa(testo_errore(errore));
            return;
        }
        m_stato = recupera() ? Stato::DaAprire : Stato::Inservibile;
    }
    if (m_stato == Stato::Aperto && m_dopo_scrittura)
        m_dopo_scrittura();
}

void StoricoSqlite::avvisa(const QString &perche)
{
    const QString testo = QStringLiteral("history %1: %2").arg(m_percorso, perche);
    if (m_detti.contains(testo))
        return;
    m_detti.append(testo);
    m_avviso(testo);
}

QString percorso_storico()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history.sqlite");
}
