#include "engine/steps/identify.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/identity.h"
#include "core/statuses.h"
#include "engine/session.h"
#include "engine/steps/restart.h"

namespace {
// A fixed wait, so that a reply in several pieces is complete; where a whole
// identity is required, the wait ends with it, and its pieces may come later.
constexpr int attesa_identificazione_ms = 500;
constexpr int attesa_pezzo_ms = Collegamento::attesa_debito_ms;

// Sends "FWI" on a quiet link and waits for the reply; false when the program is ending.
bool chiedi_identita(Sessione &s)
{
    if (!s.link.inizia_conversazione())
        return false;
    s.link.invia_comando(comando_identificazione());
    return s.identita_intera ? s.link.attendi_risposta_intera(attesa_identificazione_ms, attesa_pezzo_ms)
                             : s.link.pausa(attesa_identificazione_ms, modo_fisso);
}

} // namespace

namespace passi {

Esito identifica(Sessione &s)
{
    Occupato occupato(s.rapporto);
    s.segna(Tappa::Identificazione, StatoTappa::DaFare);
    s.imposta_passi({{Passo::Apri, false}, {Passo::Identifica, false}});
    if (!chiedi_identita(s))
        return Sessione::interrotto();
    occupato.rilascia();

    if (s.link.dati_ricevuti() == 0) {
        // A link that broke is no silence of the device's.
        const TipoEsito tipo = s.link.collegato() ? TipoEsito::Identificazione : TipoEsito::Connessione;
        const Esito muto = s.esito_stato(tipo, stato::errore_connessione);
        s.imposta_passi({{Passo::Identifica, true}});
        if (!s.all_access_point() && s.chiedi(Domanda::OffertaReset) == Risposta::Si)
            reset(s);
        return muto;
    }

    const QByteArray &risposta = s.link.buffer_rx();
    if (s.identita_intera && !risposta_intera(forma_risposta(comando_identificazione()), risposta)) {
        s.imposta_passi({{Passo::Identifica, true}});
        return s.esito_stato(TipoEsito::Identificazione, stato::identita_incompleta, QString::number(risposta.size()));
    }
    const IdentitaDispositivo &identita = s.stato.identita = leggi_identita(risposta);
    const Esito esito = s.esito_stato(TipoEsito::Completato,
                                      identita.info_disponibile ? stato::connesso : stato::info_non_disponibile);
    if (identita.info_disponibile)
        s.rapporto.identita(identita);
    const TipoCpu *tipo = cerca_tipo_cpu(s.stato.tipo_cpu);
    if (tipo && tipo->avviso_senza_scheda && identita.scheda.isEmpty())
        s.avvisa(*tipo->avviso_senza_scheda);
    s.imposta_passi({{Passo::Trasferisci, true}});
    s.segna(Tappa::Identificazione, StatoTappa::Fatta);
    return esito;
}

} // namespace passi
