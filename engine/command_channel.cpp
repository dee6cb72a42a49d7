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
        if (!m_da_inviare.isEmpty())
            m_winsock.write(std::exchange(m_da_inviare, {}));
        emit connesso();
    });
    connect(&m_winsock, &QTcpSocket::readyRead, this, [this] {
        // One read of what has arrived (readAll() would read again until
        // nothing is left); the rest, if any, brings another readyRead. A
        // read that fails has closed the link, with no signal of the
        // socket's: its error is told as Qt's buffered socket tells it.
        char byte[4096];
        const qint64 letti = m_winsock.read(byte, sizeof byte);
        if (letti < 0)
            errore_socket(m_winsock.error());
        ricevi(QByteArrayView(byte, qMax<qint64>(letti, 0)));
    });
    connect(&m_winsock, &QTcpSocket::errorOccurred, this, &CanaleComandi::errore_socket);
}

void CanaleComandi::apri_canale(const QString &host, quint16 porta)
{
    chiudi_canale();
    m_winsock.connectToHost(host, porta, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

bool CanaleComandi::scrivi(const QByteArray &byte)
{
    switch (m_winsock.state()) {
    case QAbstractSocket::ConnectedState: {
        if (m_winsock.write(byte) == byte.size())
            return true;
        // As Qt's buffered socket does with a write that fails: the link
        // closes and the error is told.
        const QAbstractSocket::SocketError errore = m_winsock.error();
        m_winsock.abort();
        errore_socket(errore);
        return false;
    }
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        m_da_inviare += byte;
        return true;
    default:
        return false;
    }
}

void CanaleComandi::chiudi_canale()
{
    m_winsock.abort();
    m_da_inviare.clear();
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
