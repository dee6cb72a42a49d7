#include "engine/command_channel.h"

#include <QCoreApplication>

CanaleComandi::CanaleComandi(QObject *parent) : Collegamento(parent), m_winsock(this)
{
    m_winsock.setObjectName(QStringLiteral("Winsock1"));
    for (QTimer *timer : {&Timer1, &Timer2}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&Timer1, &QTimer::timeout, this, [this] { timer1_scaduto = 1; });
    connect(&Timer2, &QTimer::timeout, this, [this] { timer2_scaduto = 1; });
    connect(&m_winsock, &QTcpSocket::connected, this, [this] {
        m_winsock.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit connesso();
    });
    connect(&m_winsock, &QTcpSocket::readyRead, this, [this] { ricevi(m_winsock.readAll()); });
    connect(&m_winsock, &QTcpSocket::errorOccurred, this, &CanaleComandi::errore_socket);
}

void CanaleComandi::apri_canale(const QString &host, quint16 porta)
{
    chiudi_canale();
    m_winsock.connectToHost(host, porta);
}

bool CanaleComandi::attendi_finestra(const std::function<bool()> &finita)
{
    if (interrotto())
        return false;
    attesa_eventi::attendi([this, &finita] { return interrotto() || finita(); });
    return !interrotto();
}

bool CanaleComandi::scrivi(const QByteArray &byte)
{
    const QAbstractSocket::SocketState stato = m_winsock.state();
    const bool collegato = stato == QAbstractSocket::ConnectedState || stato == QAbstractSocket::ConnectingState
                           || stato == QAbstractSocket::HostLookupState;
    if (!collegato || m_winsock.write(byte) != byte.size())
        return false;
    // On a link that is up the command leaves now, not at the wait's first
    // pass of the event loop; while connecting it leaves once connected.
    if (stato == QAbstractSocket::ConnectedState)
        m_winsock.flush();
    return true;
}

void CanaleComandi::chiudi_canale()
{
    m_winsock.abort();
}

bool CanaleComandi::collegato() const
{
    return m_winsock.state() == QAbstractSocket::ConnectedState;
}

bool CanaleComandi::aperto() const
{
    return m_winsock.state() != QAbstractSocket::UnconnectedState;
}

void CanaleComandi::attendi(Timer timer, int ms, const std::function<bool()> &finita)
{
    QTimer &orologio = timer == Timer::Timer1 ? Timer1 : Timer2;
    int &scaduto = timer == Timer::Timer1 ? timer1_scaduto : timer2_scaduto;
    orologio.start(ms);
    scaduto = 0;
    attesa_eventi::attendi([&finita, &scaduto] { return scaduto == 1 || finita(); });
    orologio.stop();
}

void CanaleComandi::elabora()
{
    QCoreApplication::processEvents();
}

void CanaleComandi::errore_socket(QAbstractSocket::SocketError errore)
{
    // A module that closes the link is not an error: the next command that
    // gets no reply tells.
    if (errore != QAbstractSocket::RemoteHostClosedError)
        emit this->errore();
}
