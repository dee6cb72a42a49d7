#pragma once

#include "cli/console.h"
#include "cli/outcome.h"
#include "engine/report.h"

#include <QElapsedTimer>

// The engine's reports on the console. Questions are answered from the
// options or at a y/N prompt. What the statuses and messages say about the
// run is kept for the exit code, the last that says something winning: a
// link lost during the transfer is a failed transfer.
class RapportoRiga final : public Rapporto
{
public:
    struct Risposte
    {
        bool si = false;           // --yes: no prompt before erasing and updating
        bool access_point = false; // --switch-to-ap
        QString password;
    };

    RapportoRiga(Console &console, Risposte risposte) : m_console(console), m_risposte(std::move(risposte)) {}

    std::optional<Esito> esito() const { return m_esito; }
    // The text that decided the class, or the last status when none did.
    QString testo_esito() const { return m_esito ? m_testo_esito : m_ultimo_stato; }
    bool identita_letta() const { return m_identita_letta; }
    bool cancellazione_avviata() const { return m_cancellazione_avviata; }

    void stato(const Testo &testo, const QString &valore = {}) override;
    void lampada(Lampada lampada, Colore colore) override;
    void passi(Passi) override {}
    void file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione,
                     const TipoCpu *tipo) override;
    void identita(const IdentitaDispositivo &identita) override;
    void crc_trasferito(qint32 crc16) override;
    void indirizzo(const QString &) override {} // the Access Point message says what to do
    void avanzamento(const Avanzamento &avanzamento) override;
    void occupato(bool) override {}
    int messaggio(const Messaggio &messaggio, const QString &valore = {}) override;
    std::optional<QString> chiedi_password() override;

private:
    bool rispondi(const Messaggio &domanda, const QString &testo);
    void annota(std::optional<Esito> esito, const QString &testo);
    // Bytes a second since the first report of the phase.
    double misura(Avanzamento::Fase fase, qint64 fatti);

    Console &m_console;
    const Risposte m_risposte;
    std::optional<Avanzamento::Fase> m_fase;
    QElapsedTimer m_inizio_fase;
    qint64 m_byte_inizio_fase = 0;
    std::optional<Esito> m_esito;
    QString m_testo_esito, m_ultimo_stato;
    qint64 m_byte_cancellazione = 0;
    int m_percento = -1; // of the last progress event
    bool m_identita_letta = false, m_cancellazione_avviata = false, m_intestazione_mostrata = false;
};
