#pragma once

#include "engine/link.h"

#include <QHash>
#include <QList>

#include <functional>

// A link that answers every command from a script, in order, on a clock of
// its own: time passes only inside its waits, so a 20 s silence costs
// nothing. It records the commands sent and each wait with the time-out it
// asked for.
class CollegamentoScriptato final : public Collegamento
{
public:
    struct Arrivo // bytes that arrive dopo_ms after the command (or the connection)
    {
        int dopo_ms;
        QByteArray byte;
    };
    struct Replica
    {
        QList<Arrivo> arrivi; // none: silence
        bool chiude = false;  // the module closes the link after the last arrival
        bool rifiuta = false; // the send is refused
    };
    struct Attesa
    {
        int timer, ms, durata; // Timer1 or Timer2, the time-out asked for, how long it lasted
        bool operator==(const Attesa &) const = default;
    };

    static Replica risposta(QByteArray byte, int dopo_ms = 1) { return {{{dopo_ms, std::move(byte)}}}; }
    static Replica silenzio() { return {}; }

    // The reply to the n-th command with this head (from 1; 0: every one); else the ordinary module's.
    void script(const QByteArray &testa, int occorrenza, Replica risposta);

    QList<Arrivo> alla_connessione; // what the module sends once connected, e.g. "PAS?"
    bool mai_collegato = false;     // the connection never comes up, as with an address out of reach
    // Runs at the start of the n-th wait (from 1): a click, or the end of the program.
    std::function<void(int)> durante_attesa;

    QList<QByteArray> comandi;
    QList<Attesa> attese;
    QString host;
    int connessioni = 0;

protected:
    void apri_canale(const QString &host, quint16 porta) override;
    void chiudi_canale() override;
    bool scrivi(const QByteArray &byte) override;
    bool aperto() const override { return m_aperto; }
    bool collegato() const override { return m_aperto && !mai_collegato; }
    void attendi(Timer timer, int ms, const std::function<bool()> &finita) override;
    void elabora() override {}

private:
    struct Evento
    {
        qint64 quando;
        QByteArray byte;
        bool chiude;
    };
    struct Voce
    {
        QByteArray testa;
        int occorrenza;
        Replica risposta;
    };

    Replica risposta_a(const QByteArray &comando);
    void programma(const QList<Arrivo> &arrivi, bool chiude);

    QList<Voce> m_script;
    QHash<QByteArray, int> m_occorrenze;
    QList<Evento> m_eventi;
    qint64 m_ora = 0;
    bool m_aperto = false;
};
