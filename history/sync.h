#pragma once

#include "history/history_db.h"
#include "history/server.h"

#include <QDeadlineTimer>

// How a sending went, as data: the caller words it.
struct EsitoInvio
{
    qint64 inviati = 0;   // records the server took
    qint64 in_attesa = 0; // records still waiting for it; -1 when the station's history cannot be read
    QString server;       // the server's URL (it holds no password); empty when none is configured
    std::optional<ProblemaServer> problema;
};

// Sends a station's records to the plant's server, which keeps a copy; the
// station's file stays the record of truth. Every record written locally
// waits to be sent; it stops waiting only once the server committed it, as
// it was when it was read, so a record that changes after it was sent (an
// attempt ended after it was sent at its start) is sent again and replaced
// on the server, and one sent twice (the program stopped between the
// server's commit and the station's mark) is stored once.
//
// The server never holds an update back: connecting waits about 2 s at
// most, a problem is told once to `avviso` (again only after a success) and
// returned as data, never thrown, and the records wait for the next send.
class InvioStorico
{
public:
    // From now on, each record `storico` writes is sent at once, unless the
    // server failed in the last minute: an update then waits on a server
    // that is down once, not at each record.
    InvioStorico(StoricoSqlite &storico, ConfigurazioneServer configurazione,
                 std::function<void(const QString &)> avviso);
    ~InvioStorico();
    InvioStorico(const InvioStorico &) = delete;
    InvioStorico &operator=(const InvioStorico &) = delete;

    // Sends every record that waits, whenever the server last failed: at the
    // start of an update, of the window, for kestra-flash --history-sync.
    EsitoInvio invia();

private:
    std::optional<ProblemaServer> invia_in_lotti(ServerStorico &server, qint64 &inviati);
    void avvisa(const ProblemaServer &problema);

    StoricoSqlite &m_storico;
    const ConfigurazioneServer m_configurazione;
    std::function<void(const QString &)> m_avviso;
    QDeadlineTimer m_pausa; // no sending after a write until it expires
    QStringList m_detti;    // the problems told since the last success
};
