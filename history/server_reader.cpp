#include "history/server_reader.h"

#include "history/columns.h"
#include "history/server.h"

#include <QSqlQuery>

namespace {

constexpr int pagina = 500; // records fetched at once

} // namespace

LettoreServer::LettoreServer(IndirizzoServer indirizzo)
    : m_indirizzo(std::move(indirizzo))
{
}

EsitoLettura LettoreServer::leggi(const FiltroStorico &filtro, const Ricevi &ricevi)
{
    EsitoLettura esito;
    ServerStorico server(m_indirizzo);
    if (const std::optional<ProblemaServer> problema = server.apri(false)) {
        esito.perche = problema->testo;
        return esito;
    }
    esito.versione = server.versione();
    esito.piu_nuovo = esito.versione > ServerStorico::versione_schema;
    QSqlQuery query(server.db());
    query.setForwardOnly(true);
    const Condizione c = esito.versione == 0 ? Condizione{} : condizione(filtro, [&](const QString &id) {
        return esegui(query, QStringLiteral("SELECT %1 FROM kestra_history WHERE id = ?").arg(inizio_server()), {id}) && query.next()
                   ? query.value(0).toString()
                   : QString();
    });
    esito.perche = c.errore;
    // A page starts after the last record of the one before, in the order (started, id) descending.
    const QString sql = QStringLiteral("SELECT %1 FROM kestra_history WHERE %2(started, id) < (CAST(? AS timestamptz), ?) "
                                       "ORDER BY started DESC, id DESC LIMIT %3")
                            .arg(selezione_server(), c.sql.isEmpty() ? QString() : c.sql + QStringLiteral(" AND "))
                            .arg(pagina);
    QVariantList dopo{QStringLiteral("infinity"), QString()};
    for (qint64 in_pagina = pagina; esito.versione > 0 && esito.perche.isEmpty() && in_pagina == pagina;) {
        if (!esegui(query, sql, c.valori + dopo)) {
            esito.perche = testo_errore(query.lastError()).simplified();
            break;
        }
        for (in_pagina = 0; query.next(); ++in_pagina) {
            Tentativo t;
            int i = 0;
            for (const Colonna &colonna : colonne()) {
                if (colonna.salvata())
                    colonna.scrivi(t, query.value(i++));
            }
            ricevi(t);
            dopo = {testo_tempo(t.inizio), t.id};
            if (++esito.letti == filtro.limite) {
                esito.letto = true;
                return esito;
            }
        }
    }
    esito.letto = esito.perche.isEmpty();
    return esito;
}
