#include "engine/steps/connect.h"

#include "core/commands.h"
#include "engine/session.h"

namespace {
constexpr int attesa_primi_dati_ms = 5000;
constexpr int attesa_password_ms = 500;
constexpr int attesa_modo_ms = 1000;
constexpr int attesa_reset_ms = 500;
constexpr int attesa_dopo_reset_ms = 100;
constexpr int modo_attesa_piena = 4;
constexpr int modo_fisso = 0;

bool comando_risposto(const Sessione &s)
{
    return s.link.buffer_rx().size() >= 4 && s.link.dati_ricevuti() != 0;
}

void accedi_con_password(Sessione &s)
{
    const std::optional<QString> password = s.rapporto.chiedi_password();
    if (s.link.interrotto())
        return;
    if (password)
        s.stato.password = *password;
    if (s.stato.password.isEmpty()) {
        s.mostra(messaggio::password_vuota);
        chiudi_socket(s);
        return;
    }
    invia_password(s);
    if (s.link.interrotto())
        return;
    if (!s.link.buffer_rx().contains("PAS=OK")) {
        s.mostra(messaggio::password_errata);
        chiudi_socket(s);
        return;
    }
    if (s.mostra(messaggio::domanda_access_point) == risposta_si)
        cambia_modo(s);
    else
        chiudi_socket(s);
}

} // namespace

void connetti(Sessione &s)
{
    s.link.azzera_ricezione();
    s.link.apri(s.stato.indirizzo, s.porta);
    if (!s.all_access_point()) {
        if (!s.link.attendi_primi_dati(attesa_primi_dati_ms))
            return;
        if (s.link.buffer_rx().contains("PAS?")) {
            accedi_con_password(s);
            return;
        }
    }
    s.imposta_passi({{Passo::Disconnetti, true}, {Passo::Apri, true}, {Passo::Trasferisci, false},
                     {Passo::Aggiorna, false}, {Passo::Connetti, false}, {Passo::Identifica, false}});
}

void invia_password(Sessione &s)
{
    s.link.invia_comando(comando_password(s.stato.password));
    if (!s.link.pausa(attesa_password_ms, modo_attesa_piena))
        return;
    if (!comando_risposto(s))
        s.mostra(messaggio::password_senza_risposta);
}

void cambia_modo(Sessione &s)
{
    s.link.invia_comando(comando_access_point());
    if (!s.link.pausa(attesa_modo_ms, modo_attesa_piena))
        return;
    if (comando_risposto(s)) {
        chiudi_socket(s);
        s.stato.indirizzo = s.indirizzo_access_point;
        s.rapporto.indirizzo(s.stato.indirizzo);
        s.mostra(messaggio::modo_cambiato);
    } else {
        s.mostra(messaggio::modo_senza_risposta);
    }
}

void reset(Sessione &s)
{
    s.link.invia_comando(comando_reset());
    if (!s.link.pausa(attesa_reset_ms, modo_attesa_piena))
        return;
    if (comando_risposto(s)) {
        if (!s.link.pausa(attesa_dopo_reset_ms, modo_fisso))
            return;
        chiudi_socket(s);
        s.mostra(messaggio::modulo_riavviato);
    } else {
        s.mostra(messaggio::reset_senza_risposta);
    }
}

void chiudi_socket(Sessione &s)
{
    s.link.chiudi();
    s.imposta_passi({{Passo::Trasferisci, false}, {Passo::Disconnetti, false}, {Passo::Aggiorna, false},
                     {Passo::Connetti, true}, {Passo::Apri, false}, {Passo::Identifica, false}});
    s.colora(Lampada::Connessione, Colore::Rosso);
}
