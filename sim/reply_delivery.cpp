#include "sim/reply_delivery.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

using Scritto = std::function<void(const QByteArray &)>;

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

void prosegui(QPointer<QTcpSocket> socket, PianoRisposta piano, Scritto scritto);

void piu_tardi(QPointer<QTcpSocket> socket, int ms, PianoRisposta piano, Scritto scritto)
{
    QTimer::singleShot(ms, socket.data(), [=] { prosegui(socket, piano, scritto); });
}

void scrivi(QTcpSocket &socket, const QByteArray &byte, const Scritto &scritto)
{
    socket.write(byte);
    socket.flush();
    scritto(byte);
}

void prosegui(QPointer<QTcpSocket> socket, PianoRisposta piano, Scritto scritto)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (piano.attesa_ms > 0) {
        const int attesa = std::exchange(piano.attesa_ms, 0);
        return piu_tardi(socket, attesa, piano, scritto);
    }
    if (!piano.byte.isEmpty()) {
        const qsizetype n = piano.pezzo > 0 ? qMin<qsizetype>(piano.pezzo, piano.byte.size())
                                            : piano.byte.size();
        scrivi(*socket, piano.byte.first(n), scritto);
        piano.byte.remove(0, n);
        if (!piano.byte.isEmpty())
            return piu_tardi(socket, piano.intervallo_ms, piano, scritto);
    }
    if (piano.inondazione > 0) {
        const qsizetype n = qMin<qint64>(piano.inondazione, blocco_inondazione);
        scrivi(*socket, rumore().first(n), scritto);
        piano.inondazione -= n;
        return piu_tardi(socket, 0, piano, scritto);
    }
    if (piano.chiudi)
        socket->disconnectFromHost();
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
    }
    return piano;
}

void consegna(QTcpSocket *socket, PianoRisposta piano, std::function<void(const QByteArray &)> scritto)
{
    prosegui(socket, std::move(piano), std::move(scritto));
}
