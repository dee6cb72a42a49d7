#include "engine/steps/verify.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/statuses.h"
#include "engine/session.h"

namespace {

// The verdict must be the device's answer to the verification itself: the
// replies the transfer still owes are awaited first. When they never came,
// the transfer did not complete and nothing is verified.
std::optional<Esito> risposte_ancora_dovute(Sessione &s)
{
    if (!s.link.inizia_conversazione())
        return Sessione::interrotto();
    if (s.link.in_passo())
        return std::nullopt;
    s.segna(Tappa::Trasferimento, StatoTappa::InCorso);
    s.imposta_passi({{Passo::Trasferisci, true}});
    return s.esito_stato(TipoEsito::Trasferimento, stato::errore_trasferimento);
}

// Sends the verification and waits for the device's verdict.
std::optional<RispostaDispositivo> verdetto(Sessione &s, const StatoCondiviso::Trasferimento &trasferito)
{
    const TipoCpu &tipo = *trasferito.cpu;
    s.verdetto_in_arrivo = true;
    const std::optional<RispostaDispositivo> risposta = s.link.scambia(
        comando_verifica(tipo, trasferito.pagine_inviate, trasferito.crc.crc_alto, trasferito.crc.crc_basso),
        tipo.attesa_verifica_ms);
    s.verdetto_in_arrivo = false;
    // Ended before its time: whether the device took the image is not known.
    s.stato.verdetto_ignoto = !risposta;
    return risposta;
}

} // namespace

namespace passi {

Esito aggiorna(Sessione &s)
{
    const StatoCondiviso::Trasferimento trasferito = s.stato.trasferito;
    const TipoCpu &tipo = *trasferito.cpu;
    if (s.chiedi(tipo.conferma) != Risposta::Si)
        return Esito::di_domanda(TipoEsito::Rinuncia, tipo.conferma);

    Occupato occupato(s.rapporto);
    s.imposta_passi({{Passo::Aggiorna, false}, {Passo::Identifica, false}});
    if (const std::optional<Esito> dovute = risposte_ancora_dovute(s))
        return *dovute;
    s.stato_in(stato::verifica_crc);
    const std::optional<RispostaDispositivo> risposta = verdetto(s, trasferito);
    if (!risposta)
        return Sessione::interrotto();
    occupato.rilascia();

    if (tipo.riavvio_dopo_verifica) {
        s.link.chiudi();
        s.imposta_passi({{Passo::Disconnetti, false}, {Passo::Connetti, true}});
    }
    Esito esito;
    if (*risposta == RispostaDispositivo::Accettata) {
        s.stato.cancellato = false;
        esito = s.esito_stato(TipoEsito::Completato, stato::programmazione_avviata);
        s.segna(Tappa::Aggiornamento, StatoTappa::Fatta);
        s.avvisa(Avviso::AggiornamentoTerminato);
        s.imposta_passi({{Passo::Identifica, true}});
    } else {
        esito = s.esito_stato(TipoEsito::Verifica, stato::errore_crc16);
        s.imposta_passi({{Passo::Trasferisci, true}, {Passo::Aggiorna, false}, {Passo::Apri, true},
                         {Passo::Identifica, true}});
    }
    for (const Tappa tappa : {Tappa::Trasferimento, Tappa::Aggiornamento, Tappa::Identificazione})
        s.segna(tappa, StatoTappa::DaFare);
    return esito;
}

} // namespace passi
