#pragma once

#include "core/commands.h"
#include "core/replies.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// How a wait of pausa() ends: at the first data, or only at its time-out
// (the module's commands use 0 or 4, which mean the same).
inline constexpr int modo_fine_ai_dati = 1;
inline constexpr int modo_fisso = 0;
inline constexpr int modo_attesa_piena = 4;

// The link to the Wi-Fi module as every conversation sees it. Commands leave
// as they are, with nothing added; what arrives is collected into buffer_rx.
// A wait ends at its time-out, at the first data when asked to, at once when
// nothing can arrive any more (a send that was refused, a closed link), and
// for good once the program is ending. The transport is the implementation's:
// the TCP channel, or a script in the tests.
//
// The module answers every command in order, and the link knows the shape of
// each reply (core/commands.h). A reply that is not whole when its wait ends
// (given up, or come in pieces) is owed, not lost: the bytes that arrive later
// pay what is owed first and are dropped, so that no reply is taken as the
// answer to a later command. A conversation starts only on a quiet link.
class Collegamento : public QObject
{
    Q_OBJECT

public:
    // What is received since the last send is kept up to this size; replies
    // are a few bytes, so a module that floods data cannot grow memory.
    static constexpr qsizetype capienza_ricezione = 64 * 1024;
    // How long a piece of an owed reply is awaited before a conversation starts.
    static constexpr int attesa_debito_ms = 1000;

    using QObject::QObject;

    // Starts connecting to host:porta from a closed link and returns at once:
    // connesso() or errore() tells how it went. Nothing is owed on a new link.
    void apri(const QString &host, quint16 porta);

    // Closes the link; harmless when it is closed.
    void chiudi();

    // Clears buffer_rx and dati_ricevuti, then sends buffer_tx in one write.
    // A send the link refuses counts as a command that got no reply.
    void invia_comando(const QByteArray &buffer_tx);

    // Waits up to ms (Timer1); modo 1 ends the wait at the first data.
    // Returns false when the program is ending.
    bool pausa(int ms, int modo);

    // A command of the module (password, mode, restart): sent, then a wait of
    // the full ms. Whether it was answered; nothing when the program is ending.
    std::optional<bool> scambia_col_modulo(const QByteArray &comando, int ms);

    // A programming command: sent, its one-byte reply awaited up to ms and
    // judged. Nothing when the program is ending.
    std::optional<RispostaDispositivo> scambia(const QByteArray &comando, int ms);

    // Waits up to ms (Timer2) for the module's first data after connecting.
    bool attendi_primi_dati(int ms);

    // Waits up to ms for the connection apri() started to be up. One that
    // is not up by then is given up: the link closes and errore() is emitted.
    // Returns whether it is up.
    bool attendi_collegamento(int ms);
    // The connection is up: the module can be reached.
    virtual bool collegato() const = 0;

    // Waits for the whole reply to the command sent last: up to ms, then, as
    // long as it keeps coming in pieces, up to ms_pezzo for each further piece.
    // Returns false when the program is ending.
    bool attendi_risposta_intera(int ms, int ms_pezzo);

    // A conversation starts: what earlier commands still owe is awaited, up
    // to attesa_debito_ms for each piece, and dropped. What is still owed then
    // is forgotten, and the link is out of step for good. Returns false when
    // the program is ending.
    bool inizia_conversazione();
    // No reply owed on this link was ever forgotten: a late byte of one could
    // still come, and be taken for the reply to a later command.
    bool in_passo() const { return !m_fuori_passo; }

    // A wait of the window's own (for a dialog): processes events until
    // `finita` holds. Returns false when the program is ending.
    bool attendi_finestra(const std::function<bool()> &finita);

    // Processes what is pending once (clicks, socket and timer events).
    // Returns false when the program is ending.
    bool elabora_eventi();

    // Clears what was received, as before connecting.
    void azzera_ricezione();

    // Ends the running wait and every later one at once, and closes the
    // link: the program is ending.
    void interrompi();
    bool interrotto() const { return m_interrotto; }

    const QByteArray &buffer_rx() const { return m_buffer_rx; }
    int dati_ricevuti() const { return m_dati_ricevuti; }

signals:
    void connesso();
    void errore(); // the connection failed or broke; a module that closes it is no error
    // For a transcript: a command that left, bytes taken as a reply as they
    // arrived, and late bytes dropped as the payment of owed replies.
    void inviato(const QByteArray &comando);
    void arrivato(const QByteArray &dati);
    void in_ritardo(const QByteArray &dati);
    void dimenticate(int risposte); // owed replies forgotten as a conversation starts

protected:
    enum class Timer { Timer1, Timer2 };

    virtual void apri_canale(const QString &host, quint16 porta) = 0;
    virtual void chiudi_canale() = 0;
    // Sends the bytes in one write; false when the link refuses them.
    virtual bool scrivi(const QByteArray &byte) = 0;
    // False once nothing can arrive any more.
    virtual bool aperto() const = 0;
    // Lets events happen until `finita` holds or ms pass on the timer; the
    // condition is tested after every event, so nothing has to wake the wait.
    virtual void attendi(Timer timer, int ms, const std::function<bool()> &finita) = 0;
    // Processes what is pending once.
    virtual void elabora() = 0;

    // The receive path: bytes that arrived pay the owed replies, the rest is
    // appended to buffer_rx.
    void ricevi(QByteArrayView dati);

private:
    // A reply that was not whole when its wait ended, and what came of it since.
    struct Debito
    {
        FormaRisposta forma;
        QByteArray ricevuti;
    };

    bool nulla_in_arrivo() const;
    // The wait for the reply to the command sent last has ended.
    void chiudi_scambio();
    // Waits while owed replies keep coming in, up to ms for each piece.
    void attendi_debiti(int ms);
    void dimentica_risposte();

    QByteArray m_buffer_rx;
    int m_dati_ricevuti = 0;
    bool m_invio_fallito = false;
    bool m_interrotto = false;
    bool m_fuori_passo = false;
    std::optional<FormaRisposta> m_attesa; // of the reply to the command sent last, until its wait ends
    QList<Debito> m_debiti;                // oldest first
    qint64 m_byte_pagati = 0;              // bytes that paid owed replies, ever
};
