#pragma once

#include "cli/console.h"
#include "core/firmware_header.h"
#include "engine/report.h"

#include <QElapsedTimer>
#include <QSet>

// The engine's reports on the console. Questions are answered from the
// options or at a y/N prompt.
class RapportoRiga final : public Rapporto
{
public:
    struct Risposte
    {
        bool si = false;           // --yes: no prompt before erasing and updating
        bool access_point = false; // --switch-to-ap
        bool forza = false;        // --force: a file for another board, or damaged, is written
        QString password;
        QString file; // the firmware file, as given: the file's warnings name it
    };

    RapportoRiga(Console &console, Risposte risposte) : m_console(console), m_risposte(std::move(risposte)) {}

    // The warnings shown since the last call: boxes that end nothing by themselves.
    QList<Avviso> prendi_avvisi() { return std::exchange(m_avvisi, {}); }
    // A refusal that --force lets through, already told: the question is not told again.
    void forzato(Domanda domanda) { m_confermate.insert(domanda); }

    void stato(const Testo &testo, const QString &valore = {}) override;
    void tappa(Tappa tappa, StatoTappa stato) override;
    void passi(Passi) override {}
    void file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione, const TipoCpu *tipo,
                     std::optional<qint32> crc_immagine) override;
    void identita(const IdentitaDispositivo &identita) override;
    void crc_trasferito(qint32 crc16) override;
    void indirizzo(const QString &) override {} // the Access Point message says what to do
    void avanzamento(const Avanzamento &avanzamento) override;
    void occupato(bool) override {}
    Risposta chiedi(Domanda domanda, const QStringList &valori = {}) override;
    void avvisa(Avviso avviso, const QStringList &valori = {}) override;
    std::optional<QString> chiedi_password() override;

private:
    // The answer the options give, or nothing when the user is to be asked.
    std::optional<bool> risposta_data(Domanda domanda) const;
    void cancellazione(const Avanzamento &avanzamento);
    void trasferimento(const Avanzamento &avanzamento);

    Console &m_console;
    const Risposte m_risposte;
    QSet<Domanda> m_confermate; // answered Yes, not to be asked again in this run
    QElapsedTimer m_orologio;   // since the erase started, then since the pages started
    int m_percento = -1;        // of the last progress event
    bool m_intestazione_mostrata = false;
    QList<Avviso> m_avvisi;
};
