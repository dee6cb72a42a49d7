#include "testing/scripted_link.h"

#include <QSet>
#include <optional>

namespace {

// What a module that works answers.
CollegamentoScriptato::Replica risposta_ordinaria(const QByteArray &comando)
{
    if (comando.startsWith("PAS="))
        return CollegamentoScriptato::risposta("PAS=OK");
    if (comando.startsWith("MOP=") || comando.startsWith("RST!"))
        return {{{1, comando.first(3) + "=OK"}}, true};
    if (comando.startsWith("FWI"))
        return CollegamentoScriptato::risposta(QByteArray("FWI=\x02\x15" "KR01KESTRA01\x24\x65", 20));
    return CollegamentoScriptato::risposta("A");
}

} // namespace

void CollegamentoScriptato::script(const QByteArray &testa, int occorrenza, Replica risposta)
{
    m_script.append({testa, occorrenza, std::move(risposta)});
}

void CollegamentoScriptato::apri_canale(const QString &host, quint16)
{
    chiudi_canale();
    this->host = host;
    ++connessioni;
    m_aperto = true;
    if (mai_collegato)
        return;
    emit connesso();
    programma(alla_connessione, false);
}

bool CollegamentoScriptato::scrivi(const QByteArray &byte)
{
    comandi.append(byte);
    const Replica risposta = risposta_a(byte);
    if (!m_aperto || risposta.rifiuta)
        return false;
    programma(risposta.arrivi, risposta.chiude);
    return true;
}

void CollegamentoScriptato::chiudi_canale()
{
    m_aperto = false;
    m_eventi.clear();
}

void CollegamentoScriptato::attendi(Timer timer, int ms, const std::function<bool()> &finita)
{
    const qint64 inizio = m_ora;
    attese.append({timer == Timer::Timer1 ? 1 : 2, ms, 0});
    if (durante_attesa)
        durante_attesa(int(attese.size()));
    while (!finita()) {
        if (m_eventi.isEmpty() || m_eventi.first().quando > inizio + ms) {
            m_ora = inizio + ms;
            break;
        }
        const Evento evento = m_eventi.takeFirst();
        m_ora = qMax(m_ora, evento.quando);
        if (!evento.byte.isEmpty())
            ricevi(evento.byte);
        if (evento.chiude)
            chiudi();
    }
    attese.last().durata = int(m_ora - inizio);
}

CollegamentoScriptato::Replica CollegamentoScriptato::risposta_a(const QByteArray &comando)
{
    // Each head of the script counts the commands it heads.
    QSet<QByteArray> contate;
    std::optional<Replica> scelta;
    for (const Voce &voce : std::as_const(m_script)) {
        if (!comando.startsWith(voce.testa))
            continue;
        if (!contate.contains(voce.testa)) {
            contate.insert(voce.testa);
            ++m_occorrenze[voce.testa];
        }
        if (!scelta && (voce.occorrenza == 0 || voce.occorrenza == m_occorrenze[voce.testa]))
            scelta = voce.risposta;
    }
    return scelta.value_or(risposta_ordinaria(comando));
}

void CollegamentoScriptato::programma(const QList<Arrivo> &arrivi, bool chiude)
{
    // The module answers in order: a late reply holds back every later one.
    qint64 quando = m_eventi.isEmpty() ? m_ora : m_eventi.last().quando;
    for (const Arrivo &arrivo : arrivi) {
        quando = qMax(quando, m_ora + arrivo.dopo_ms);
        m_eventi.append({quando, arrivo.byte, false});
    }
    if (chiude)
        m_eventi.append({quando, {}, true});
}
