#pragma once

#include "core/language.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QJsonObject>

#include <functional>
#include <optional>

// What the program writes for whoever runs it: results, or with --json one
// JSON object a line, on standard output; statuses, messages, the progress
// bar and the questions on standard error, the answers from standard input.
class Console
{
public:
    struct Canali
    {
        QIODevice &uscita, &errori, &ingresso;
    };
    struct Modo
    {
        // barra: standard error is a terminal; domande: standard input is one.
        bool json = false, barra = false, domande = false;
        int lingua = 0;
        // The signal that broke off a question, 0 for none.
        std::function<int()> segnale = [] { return 0; };
    };
    // A value of a result: its JSON name and value, and the window's label.
    struct Campo
    {
        const char *nome;
        QString valore, etichetta;
    };

    Console(Canali canali, Modo modo) : m_canali(canali), m_modo(std::move(modo)) {}

    int lingua() const { return m_modo.lingua; }
    bool domande() const { return m_modo.domande; }
    QString testo(const Testo &testo, const QString &valore = {}) const { return testo.in(m_modo.lingua, valore); }

    void avviso(const QString &riga);
    // A line on standard output, or an object of its own in JSON.
    void riga(const QString &testo) { scrivi(m_canali.uscita, testo + u'\n'); }
    void oggetto(const QJsonObject &oggetto);
    // Standard output, for data written as it comes (an export).
    QIODevice &dati() { return m_canali.uscita; }
    void evento(const char *nome, QJsonObject campi = {});
    // The labels on one line, or the event with the values.
    void risultato(const char *evento, const QList<Campo> &campi);
    // The progress bar, then what it adds ("1.2 KB/s ..."), redrawn in place at
    // most ten times a second and when `finita`; the next line goes below it.
    void barra(const QString &fase, int percento, const QString &dettaglio, bool finita);
    // Yes only for a yes of the language (y, yes; in Italian s, si, sì too),
    // in any case; anything else is No. Nothing when a signal broke it off.
    std::optional<bool> chiedi(const QString &domanda);
    // The signal received, 0 for none.
    int segnale() const { return m_segnale != 0 ? m_segnale : m_modo.segnale(); }

private:
    void scrivi(QIODevice &dove, const QString &testo) { dove.write(testo.toUtf8()); }
    void chiudi_barra();

    Canali m_canali;
    Modo m_modo;
    qsizetype m_barra = -1; // width of the bar on screen; -1 when none
    int m_segnale = 0;      // the one that broke off a question
    QElapsedTimer m_barra_disegnata;
};
