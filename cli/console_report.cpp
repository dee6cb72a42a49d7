#include "cli/console_report.h"

#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/identity.h"
#include "core/programming_commands.h"
#include "core/captions.h"

namespace {

constexpr Testo dispositivo{"Dispositivo:", "Device:"};
constexpr Testo fasi[] = {{"cancellazione", "erase"}, {"trasferimento", "transfer"}};
constexpr Testo risposte[] = {{"No", "No"}, {"Sì", "Yes"}};

// "2.15" from the label "Firmware: v.2.15".
QString versione(const QString &etichetta)
{
    return etichetta.section(QStringLiteral("v."), 1);
}

} // namespace

void RapportoRiga::stato(const Testo &testo, const QString &valore)
{
    m_ultimo_stato = valore.isNull() ? m_console.testo(testo) : m_console.testo(testo).arg(valore);
    m_console.avviso(m_ultimo_stato);
    const std::optional<Esito> esito = esito_di(testo);
    if (esito == Esito::ok)
        m_console.evento("verified");
    annota(esito, m_ultimo_stato);
}

void RapportoRiga::lampada(Lampada lampada, Colore colore)
{
    if (lampada == Lampada::Connessione && colore == Colore::Verde)
        m_console.evento("connected");
}

void RapportoRiga::file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione,
                               const TipoCpu *tipo)
{
    // The file is checked before the engine opens it: its header is shown once.
    if (std::exchange(m_intestazione_mostrata, true))
        return;
    m_byte_cancellazione = qint64(kb_da_cancellare(tipo ? tipo->codice : 0, 0)) * 1024;
    const int bootloader = intestazione.versione_bootloader;
    const QString firmware = etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore);
    const QString scheda = QString::fromLatin1(intestazione.scheda_file);
    const QString crc = testo_crc(intestazione.crc16());
    m_console.risultato("header", {
        {"file", nome_file, QStringLiteral("File: ") + nome_file},
        {"cpu", QString(QLatin1Char(intestazione.tipo_cpu)),
         QString::fromUtf8(tipo ? tipo->didascalia : didascalia_cpu_sconosciuta)},
        {"bootloader", testo_versione_bootloader(bootloader, QLocale::c()), etichetta_bootloader(bootloader)},
        {"firmware", versione(firmware), firmware},
        {"board", scheda, con_prefisso(prefisso::scheda, m_console.lingua(), scheda)},
        {"crc16", crc, QStringLiteral("CRC16: ") + crc},
    });
}

void RapportoRiga::identita(const IdentitaDispositivo &identita)
{
    m_identita_letta = true;
    const int lingua = m_console.lingua();
    const QString firmware = etichetta_firmware_dispositivo(identita);
    const QString scheda = QString::fromLatin1(identita.scheda);
    const QString nome_file = QString::fromLatin1(identita.nome_file);
    m_console.risultato("identity", {
        {"firmware", versione(firmware), m_console.testo(dispositivo) + u' ' + firmware},
        {"board", scheda, con_prefisso(prefisso::scheda, lingua, scheda)},
        {"file_name", nome_file, con_prefisso(prefisso::nome_file, lingua, nome_file)},
        {"date", testo_data(identita), con_prefisso(prefisso::data, lingua, testo_data(identita))},
    });
}

void RapportoRiga::crc_trasferito(qint32 crc16)
{
    m_console.risultato("transferred", {{"crc16", testo_crc(crc16), QStringLiteral("CRC16: ") + testo_crc(crc16)}});
}

void RapportoRiga::avanzamento(const Avanzamento &avanzamento)
{
    const bool cancellazione = avanzamento.fase == Avanzamento::Fase::Cancellazione;
    const qint64 unita = !cancellazione ? dimensione_pagina
                         : avanzamento.totale ? m_byte_cancellazione / avanzamento.totale : 0;
    const qint64 fatti = avanzamento.fatti * unita, totale = avanzamento.totale * unita;
    const double velocita = misura(avanzamento.fase, fatti);
    if (avanzamento.totale == 0) { // the erase starts
        m_cancellazione_avviata = true;
        return;
    }
    if (cancellazione)
        m_console.evento("erase", {{"block", avanzamento.fatti}, {"of", avanzamento.totale}});
    else if (std::exchange(m_percento, avanzamento.percento) != avanzamento.percento || fatti == totale)
        m_console.evento("progress", {{"bytes", fatti}, {"total", totale}, {"percent", avanzamento.percento},
                                      {"bytes_per_s", qRound64(velocita)}});
    m_console.barra(m_console.testo(fasi[!cancellazione]), avanzamento.percento, totale - fatti, velocita);
}

double RapportoRiga::misura(Avanzamento::Fase fase, qint64 fatti)
{
    if (std::exchange(m_fase, fase) != fase) {
        m_inizio_fase.start();
        m_byte_inizio_fase = fatti;
    }
    return double(fatti - m_byte_inizio_fase) * 1e9 / double(qMax<qint64>(m_inizio_fase.nsecsElapsed(), 1));
}

int RapportoRiga::messaggio(const Messaggio &messaggio, const QString &valore)
{
    QString testo = m_console.testo(messaggio.testo);
    if (!valore.isNull())
        testo = testo.arg(valore);
    testo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .prepend(m_console.testo(messaggio.titolo) + QStringLiteral(": "));
    const std::optional<Esito> esito = esito_di(messaggio);
    annota(esito, testo);
    if (messaggio.pulsanti == Pulsanti::SiNo)
        return rispondi(messaggio, testo) ? risposta_si : risposta_no;
    m_console.avviso(testo);
    if (!esito)
        m_console.evento("warning", {{"text", testo}});
    return risposta_ok;
}

std::optional<QString> RapportoRiga::chiedi_password()
{
    m_console.evento("challenge");
    return m_risposte.password;
}

bool RapportoRiga::rispondi(const Messaggio &domanda, const QString &testo)
{
    // Yes to the Access Point only when asked for, and never a reset nobody asked for.
    std::optional<bool> si;
    if (stesso(domanda, messaggio::domanda_access_point))
        si = m_risposte.access_point;
    else if (stesso(domanda, messaggio::offerta_reset))
        si = false;
    else if (m_risposte.si)
        si = true;
    if (si) {
        m_console.avviso(testo + u' ' + m_console.testo(risposte[*si]));
        return *si;
    }
    if (m_console.chiedi(testo))
        return true;
    annota(Esito::altro, testo);
    return false;
}

void RapportoRiga::annota(std::optional<Esito> esito, const QString &testo)
{
    if (!esito)
        return;
    m_esito = esito;
    m_testo_esito = testo;
}
