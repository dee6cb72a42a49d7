#include "engine/session.h"

Sessione::Sessione(Collegamento &link, Rapporto &rapporto, QString indirizzo_access_point, quint16 porta)
    : link(link)
    , rapporto(rapporto)
    , indirizzo_access_point(std::move(indirizzo_access_point))
    , porta(porta)
{
}

int Sessione::mostra(const Messaggio &messaggio, const QString &valore)
{
    stato.risposta = rapporto.messaggio(messaggio, valore);
    return stato.risposta;
}

void Sessione::stato_in(const Testo &testo, const QString &valore)
{
    rapporto.stato(testo, valore);
}

void Sessione::imposta_passi(std::initializer_list<std::pair<Passo, bool>> passi)
{
    for (const auto &[passo, disponibile] : passi)
        m_passi.setFlag(passo, disponibile);
    rapporto.passi(m_passi);
}
