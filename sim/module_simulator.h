#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include "sim/command_framing.h"
#include "sim/device_model.h"

class CodaRisposte;
class QTcpSocket;

// A fault the simulator injects into one kind of exchange.
struct Guasto
{
    enum class Tipo {
        // The command is carried out but never answered; "MOP=" and "RST!"
        // then leave the connection open, since the module restarts only
        // after its reply has gone.
        NessunaRisposta,
        // `risposta` is sent instead of the normal reply. Only the reply
        // changes: the command is carried out as usual, so a half page with a
        // right sum is written to the flash whatever the reply says.
        Risposta,
        Ritardo,     // the normal reply leaves `ritardo_ms` later; later replies wait behind it
        Stallo,      // from this command on nothing is answered for `ritardo_ms`, then everything in order
        Dividi,      // the normal reply leaves in one-byte pieces, `ritardo_ms` apart
        Taglia,      // the normal reply's first `taglio` bytes leave at once, the rest `ritardo_ms` later
        ChiudiPrima, // the connection is dropped as the command arrives; it is not carried out
        ChiudiDopo,  // the normal reply is sent, then the connection is dropped
        Inonda,      // the normal reply is followed by 1 MiB of unsolicited bytes
    };

    // The command it applies to, by its head: "PAS=", "MOP=", "RST!", "FWI",
    // "PGS", "PGF", "PGP", "PGp", "PGX", "PGW"; "PAS?" is the challenge the
    // module sends when a client connects in station mode.
    QByteArray comando;
    int occorrenza = 0; // the n-th command of that kind since start (from 1); 0 = every one
    Tipo tipo = Tipo::NessunaRisposta;
    QByteArray risposta;
    int ritardo_ms = 0;
    int taglio = 0;
};

// The identity given in reply to "FWI", and how the module behaves.
struct OpzioniSimulatore : IdentitaSimulata
{
    enum class Modo { AccessPoint, Stazione };

    Modo modo = Modo::AccessPoint; // station mode challenges every client with "PAS?"
    QByteArray password = "40718253";

    // Where the image is written after a verification that passed; empty: nowhere.
    QString file_immagine;

    // A password ends, and an unfinished command is dropped, once no byte has
    // come for this long.
    int silenzio_ms = 50;

    // Time the device takes to write a half page before it answers.
    int scrittura_ms = 0;
    // Time every reply takes to leave after its command: the link's round trip.
    int latenza_ms = 0;

    QList<Guasto> guasti;
};

// A stand-in for the Wi-Fi module, passing the device's commands to the model
// of the device behind it (sim/device_model.h) and sending back its replies,
// faults and all. It listens for one client at a time: a new connection
// replaces the old one.
// Commands arrive without framing; they are told apart by their head and their
// fixed length, and a command that arrives in several pieces is put together
// before it is answered. A password ends when it is the expected one or when
// the line stays quiet; bytes that start no command are dropped.
// Replies leave in the order of their commands. In station mode the device
// is reached only once the password has been accepted: until then "FWI" and
// the programming commands get no reply.
// "MOP=" and "RST!" restart the module once their reply is out: the connection
// is dropped, and after "MOP=" the module comes back as an Access Point.
// Everything runs in the event loop of the owning thread and nothing blocks.
class SimulatoreModulo : public QTcpServer
{
    Q_OBJECT

public:
    explicit SimulatoreModulo(OpzioniSimulatore opzioni = {}, QObject *parent = nullptr);

    OpzioniSimulatore &opzioni() { return m_opzioni; }

    // Every complete command received, in order, as it came on the wire.
    const QList<QByteArray> &comandi_ricevuti() const { return m_comandi; }
    // The commands whose head is `testa` ("PGP", "FWI", ...).
    QList<QByteArray> comandi(QByteArrayView testa) const;
    void azzera_registro();

    // The flash written by half-page commands since the last erase: every
    // byte up to the end of the last page written, 0xFF where nothing came.
    const QByteArray &flash() const { return m_dispositivo.flash(); }
    // Half pages received since the last erase for an offset already received.
    int mezze_pagine_ripetute() const { return m_dispositivo.mezze_pagine_ripetute(); }

signals:
    void comando_ricevuto(const QByteArray &comando);
    // A client was accepted, before the challenge goes out in station mode.
    void cliente_connesso();
    // The client closed the connection.
    void cliente_scollegato();
    // Bytes written to the client: a reply, a piece of one, the challenge or unsolicited data.
    void risposta_inviata(const QByteArray &byte);
    // A "PGX"/"PGW" was checked: did the CRC16 of the pages match?
    void verificato(bool riuscito);

private:
    void accetta();
    void leggi();
    void a_riposo();
    void ricevi(const QByteArray &comando);
    // Counts one more exchange headed `testa` and finds the fault meant for it.
    const Guasto *conta(const QByteArray &testa);
    void rispondi(const QByteArray &risposta, const Guasto *guasto, bool riavvia, int attesa_ms = 0);
    bool connesso() const;

    QByteArray esegui_password(const QByteArray &comando);
    QByteArray esegui_modo(const QByteArray &comando);
    QByteArray esegui_riavvio(const QByteArray &comando);
    QByteArray esegui_identita(const QByteArray &comando);
    QByteArray esegui_cancellazione(const QByteArray &comando);
    QByteArray esegui_scrittura(const QByteArray &comando);
    QByteArray esegui_verifica(const QByteArray &comando);
    void salva_immagine(const QByteArray &immagine) const;

    OpzioniSimulatore m_opzioni;
    QPointer<QTcpSocket> m_cliente;
    QPointer<CodaRisposte> m_risposte; // of the client
    bool m_autorizzato = false;        // the client may reach the device
    DivisoreComandi m_divisore;
    QTimer m_silenzio; // a gap after the last byte that ends a password or drops leftovers
    QHash<QByteArray, int> m_occorrenze;
    QList<QByteArray> m_comandi;
    ModelloDispositivo m_dispositivo;
};
