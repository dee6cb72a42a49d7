#include "link/command_channel.h"

CanaleComandi::CanaleComandi(QObject *parent) : QObject(parent)
{
    for (QTimer *timer : {&Timer1, &Timer2}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&Timer1, &QTimer::timeout, this, [this] {
        timer1_scaduto = 1;
        m_attesa.sveglia();
    });
    connect(&Timer2, &QTimer::timeout, this, [this] {
        timer2_scaduto = 1;
        m_attesa.sveglia();
    });
    connect(&m_winsock, &QTcpSocket::connected, this, [this] {
        m_winsock.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit connesso();
    });
    connect(&m_winsock, &QTcpSocket::readyRead, this, &CanaleComandi::dati_in_arrivo);
    connect(&m_winsock, &QTcpSocket::stateChanged, this, [this] { m_attesa.sveglia(); });
    connect(&m_winsock, &QTcpSocket::errorOccurred, this, &CanaleComandi::errore_socket);
}

void CanaleComandi::apri(const QString &host, quint16 porta)
{
    chiudi();
    m_winsock.connectToHost(host, porta);
}

void CanaleComandi::invia_comando(const QByteArray &buffer_tx)
{
    azzera_ricezione();
    const bool collegato = m_winsock.state() == QAbstractSocket::ConnectedState
        || m_winsock.state() == QAbstractSocket::ConnectingState
        || m_winsock.state() == QAbstractSocket::HostLookupState;
    m_invio_fallito = !collegato || m_winsock.write(buffer_tx) != buffer_tx.size();
    // On a link that is up the command leaves now, not at the wait's first
    // pass of the event loop; while connecting it leaves once connected.
    if (!m_invio_fallito && m_winsock.state() == QAbstractSocket::ConnectedState)
        m_winsock.flush();
}

bool CanaleComandi::pausa(int ms, int modo)
{
    timer1_scaduto = 0;
    Timer1.start(ms);
    const bool fine_ai_dati = modo == 1;
    const bool ok = m_attesa.attendi([this, fine_ai_dati] {
        return timer1_scaduto == 1 || nulla_in_arrivo() || (fine_ai_dati && m_dati_ricevuti == 1);
    });
    Timer1.stop();
    return ok;
}

bool CanaleComandi::attendi_primi_dati(int ms)
{
    Timer2.start(ms);
    timer2_scaduto = 0;
    const bool ok = m_attesa.attendi(
        [this] { return timer2_scaduto == 1 || nulla_in_arrivo() || m_dati_ricevuti == 1; });
    Timer2.stop();
    return ok;
}

bool CanaleComandi::nulla_in_arrivo() const
{
    // A command that never left gets no reply, and a closed link brings no data:
    // waiting out the time-out would change nothing but the time lost.
    return m_invio_fallito || m_winsock.state() == QAbstractSocket::UnconnectedState;
}

void CanaleComandi::azzera_ricezione()
{
    m_buffer_rx.clear();
    m_dati_ricevuti = 0;
    m_invio_fallito = false;
}

void CanaleComandi::chiudi()
{
    m_winsock.abort();
    m_invio_fallito = false;
}

void CanaleComandi::dati_in_arrivo()
{
    const QByteArray dati = m_winsock.readAll();
    const qsizetype spazio = capienza_ricezione - m_buffer_rx.size();
    m_buffer_rx.append(dati.first(qMin(spazio, dati.size())));
    m_dati_ricevuti = 1;
    m_attesa.sveglia();
}

void CanaleComandi::errore_socket(QAbstractSocket::SocketError errore)
{
    // A module that closes the link is not an error: the next command that
    // gets no reply tells.
    if (errore != QAbstractSocket::RemoteHostClosedError)
        emit this->errore();
}
