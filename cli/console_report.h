#pragma once

#include "cli/console.h"
#include "core/firmware_header.h"
#include "engine/report.h"

#include <QElapsedTimer>

// The engine's reports on the console. Questions are answered from the
// options or at a y/N prompt.
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

    bool identita_letta() const { return m_identita_letta; }
    // The header of the firmware file shown, and its CPU type (nullptr when unknown).
    const std::optional<IntestazioneFirmware> &intestazione() const { return m_intestazione; }
    const TipoCpu *tipo() const { return m_tipo; }
    // How long the pages of the last transfer took to write, in seconds.
    double secondi_scrittura() const { return m_secondi_scrittura; }
    // The warnings shown since the last call: message boxes with OK that do
    // not end anything by themselves.
    QList<const Messaggio *> prendi_avvisi() { return std::exchange(m_avvisi, {}); }

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
    int messaggio(const Messaggio &messaggio, const QString &valore = {}) override;
    std::optional<QString> chiedi_password() override;

private:
    // The answer given, or nothing when a signal broke the question off.
    std::optional<bool> rispondi(const Messaggio &domanda, const QString &testo);
    void cancellazione(const Avanzamento &avanzamento);
    void trasferimento(const Avanzamento &avanzamento);

    Console &m_console;
    const Risposte m_risposte;
    std::optional<IntestazioneFirmware> m_intestazione;
    const TipoCpu *m_tipo = nullptr;
    QElapsedTimer m_orologio; // since the erase started, then since the pages started
    double m_secondi_scrittura = 0;
    int m_percento = -1; // of the last progress event
    bool m_identita_letta = false, m_intestazione_mostrata = false;
    QList<const Messaggio *> m_avvisi;
};
