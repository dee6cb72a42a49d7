#include "engine/updater.h"

#include "engine/steps/connect.h"
#include "engine/steps/identify.h"
#include "engine/steps/open.h"
#include "engine/steps/restart.h"
#include "engine/steps/transfer.h"
#include "engine/steps/verify.h"

Aggiornatore::Aggiornatore(Collegamento &link, Rapporto &rapporto, QString indirizzo_access_point, quint16 porta)
    : m_sessione(link, rapporto, std::move(indirizzo_access_point), porta)
{
    connect(&link, &Collegamento::connesso, this,
            [this] { m_sessione.segna(Tappa::Connessione, StatoTappa::Fatta); });
    connect(&link, &Collegamento::errore, this, [this] {
        if (!m_sessione.link.interrotto())
            m_sessione.avvisa(Avviso::ErroreConnessione);
    });
}

bool Aggiornatore::disponibile(Passo passo) const
{
    return libero() && m_sessione.passi().testFlag(passo);
}

bool Aggiornatore::libero() const
{
    return !m_in_conversazione && !m_sessione.link.interrotto();
}

template<typename Conversazione>
Esito Aggiornatore::esegui(bool possibile, Conversazione conversazione)
{
    if (!possibile)
        return con_fatti({m_sessione.link.interrotto() ? TipoEsito::Interrotto : TipoEsito::NonDisponibile});
    m_in_conversazione = true;
    const Esito esito = conversazione(m_sessione);
    m_in_conversazione = false;
    return con_fatti(esito);
}

Esito Aggiornatore::connetti()
{
    return esegui(disponibile(Passo::Connetti), [](Sessione &s) {
        s.concludi_tentativo(Sessione::interrotto());
        return passi::connetti(s);
    });
}

Esito Aggiornatore::disconnetti()
{
    if (!m_sessione.passi().testFlag(Passo::Disconnetti))
        return con_fatti({TipoEsito::NonDisponibile});
    m_sessione.concludi_tentativo(Sessione::interrotto());
    passi::chiudi_socket(m_sessione);
    return con_fatti({});
}

Esito Aggiornatore::apri(const std::filesystem::path &percorso)
{
    return esegui(disponibile(Passo::Apri), [&percorso](Sessione &s) { return passi::aprifile(s, percorso); });
}

Esito Aggiornatore::identifica()
{
    return esegui(disponibile(Passo::Identifica), passi::identifica);
}

Esito Aggiornatore::chiedi_identita()
{
    return esegui(libero() && collegato(), passi::identifica);
}

Esito Aggiornatore::trasferisci()
{
    return esegui(disponibile(Passo::Trasferisci), [](Sessione &s) {
        const Esito esito = passi::trasferisci(s);
        if (!esito.riuscito()) // a completed transfer waits for its verification
            s.concludi_tentativo(esito);
        return esito;
    });
}

Esito Aggiornatore::aggiorna()
{
    return esegui(disponibile(Passo::Aggiorna), [](Sessione &s) {
        const Esito esito = passi::aggiorna(s);
        if (esito.tipo != TipoEsito::Rinuncia) // No leaves the update on offer
            s.concludi_tentativo(esito);
        return esito;
    });
}

Esito Aggiornatore::riavvia_modulo()
{
    return esegui(libero() && collegato(), passi::reset);
}

Esito Aggiornatore::controlla(const std::filesystem::path &percorso)
{
    if (m_in_conversazione)
        return con_fatti({TipoEsito::NonDisponibile});
    return con_fatti(passi::controlla_firmware(m_sessione, percorso));
}

Esito Aggiornatore::attendi_collegamento(int ms)
{
    if (m_sessione.link.attendi_collegamento(ms))
        return con_fatti({});
    if (m_sessione.link.interrotto())
        return con_fatti(Sessione::interrotto());
    return con_fatti(Esito::di_avviso(TipoEsito::Connessione, Avviso::ErroreConnessione));
}

Esito Aggiornatore::con_fatti(Esito esito) const
{
    esito.fatti = m_sessione.fatti();
    return esito;
}

void Aggiornatore::termina(int segnale)
{
    m_sessione.link.interrompi();
    m_sessione.concludi_tentativo(Sessione::interrotto(), segnale);
}
