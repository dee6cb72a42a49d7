#pragma once

#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/identity.h"
#include "core/labels.h"
#include "engine/report.h"
#include "testing/scripted_answers.h"

#include <QHash>
#include <QStringList>

// A message as the records keep it: "title|text" in Italian, %1 filled in.
inline QString registrato(const Messaggio &messaggio, const QStringList &valori = {})
{
    return messaggio.titolo.in(0) + u'|' + messaggio.testo.in(0, valori);
}

// Records what the engine reports, in Italian, and answers its questions
// from a script.
class RapportoRegistrato final : public Rapporto
{
public:
    QList<Risposta> risposte;                      // to the Yes/No questions, in order; then No
    QList<std::optional<QString>> password; // to the password prompt, in order; then Cancel ("")

    QStringList stati;
    QStringList messaggi; // as registrato() gives them
    Passi passi_disponibili = Passo::Connetti;
    QHash<Tappa, StatoTappa> tappe;
    QStringList campi; // file_aperto, identita, crc_trasferito and indirizzo, as text
    QList<int> avanzamenti;
    int richieste_password = 0;
    bool in_attesa = false;

    StatoTappa stato_di(Tappa tappa) const { return tappe.value(tappa, StatoTappa::DaFare); }

    void stato(const Testo &testo, const QString &valore) override
    {
        stati.append(testo.in(0, valore));
    }
    void tappa(Tappa tappa, StatoTappa stato) override { tappe[tappa] = stato; }
    void passi(Passi disponibili) override { passi_disponibili = disponibili; }
    void file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione, const TipoCpu *tipo,
                     std::optional<qint32>) override
    {
        campi.append(QStringLiteral("%1 %2 %3 %4").arg(nome_file, QChar(tipo ? tipo->lettera : '?'))
                         .arg(intestazione.versione_bootloader)
                         .arg(testo_crc(intestazione.crc16())));
    }
    void identita(const IdentitaDispositivo &identita) override
    {
        campi.append(QString::fromLatin1(identita.scheda + ' ' + identita.nome_file) + u' ' + testo_data(identita));
    }
    void crc_trasferito(qint32 crc16) override { campi.append(QStringLiteral("CRC ") + testo_crc(crc16)); }
    void indirizzo(const QString &indirizzo) override { campi.append(QStringLiteral("address ") + indirizzo); }
    void avanzamento(const Avanzamento &avanzamento) override { avanzamenti.append(avanzamento.percento); }
    void occupato(bool occupato) override { in_attesa = occupato; }
    Risposta chiedi(Domanda domanda, const QStringList &valori) override
    {
        // The erase is asked of kestra-flash's user; the window's Transfer button is its yes.
        if (domanda == Domanda::Cancellazione)
            return Risposta::Si;
        return mostra(messaggio_di(domanda), valori);
    }
    void avvisa(Avviso avviso, const QStringList &valori) override { mostra(messaggio_di(avviso), valori); }
    Risposta mostra(const Messaggio &messaggio, const QStringList &valori)
    {
        // A box never shows while the user is kept waiting.
        messaggi.append(QLatin1String(in_attesa ? "(busy) " : "") + registrato(messaggio, valori));
        return risposta_a(messaggio.pulsanti, risposte);
    }
    std::optional<QString> chiedi_password() override
    {
        ++richieste_password;
        return prossima_risposta(password, std::optional<QString>(QString()));
    }
};
