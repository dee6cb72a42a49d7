#include "engine/session.h"

#include "core/cpu_types.h"

StatoCondiviso::StatoCondiviso() : cpu(&tipo_cpu_sconosciuto()), trasferito{&tipo_cpu_sconosciuto(), 0, {}} {}

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

Esito Sessione::esito_stato(TipoEsito tipo, const Testo &testo, const QString &valore)
{
    stato_in(testo, valore);
    return Esito::di_stato(tipo, testo, valore);
}

Esito Sessione::esito_messaggio(TipoEsito tipo, const Messaggio &messaggio, const QString &valore)
{
    mostra(messaggio, valore);
    return Esito::di_messaggio(tipo, messaggio, valore);
}

void Sessione::imposta_passi(std::initializer_list<std::pair<Passo, bool>> passi)
{
    for (const auto &[passo, disponibile] : passi)
        m_passi.setFlag(passo, disponibile);
    rapporto.passi(m_passi);
}
