#include "engine/steps/restart.h"

#include "core/commands.h"
#include "engine/session.h"
#include "engine/steps/connect.h"

namespace {
constexpr int attesa_reset_ms = 500;
constexpr int attesa_dopo_reset_ms = 100;
} // namespace

namespace passi {

Esito reset(Sessione &s)
{
    if (!s.link.inizia_conversazione())
        return Sessione::interrotto();
    const std::optional<bool> risposto = s.link.scambia_col_modulo(comando_reset(), attesa_reset_ms);
    if (!risposto)
        return Sessione::interrotto();
    if (!*risposto)
        return s.esito_avviso(TipoEsito::Riavvio, Avviso::ResetSenzaRisposta);
    if (!s.link.pausa(attesa_dopo_reset_ms, modo_fisso))
        return Sessione::interrotto();
    chiudi_socket(s);
    return s.esito_avviso(TipoEsito::Completato, Avviso::ModuloRiavviato);
}

} // namespace passi
