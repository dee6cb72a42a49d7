#include "history/sync.h"

#include "history/local_rows.h"

namespace {

constexpr int lotto = 500;                  // records sent in one transaction
constexpr qint64 pausa_dopo_problema_ms = 60000;

} // namespace

InvioStorico::InvioStorico(StoricoSqlite &storico, ConfigurazioneServer configurazione,
                           std::function<void(const QString &)> avviso)
    : m_storico(storico)
    , m_configurazione(std::move(configurazione))
    , m_avviso(std::move(avviso))
{
    m_storico.dopo_ogni_scrittura([this] {
        if (m_pausa.hasExpired())
            invia();
    });
}

InvioStorico::~InvioStorico()
{
    m_storico.dopo_ogni_scrittura({});
}

EsitoInvio InvioStorico::invia()
{
    EsitoInvio esito;
    if (!m_configurazione.server && !m_configurazione.errore.isEmpty())
        esito.problema = ProblemaServer{ProblemaServer::Tipo::Configurazione, m_configurazione.errore};
    if (m_configurazione.server) {
        esito.server = m_configurazione.server->testo;
        ServerStorico server(*m_configurazione.server);
        esito.problema = server.apri(true);
        if (!esito.problema)
            esito.problema = invia_in_lotti(server, esito.inviati);
    }
    esito.in_attesa = m_storico.in_attesa();
    if (esito.problema) {
        avvisa(*esito.problema);
        m_pausa.setRemainingTime(pausa_dopo_problema_ms);
    } else {
        m_detti.clear();
    }
    return esito;
}

std::optional<ProblemaServer> InvioStorico::invia_in_lotti(ServerStorico &server, qint64 &inviati)
{
    QString errore;
    for (qint64 dopo = 0;;) {
        const std::optional<QList<RigaLocale>> righe = m_storico.da_inviare(dopo, lotto, errore);
        if (!righe)
            return ProblemaServer{ProblemaServer::Tipo::Locale, errore};
        if (righe->isEmpty())
            return std::nullopt;
        QList<Tentativo> tentativi;
        for (const RigaLocale &riga : *righe) {
            tentativi.append(riga.tentativo);
            if (tentativi.last().stazione.isEmpty()) // recorded before stations had names
                tentativi.last().stazione = m_configurazione.stazione;
        }
        if (std::optional<ProblemaServer> problema = server.scrivi(tentativi))
            return problema;
        // The server has them now; a record that is not marked is sent again next time, and stored once.
        if (!m_storico.segna_inviati(*righe, errore))
            return ProblemaServer{ProblemaServer::Tipo::Locale, errore};
        inviati += righe->size();
        dopo = righe->last().seq;
    }
}

void InvioStorico::avvisa(const ProblemaServer &problema)
{
    const QString testo = problema.tipo == ProblemaServer::Tipo::Locale
                              ? QStringLiteral("history %1: %2").arg(m_storico.percorso(), problema.testo)
                              : QStringLiteral("history server %1: %2; the records wait, and are sent when it answers")
                                    .arg(m_configurazione.server ? m_configurazione.server->testo : QString(),
                                         problema.testo);
    if (m_detti.contains(testo))
        return;
    m_detti.append(testo);
    m_avviso(testo);
}
