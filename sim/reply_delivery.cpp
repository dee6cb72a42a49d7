#include "sim/reply_delivery.h"

#include <QTcpSocket>

namespace {

constexpr qint64 dimensione_inondazione = 1024 * 1024;
// Written one block per turn of the event loop, so that the loop keeps running.
constexpr qsizetype blocco_inondazione = 64 * 1024;

const QByteArray &rumore()
{
    static const QByteArray blocco = [] {
        QByteArray byte(blocco_inondazione, Qt::Uninitialized);
        for (qsizetype i = 0; i < byte.size(); ++i)
            byte[i] = char(i % 256);
        return byte;
    }();
    return blocco;
}

QDeadlineTimer tra(int ms)
{
    return QDeadlineTimer(ms, Qt::PreciseTimer);
}

} // namespace

PianoRisposta piano_risposta(const QByteArray &risposta, bool riavvia, const Guasto *guasto)
{
    PianoRisposta piano{.byte = risposta, .chiudi = riavvia};
    if (!guasto)
        return piano;
    switch (guasto->tipo) {
    case Guasto::Tipo::NessunaRisposta:
        return {};
    case Guasto::Tipo::Risposta:
        piano.byte = guasto->risposta;
        break;
    case Guasto::Tipo::Ritardo:
        piano.attesa_ms = guasto->ritardo_ms;
        break;
    case Guasto::Tipo::Dividi:
        piano.pezzo = 1;
        piano.intervallo_ms = guasto->ritardo_ms;
        break;
    case Guasto::Tipo::Taglia:
        piano.primo_pezzo = guasto->taglio;
        piano.intervallo_ms = guasto->ritardo_ms;
        break;
    case Guasto::Tipo::ChiudiPrima:
        piano.byte.clear();
        piano.chiudi = true;
        break;
    case Guasto::Tipo::ChiudiDopo:
        piano.chiudi = true;
        break;
    case Guasto::Tipo::Inonda:
        piano.inondazione = dimensione_inondazione;
        break;
    case Guasto::Tipo::Stallo: // the queue is held: the reply itself is as usual
        break;
    }
    return piano;
}

CodaRisposte::CodaRisposte(QTcpSocket *socket, std::function<void(const QByteArray &)> scritto)
    : QObject(socket)
    , m_socket(socket)
    , m_scritto(std::move(scritto))
{
    m_sveglia.setSingleShot(true);
    m_sveglia.setTimerType(Qt::PreciseTimer);
    connect(&m_sveglia, &QTimer::timeout, this, &CodaRisposte::prosegui);
}

void CodaRisposte::accoda(const PianoRisposta &piano)
{
    m_coda.append({piano, tra(piano.attesa_ms)});
    if (m_coda.size() == 1)
        prosegui();
}

void CodaRisposte::sospendi(int ms)
{
    if (tra(ms) > m_sospesa)
        m_sospesa = tra(ms);
}

void CodaRisposte::prosegui()
{
    while (!m_coda.isEmpty()) {
        if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
            m_coda.clear();
            return;
        }
        const QDeadlineTimer pronta = qMax(m_coda.first().pronta, m_sospesa);
        if (!pronta.hasExpired()) {
            m_sveglia.start(int(qMax<qint64>(pronta.remainingTime(), 0)));
            return;
        }
        if (!invia_parte(m_coda.first())) {
            // More of it later: the next piece, or the next block of a flood.
            m_sveglia.start(int(qMax<qint64>(m_coda.first().pronta.remainingTime(), 0)));
            return;
        }
        const bool chiudi = m_coda.takeFirst().piano.chiudi;
        if (chiudi) {
            m_coda.clear();
            m_socket->disconnectFromHost();
        }
    }
}

bool CodaRisposte::invia_parte(Voce &voce)
{
    PianoRisposta &piano = voce.piano;
    QByteArray parte;
    if (!piano.byte.isEmpty()) {
        const int misura = piano.primo_pezzo > 0 ? piano.primo_pezzo : piano.pezzo;
        piano.primo_pezzo = 0;
        const qsizetype n = misura > 0 ? qMin<qsizetype>(misura, piano.byte.size()) : piano.byte.size();
        parte = piano.byte.first(n);
        piano.byte.remove(0, n);
        voce.pronta = tra(piano.byte.isEmpty() ? 0 : piano.intervallo_ms);
    } else if (piano.inondazione > 0) {
        const qsizetype n = qMin<qint64>(piano.inondazione, blocco_inondazione);
        parte = rumore().first(n);
        piano.inondazione -= n;
        voce.pronta = tra(0);
    }
    if (!parte.isEmpty()) {
        m_socket->write(parte);
        m_socket->flush();
        m_scritto(parte);
    }
    return piano.byte.isEmpty() && piano.inondazione == 0;
}
