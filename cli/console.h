#pragma once

#include "core/language.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QJsonObject>

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
    };
    // A value of a result: its JSON name and value, and the window's label.
    struct Campo
    {
        const char *nome;
        QString valore, etichetta;
    };

    Console(Canali canali, Modo modo) : m_canali(canali), m_modo(modo) {}

    int lingua() const { return m_modo.lingua; }
    bool domande() const { return m_modo.domande; }
    QString testo(const Testo &testo) const { return testo.in(m_modo.lingua); }

    void avviso(const QString &riga);
    void evento(const char *nome, QJsonObject campi = {});
    // The labels on one line, or the event with the values.
    void risultato(const char *evento, const QList<Campo> &campi);
    // The progress bar, redrawn in place at most ten times a second and when
    // nothing remains; the next line goes below it.
    void barra(const QString &fase, int percento, qint64 byte_rimanenti, double byte_al_secondo);
    // True for an answer that starts with y (or s, sì).
    bool chiedi(const QString &domanda);

private:
    void scrivi(QIODevice &dove, const QString &testo) { dove.write(testo.toUtf8()); }
    void chiudi_barra();

    Canali m_canali;
    Modo m_modo;
    qsizetype m_barra = -1; // width of the bar on screen; -1 when none
    QElapsedTimer m_barra_disegnata;
};
