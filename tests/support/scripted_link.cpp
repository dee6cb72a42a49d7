#include "tests/support/scripted_link.h"

namespace {

const QByteArrayView teste[] = {"PAS=", "MOP=", "RST!", "FWI", "PGS", "PGF", "PGP", "PGp", "PGX", "PGW"};

QByteArray testa_di(const QByteArray &comando)
{
    for (const QByteArrayView testa : teste) {
        if (comando.startsWith(testa))
            return testa.toByteArray();
    }
    return comando;
}

// What a module that works answers.
CollegamentoScriptato::Risposta risposta_ordinaria(const QByteArray &testa)
{
    if (testa == "PAS=")
        return CollegamentoScriptato::risposta("PAS=OK");
    if (testa == "MOP=" || testa == "RST!")
        return {{{1, testa.first(3) + "=OK"}}, true};
    if (testa == "FWI")
        return CollegamentoScriptato::risposta(QByteArray("FWI=\x02\x15" "KR01KESTRA01\x24\x65", 20));
    return CollegamentoScriptato::risposta("A");
}

} // namespace

void CollegamentoScriptato::script(const QByteArray &testa, int occorrenza, Risposta risposta)
{
    m_script.append({testa, occorrenza, std::move(risposta)});
}

void CollegamentoScriptato::apri(const QString &host, quint16)
{
    chiudi();
    this->host = host;
    if (connessione_rifiutata) {
        emit errore();
        return;
    }
    ++connessioni;
    m_aperto = true;
    emit connesso();
    programma(alla_connessione, false);
}

bool CollegamentoScriptato::scrivi(const QByteArray &byte)
{
    comandi.append(byte);
    const Risposta risposta = risposta_a(byte);
    if (!m_aperto || risposta.rifiuta)
        return false;
    programma(risposta.arrivi, risposta.chiude);
    return true;
}

void CollegamentoScriptato::chiudi()
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

CollegamentoScriptato::Risposta CollegamentoScriptato::risposta_a(const QByteArray &comando)
{
    const QByteArray testa = testa_di(comando);
    const int occorrenza = ++m_occorrenze[testa];
    for (const Voce &voce : std::as_const(m_script)) {
        if (voce.testa == testa && (voce.occorrenza == 0 || voce.occorrenza == occorrenza))
            return voce.risposta;
    }
    return risposta_ordinaria(testa);
}

void CollegamentoScriptato::programma(const QList<Arrivo> &arrivi, bool chiude)
{
    for (const Arrivo &arrivo : arrivi)
        m_eventi.append({m_ora + arrivo.dopo_ms, arrivo.byte, false});
    if (chiude)
        m_eventi.append({arrivi.isEmpty() ? m_ora : m_eventi.last().quando, {}, true});
    std::stable_sort(m_eventi.begin(), m_eventi.end(),
                     [](const Evento &a, const Evento &b) { return a.quando < b.quando; });
}
