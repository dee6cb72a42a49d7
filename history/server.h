#pragma once

#include "core/attempt.h"
#include "history/connection.h"
#include "history/server_config.h"

#include <QList>

#include <optional>

// Why the plant's server did not take or give records, as data.
struct ProblemaServer
{
    enum class Tipo {
        Configurazione, // its URL was refused, or a configuration file could not be read
        Connessione,    // down, slow, the password or the database refused: the text says which
        SchemaPiuNuovo, // its schema is a newer program's: it is not written to
        Server,         // a statement failed on it
        Locale,         // the station's own history could not be read or marked
    };
    Tipo tipo;
    QString testo;
};

// The plant's history on PostgreSQL: the table kestra_history, a row a
// record keyed by its id, with its station; the schema's version in
// kestra_history_schema (packaging/kestra-history-server.sql creates the same).
//
// Connecting waits about 2 s at most; every statement 5 s at most.
class ServerStorico
{
public:
    static constexpr int versione_schema = 1;

    explicit ServerStorico(IndirizzoServer indirizzo);

    // Connects. For writing, creates the schema where it is missing and
    // migrates an older one; a newer one is refused. For reading, any
    // schema will do (versione() says which).
    std::optional<ProblemaServer> apri(bool per_scrivere);
    // The schema's version found by apri(): 0 where there is none yet.
    int versione() const { return m_versione; }
    // Stores the records in one transaction: each inserted, or, where the
    // server has its id already, replaced.
    std::optional<ProblemaServer> scrivi(const QList<Tentativo> &tentativi);

    QSqlDatabase db() const { return m_connessione.db(); }

private:
    std::optional<int> leggi_versione(QSqlError &errore);
    std::optional<ProblemaServer> migra();

    const IndirizzoServer m_indirizzo;
    const Connessione m_connessione{QStringLiteral("QPSQL")};
    int m_versione = 0;
};

// A record's "started" on the server, as the text of its time (testo_tempo()'s form).
QString inizio_server();
// The select list of a record on the server, in the order of colonne():
// "started" as the text of its time.
QString selezione_server();
