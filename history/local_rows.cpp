#include "history/local_rows.h"

#include "history/columns.h"

#include <QSqlQuery>
#include <QUrl>

namespace {

// SQLite's result codes for a damaged database and for a file that is not one.
const QString danneggiato = QStringLiteral("11");
const QString non_database = QStringLiteral("26");

// The highest key ever given (AUTOINCREMENT keeps it), or the highest there is.
std::optional<qint64> chiave_massima(const QSqlDatabase &db, const QString &chiave, QSqlError &errore)
{
    QSqlQuery query(db);
    if (esegui(query, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'aggiornamenti'")) && query.next())
        return query.value(0).toLongLong();
    if (esegui(query, QStringLiteral("SELECT coalesce(max(%1), 0) FROM aggiornamenti").arg(chiave)) && query.next())
        return query.value(0).toLongLong();
    errore = query.lastError();
    return std::nullopt;
}

} // namespace

RigaLocale riga_locale(const QSqlQuery &query)
{
    RigaLocale r;
    int i = 0;
    for (const Colonna &colonna : colonne()) {
        if (colonna.salvata())
            colonna.scrivi(r.tentativo, query.value(i++));
    }
    r.seq = query.value(i).toLongLong();
    r.non_inviate = query.value(i + 1).toLongLong();
    return r;
}

bool guasto(const QSqlError &errore)
{
    return errore.nativeErrorCode() == danneggiato || errore.nativeErrorCode() == non_database;
}

std::optional<int> apri_in_lettura(const Connessione &connessione, const QString &percorso, QSqlError &errore)
{
    const QString immutabile = QUrl::fromLocalFile(percorso).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1");
    const std::pair<QString, const char *> modi[] = {
        {percorso, "QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"},
        {immutabile, "QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"},
    };
    for (const auto &[nome, opzioni] : modi) {
        QSqlDatabase db = connessione.db();
        db.close();
        db.setDatabaseName(nome);
        db.setConnectOptions(QLatin1String(opzioni));
        if (!db.open()) {
            errore = db.lastError();
            continue;
        }
        // Each page is checked as it is read: a damaged one fails, never passes for records.
        QSqlQuery(QStringLiteral("PRAGMA cell_size_check = ON"), db);
        if (const std::optional<int> versione = schema_locale::leggi_versione(db, errore))
            return versione;
        if (guasto(errore))
            return std::nullopt;
    }
    return std::nullopt;
}

Scansione scorri(const QSqlDatabase &db, const schema_locale::Lettura &lettura, const QString &condizione,
                 const QVariantList &valori, const std::function<bool(const RigaLocale &)> &ricevi)
{
    Scansione s;
    const std::optional<qint64> massima = chiave_massima(db, lettura.chiave, s.errore);
    if (!massima)
        return s;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT %1 FROM aggiornamenti WHERE %2 BETWEEN ? AND ?%3 ORDER BY %2 DESC")
                            .arg(lettura.selezione, lettura.chiave,
                                 condizione.isEmpty() ? QString() : QStringLiteral(" AND ") + condizione);
    if (!query.prepare(sql)) {
        s.errore = query.lastError();
        return s;
    }
    // Ranges of keys still to read, the newest last.
    QList<std::pair<qint64, qint64>> da_leggere{{1, *massima}};
    while (!da_leggere.isEmpty()) {
        const auto [da, a] = da_leggere.takeLast();
        query.bindValue(0, da);
        query.bindValue(1, a);
        for (int i = 0; i < valori.size(); ++i)
            query.bindValue(2 + i, valori[i]);
        qint64 ultima = a + 1; // the last key read
        for (bool ancora = query.exec(); ancora && query.next();) {
            const RigaLocale r = riga_locale(query);
            ultima = r.seq;
            if (!ricevi(r))
                return s;
        }
        if (!query.lastError().isValid())
            continue;
        if (!guasto(query.lastError())) {
            s.errore = query.lastError();
            return s;
        }
        if (ultima <= a) // read up to a damaged page: on from the key below
            da_leggere.append({da, ultima - 1});
        else if (da == a)
            ++s.non_letti;
        else
            da_leggere << std::pair(da, da + (a - da) / 2) << std::pair(da + (a - da) / 2 + 1, a);
    }
    return s;
}
