#include "engine/steps/connect.h"

#include "core/commands.h"
#include "engine/session.h"

namespace passi {

namespace {
constexpr int attesa_primi_dati_ms = 5000;
constexpr int attesa_password_ms = 500;
constexpr int attesa_modo_ms = 1000;

Esito accedi_con_password(Sessione &s)
{
    const std::optional<QString> password = s.rapporto.chiedi_password();
    if (s.link.interrotto())
        return Sessione::interrotto();
    if (password)
        s.stato.password = *password;
    if (s.stato.password.isEmpty()) {
        const Esito vuota = s.esito_avviso(TipoEsito::Password, Avviso::PasswordVuota);
        chiudi_socket(s);
        return vuota;
    }
    const Esito inviata = invia_password(s);
    if (s.link.interrotto())
        return Sessione::interrotto();
    if (!s.link.buffer_rx().contains("PAS=OK")) {
        const Esito errata = s.esito_avviso(TipoEsito::Password, Avviso::PasswordErrata);
        chiudi_socket(s);
        return inviata.riuscito() ? errata : inviata;
    }
    if (s.chiedi(Domanda::AccessPoint) != Risposta::Si) {
        chiudi_socket(s);
        return Esito::di_domanda(TipoEsito::AccessPoint, Domanda::AccessPoint);
    }
    return cambia_modo(s);
}

} // namespace


Esito connetti(Sessione &s)
{
    s.link.azzera_ricezione();
    s.link.apri(s.stato.indirizzo, s.porta);
    if (!s.all_access_point()) {
        if (!s.link.attendi_primi_dati(attesa_primi_dati_ms))
            return Sessione::interrotto();
        if (s.link.buffer_rx().contains("PAS?"))
            return accedi_con_password(s);
    }
    s.imposta_passi({{Passo::Disconnetti, true}, {Passo::Apri, true}, {Passo::Trasferisci, false},
                     {Passo::Aggiorna, false}, {Passo::Connetti, false}, {Passo::Identifica, false}});
    return {};
}

Esito invia_password(Sessione &s)
{
    const std::optional<bool> risposto = s.link.scambia_col_modulo(comando_password(s.stato.password), attesa_password_ms);
    if (!risposto)
        return Sessione::interrotto();
    if (!*risposto)
        return s.esito_avviso(TipoEsito::Password, Avviso::PasswordSenzaRisposta);
    return {};
}

Esito cambia_modo(Sessione &s)
{
    const std::optional<bool> risposto = s.link.scambia_col_modulo(comando_access_point(), attesa_modo_ms);
    if (!risposto)
        return Sessione::interrotto();
    if (!*risposto)
        return s.esito_avviso(TipoEsito::AccessPoint, Avviso::ModoSenzaRisposta);
    chiudi_socket(s);
    s.stato.indirizzo = s.indirizzo_access_point;
    s.rapporto.indirizzo(s.stato.indirizzo);
    return s.esito_avviso(TipoEsito::ModoCambiato, Avviso::ModoCambiato);
}

void chiudi_socket(Sessione &s)
{
    s.link.chiudi();
    s.imposta_passi({{Passo::Trasferisci, false}, {Passo::Disconnetti, false}, {Passo::Aggiorna, false},
                     {Passo::Connetti, true}, {Passo::Apri, false}, {Passo::Identifica, false}});
    s.segna(Tappa::Connessione, StatoTappa::DaFare);
}

} // namespace passi
