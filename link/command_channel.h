#pragma once

#include "link/event_wait.h"

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

// The TCP link to the Wi-Fi module: commands leave as they are, replies are
// collected into buffer_rx, and the waits keep the window responsive.
class CanaleComandi : public QObject
{
    Q_OBJECT

public:
    // What is received since the last send is kept up to this size; replies
    // are a few bytes, so a module that floods data cannot grow memory.
    static constexpr qsizetype capienza_ricezione = 64 * 1024;

    explicit CanaleComandi(QObject *parent = nullptr);

    // Starts connecting to host:porta from a closed socket; returns at once.
    void apri(const QString &host, quint16 porta);

    // Clears buffer_rx and dati_ricevuti, then sends buffer_tx in one write.
    // A send the socket refuses counts as a command that got no reply.
    void invia_comando(const QByteArray &buffer_tx);

    // Waits up to ms; modo 1 ends the wait at the first data arrival.
    // Returns false when the program is ending.
    bool pausa(int ms, int modo);

    // Waits up to ms (Timer2) for the module's first data after connecting.
    bool attendi_primi_dati(int ms);

    // The wait that the channel's own waits use, shared with the window's.
    AttesaEventi &attesa() { return m_attesa; }

    // Clears what was received, as before connecting.
    void azzera_ricezione();

    void chiudi();

    const QByteArray &buffer_rx() const { return m_buffer_rx; }
    int dati_ricevuti() const { return m_dati_ricevuti; }
    QTcpSocket &Winsock1() { return m_winsock; }

signals:
    void connesso();
    void errore();

private:
    bool nulla_in_arrivo() const;
    void dati_in_arrivo();
    void errore_socket(QAbstractSocket::SocketError errore);

    QTcpSocket m_winsock;
    QTimer Timer1; // time-out of pausa
    QTimer Timer2; // time-out of the wait for the first data
    AttesaEventi m_attesa;

    QByteArray m_buffer_rx;
    int m_dati_ricevuti = 0;
    int timer1_scaduto = 0;
    int timer2_scaduto = 0;
    bool m_invio_fallito = false;
};
