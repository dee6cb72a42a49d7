#include "engine/updater.h"

#include "engine/steps/open.h"
#include "engine/steps/identify.h"
#include "engine/steps/transfer.h"
#include "engine/steps/verify.h"

Aggiornatore::Aggiornatore(Collegamento &link, Rapporto &rapporto, QString indirizzo_access_point, quint16 porta)
    : m_sessione(link, rapporto, std::move(indirizzo_access_point), porta)
{
    connect(&link, &Collegamento::connesso, this,
            [this] { m_sessione.colora(Lampada::Connessione, Colore::Verde); });
    connect(&link, &Collegamento::errore, this, [this] {
        if (!m_sessione.link.interrotto())
            m_sessione.mostra(messaggio::errore_connessione);
    });
}

bool Aggiornatore::disponibile(Passo passo) const
{
    return !m_in_conversazione && !m_sessione.link.interrotto() && m_sessione.passi().testFlag(passo);
}

template<typename Passaggio>
void Aggiornatore::esegui(Passo passo, Passaggio passaggio)
{
    if (!disponibile(passo))
        return;
    m_in_conversazione = true;
    passaggio(m_sessione);
    m_in_conversazione = false;
}

void Aggiornatore::connetti()
{
    esegui(Passo::Connetti, ::connetti);
}

void Aggiornatore::disconnetti()
{
    if (m_sessione.passi().testFlag(Passo::Disconnetti))
        chiudi_socket(m_sessione);
}

void Aggiornatore::apri(const QString &percorso)
{
    esegui(Passo::Apri, [&percorso](Sessione &s) { apri_firmware(s, percorso); });
}

void Aggiornatore::identifica()
{
    esegui(Passo::Identifica, ::identifica);
}

void Aggiornatore::chiedi_identita()
{
    esegui(Passo::Disconnetti, ::identifica);
}

void Aggiornatore::trasferisci()
{
    esegui(Passo::Trasferisci, ::trasferisci);
}

void Aggiornatore::aggiorna()
{
    esegui(Passo::Aggiorna, ::aggiorna);
}

void Aggiornatore::riavvia_modulo()
{
    esegui(Passo::Disconnetti, ::reset);
}

void Aggiornatore::termina()
{
    m_sessione.link.interrompi();
}
