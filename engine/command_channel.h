#pragma once

#include "engine/event_wait.h"
#include "engine/link.h"

#include <QTcpSocket>
#include <QTimer>

// The TCP link to the Wi-Fi module. Each command is one write, sent at once
// (Nagle's algorithm off); each wait processes events until the socket,
// Timer1 or Timer2 ends it, so the window stays responsive meanwhile. The
// socket is the channel's child named "Winsock1". It is unbuffered: a
// command goes to the system in the write itself, where Qt's buffer would
// turn a write notifier on and off for it, each a wake-up of the event loop;
// a command written while connecting leaves once connected.
class CanaleComandi final : public Collegamento
{
    Q_OBJECT

public:
    explicit CanaleComandi(QObject *parent = nullptr);

    bool collegato() const override;

protected:
    void apri_canale(const QString &host, quint16 porta) override;
    void chiudi_canale() override;
    bool scrivi(const QByteArray &byte) override;
    bool aperto() const override;
    void attendi(Timer timer, int ms, const std::function<bool()> &finita) override;
    void elabora() override;

private:
    void errore_socket(QAbstractSocket::SocketError errore);

    QTcpSocket m_winsock;
    QTimer Timer1; // time-out of pausa
    QTimer Timer2; // time-out of the wait for the first data
    int timer1_scaduto = 0;
    int timer2_scaduto = 0;
    QByteArray m_da_inviare; // written while connecting
};
