#pragma once

#include "sim/module_simulator.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QTcpSocket;

// How a reply leaves the module.
struct PianoRisposta
{
    QByteArray byte;         // empty: nothing to send
    int attesa_ms = 0;       // from its command to the first byte
    int primo_pezzo = 0;     // bytes of the first write; 0: as many as the others
    int pezzo = 0;           // bytes per write; 0: the whole reply, or what is left of it, in one
    int intervallo_ms = 0;   // between two pieces
    qint64 inondazione = 0;  // unsolicited bytes that follow the reply
    bool chiudi = false;     // the connection is dropped once everything is out
};

// The plan for `risposta` under `guasto` (none: the reply as it is).
// `riavvia`: the module restarts once its reply is out.
PianoRisposta piano_risposta(const QByteArray &risposta, bool riavvia, const Guasto *guasto);

// The replies of one connection, leaving in the order of their commands, as
// the module sends them: a reply held back holds back every later one.
// Everything runs through the event loop and nothing blocks; what is not out
// yet is forgotten when the socket closes or goes away.
class CodaRisposte : public QObject
{
public:
    // `scritto` hears of every write.
    CodaRisposte(QTcpSocket *socket, std::function<void(const QByteArray &)> scritto);

    void accoda(const PianoRisposta &piano);
    // Nothing leaves for the next ms: the module stalls.
    void sospendi(int ms);

private:
    struct Voce
    {
        PianoRisposta piano;
        QDeadlineTimer pronta; // its next byte may leave from then on
    };

    void prosegui();
    // Sends what the first reply has ready; true when it is all out.
    bool invia_parte(Voce &voce);

    QPointer<QTcpSocket> m_socket;
    std::function<void(const QByteArray &)> m_scritto;
    QList<Voce> m_coda;
    QDeadlineTimer m_sospesa{0};
    QTimer m_sveglia;
};
