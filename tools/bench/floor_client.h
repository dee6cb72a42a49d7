#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The least any client can take for an exchange: blocking sockets, one send
// per command, one read per reply, nothing else.
struct MisuraPavimento
{
    double secondi = 0;
    double scambio_massimo_ms = 0; // the slowest single exchange
    QString errore;
};

// Connects to 127.0.0.1:`porta` and sends `comandi` one by one, each answered
// "A"; only the exchanges are timed.
MisuraPavimento misura_pavimento(quint16 porta, const QList<QByteArray> &comandi);

// A whole update as a bare client makes it: connects, asks for the identity
// and reads its 20 bytes, then sends `comandi` as above; all of it timed.
MisuraPavimento misura_pavimento_intero(quint16 porta, const QList<QByteArray> &comandi);
