#include "engine/steps/identify.h"

#include "core/commands.h"
#include "core/identity.h"
#include "engine/steps/connect.h"
#include "engine/session.h"
#include "core/statuses.h"

namespace {
// A fixed wait, so that a reply in several pieces is complete.
constexpr int attesa_identificazione_ms = 500;
constexpr int modo_fisso = 0;
} // namespace

void identifica(Sessione &s)
{
    Occupato occupato(s.rapporto);
    s.colora(Lampada::Identificazione, Colore::Rosso);
    s.imposta_passi({{Passo::Apri, false}, {Passo::Identifica, false}});
    s.link.invia_comando(comando_identificazione());
    if (!s.link.pausa(attesa_identificazione_ms, modo_fisso))
        return;
    occupato.rilascia();

    if (s.link.dati_ricevuti() == 0) {
        s.stato_in(stato::errore_connessione);
        s.imposta_passi({{Passo::Identifica, true}});
        if (!s.all_access_point() && s.mostra(messaggio::offerta_reset) == risposta_si)
            reset(s);
        return;
    }

    const IdentitaDispositivo identita = leggi_identita(s.link.buffer_rx());
    if (identita.info_disponibile) {
        s.stato_in(stato::connesso);
        s.rapporto.identita(identita);
    } else {
        s.stato_in(stato::info_non_disponibile);
    }
    if (s.stato.tipo_cpu == 'W' && identita.scheda.isEmpty())
        s.mostra(messaggio::avviso_wgm110);
    s.imposta_passi({{Passo::Trasferisci, true}});
    s.colora(Lampada::Identificazione, Colore::Verde);
}
