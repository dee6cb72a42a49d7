#include "history/reader.h"

#include "history/local_rows.h"

#include <QFileInfo>

LettoreLocale::LettoreLocale(QString percorso)
    : m_percorso(std::move(percorso))
{
}

EsitoLettura LettoreLocale::leggi(const FiltroStorico &filtro, const Ricevi &ricevi)
{
    EsitoLettura esito;
    if (!QFileInfo::exists(m_percorso)) {
        esito.letto = true;
        return esito;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        esito.perche = QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed");
        return esito;
    }
    const Connessione connessione(QStringLiteral("QSQLITE"));
    const QSqlDatabase db = connessione.db();
    QSqlError errore;
    const std::optional<int> versione = apri_in_lettura(connessione, m_percorso, errore);
    const std::optional<schema_locale::Lettura> lettura = versione ? schema_locale::lettura(db, errore) : std::nullopt;
    if (!lettura) {
        esito.perche = testo_errore(errore);
        return esito;
    }
    esito.versione = *versione;
    esito.piu_nuovo = *versione > schema_locale::versione;
    const Condizione c = condizione(filtro, [&](const QString &id) {
        QSqlQuery query(db);
        return lettura->chiave != QLatin1String("id")
                       && esegui(query, QStringLiteral("SELECT started FROM aggiornamenti WHERE id = ?"), {id})
                       && query.next()
                   ? query.value(0).toString()
                   : QString();
    });
    if (!c.errore.isEmpty()) {
        esito.perche = c.errore;
        return esito;
    }
    if (lettura->tabella) {
        const Scansione s = scorri(db, *lettura, c.sql, c.valori, [&](const RigaLocale &r) {
            ricevi(r.tentativo);
            return ++esito.letti != filtro.limite;
        });
        esito.non_letti = s.non_letti;
        esito.perche = s.errore.isValid() ? testo_errore(s.errore) : QString();
    }
    esito.letto = esito.perche.isEmpty();
    return esito;
}
