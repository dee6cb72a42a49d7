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
