#include "engine/steps/identify.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/identity.h"
#include "core/statuses.h"
#include "engine/session.h"
#include "engine/steps/restart.h"

namespace {
// A fixed wait, so that a reply in several pieces is complete.
constexpr int attesa_identificazione_ms = 500;
} // namespace

Esito identifica(Sessione &s)
{
    Occupato occupato(s.rapporto);
    s.segna(Tappa::Identificazione, StatoTappa::DaFare);
    s.imposta_passi({{Passo::Apri, false}, {Passo::Identifica, false}});
    s.link.invia_comando(comando_identificazione());
    if (!s.link.pausa(attesa_identificazione_ms, modo_fisso))
        return Sessione::interrotto();
    occupato.rilascia();

    if (s.link.dati_ricevuti() == 0) {
        // A link that broke is no silence of the device's.
        const TipoEsito tipo = s.link.collegato() ? TipoEsito::Identificazione : TipoEsito::Connessione;
        const Esito muto = s.esito_stato(tipo, stato::errore_connessione);
        s.imposta_passi({{Passo::Identifica, true}});
        if (!s.all_access_point() && s.mostra(messaggio::offerta_reset) == risposta_si)
            reset(s);
        return muto;
    }

    const IdentitaDispositivo &identita = s.stato.identita = leggi_identita(s.link.buffer_rx());
    const Esito esito = s.esito_stato(TipoEsito::Completato,
                                      identita.info_disponibile ? stato::connesso : stato::info_non_disponibile);
    if (identita.info_disponibile)
        s.rapporto.identita(identita);
    const TipoCpu *tipo = cerca_tipo_cpu(s.stato.tipo_cpu);
    if (tipo && tipo->avviso_senza_scheda && identita.scheda.isEmpty())
        s.mostra(*tipo->avviso_senza_scheda);
    s.imposta_passi({{Passo::Trasferisci, true}});
    s.segna(Tappa::Identificazione, StatoTappa::Fatta);
    return esito;
}
