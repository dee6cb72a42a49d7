#include "engine/steps/verify.h"

#include "engine/session.h"
#include "core/programming_commands.h"
#include "core/replies.h"
#include "core/statuses.h"

namespace {
constexpr int codice_wgm110 = 3;
constexpr int modo_fine_ai_dati = 1;
constexpr int attesa_per_risposta_dovuta_ms = 1000;

// The replies of the transfer still owed by the device: the verdict must be
// its answer to the verification itself. False when they never came: the
// transfer did not complete, and nothing is verified.
bool nessuna_risposta_dovuta(Sessione &s)
{
    if (s.link.attendi_risposte_dovute(attesa_per_risposta_dovuta_ms) || s.link.interrotto())
        return true;
    s.stato_in(stato::errore_trasferimento);
    s.colora(Lampada::Trasferimento, Colore::Giallo);
    s.imposta_passi({{Passo::Trasferisci, true}});
    return false;
}
} // namespace

void aggiorna(Sessione &s)
{
    const StatoCondiviso::Trasferimento trasferito = s.stato.trasferito;
    const bool wgm110 = trasferito.codice_cpu == codice_wgm110;
    if (s.mostra(wgm110 ? messaggio::conferma_aggiornamento_wgm110 : messaggio::conferma_aggiornamento) != risposta_si)
        return;

    Occupato occupato(s.rapporto);
    s.imposta_passi({{Passo::Aggiorna, false}, {Passo::Identifica, false}});
    if (!nessuna_risposta_dovuta(s) || s.link.interrotto())
        return;
    s.stato_in(stato::verifica_crc);
    s.link.invia_comando(comando_verifica(trasferito.codice_cpu, trasferito.pagine_inviate, trasferito.crc.crc_alto,
                                          trasferito.crc.crc_basso));
    if (!s.link.pausa(attesa_verifica_ms(trasferito.codice_cpu), modo_fine_ai_dati))
        return;
    const bool verificato = risposta_accettata(s.link.dati_ricevuti(), s.link.buffer_rx());
    occupato.rilascia();

    // The WGM110 restarts as an Access Point whatever it answered.
    if (wgm110) {
        s.link.chiudi();
        s.imposta_passi({{Passo::Disconnetti, false}, {Passo::Connetti, true}});
    }
    if (verificato) {
        s.stato_in(stato::programmazione_avviata);
        s.colora(Lampada::Aggiornamento, Colore::Verde);
        s.mostra(messaggio::aggiornamento_terminato);
        s.imposta_passi({{Passo::Identifica, true}});
    } else {
        s.stato_in(stato::errore_crc16);
        s.imposta_passi({{Passo::Trasferisci, true}, {Passo::Aggiorna, false}, {Passo::Apri, true},
                         {Passo::Identifica, true}});
    }
    for (const Lampada lampada : {Lampada::Trasferimento, Lampada::Aggiornamento, Lampada::Identificazione})
        s.colora(lampada, Colore::Rosso);
}
