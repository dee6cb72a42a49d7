#pragma once

#include "sim/module_simulator.h"

#include <functional>

class QTcpSocket;

// How a reply leaves the module.
struct PianoRisposta
{
    QByteArray byte;         // empty: nothing to send
    int attesa_ms = 0;       // before the first byte
    int pezzo = 0;           // bytes per write; 0: the whole reply in one
    int intervallo_ms = 0;   // between two pieces
    qint64 inondazione = 0;  // unsolicited bytes that follow the reply
    bool chiudi = false;     // the connection is dropped once everything is out
};

// The plan for `risposta` under `guasto` (none: the reply as it is).
// `riavvia`: the module restarts once its reply is out.
PianoRisposta piano_risposta(const QByteArray &risposta, bool riavvia, const Guasto *guasto);

// Carries the plan out on `socket` through the event loop, never blocking;
// `scritto` hears of every write. Whatever is not out yet is forgotten when the
// socket closes or goes away.
void consegna(QTcpSocket *socket, PianoRisposta piano,
              std::function<void(const QByteArray &)> scritto);
