#include "cli/console_report.h"

#include "core/captions.h"
#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/identity.h"
#include "core/labels.h"

namespace {

constexpr Testo dispositivo{"Dispositivo:", "Device:"};
constexpr Testo fasi[] = {{"cancellazione", "erase"}, {"trasferimento", "transfer"}};
constexpr Testo risposte[] = {{"No", "No"}, {"Sì", "Yes"}};

} // namespace

void RapportoRiga::stato(const Testo &testo, const QString &valore)
{
    m_console.avviso(testo.in(m_console.lingua(), valore));
}

void RapportoRiga::tappa(Tappa tappa, StatoTappa stato)
{
    if (tappa == Tappa::Connessione && stato == StatoTappa::Fatta)
        m_console.evento("connected");
}

void RapportoRiga::file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione,
                               const TipoCpu *tipo)
{
    // The file is checked before the engine opens it: its header is shown once.
    if (std::exchange(m_intestazione_mostrata, true))
        return;
    m_byte_cancellazione = tipo ? qint64(tipo->kb_area) * 1024 : 0;
    const int bootloader = intestazione.versione_bootloader;
    const QString firmware = etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore);
    const QString scheda = QString::fromLatin1(intestazione.scheda_file);
    const QString crc = testo_crc(intestazione.crc16());
    m_console.risultato("header", {
        {"file", nome_file, QStringLiteral("File: ") + nome_file},
        {"cpu", QString(QLatin1Char(intestazione.tipo_cpu)),
         QString::fromUtf8((tipo ? *tipo : tipo_cpu_sconosciuto()).didascalia)},
        {"bootloader", testo_versione_bootloader(bootloader, QLocale::c()), etichetta_bootloader(bootloader)},
        {"firmware", versione_di(firmware), firmware},
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
        {"firmware", versione_di(firmware), m_console.testo(dispositivo) + u' ' + firmware},
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
    if (avanzamento.totale == 0) // the erase starts
        return;
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
    const QString testo = m_console.testo(messaggio.titolo) + QStringLiteral(": ")
                          + messaggio.testo.righe_in(m_console.lingua(), valore);
    if (messaggio.pulsanti == Pulsanti::SiNo)
        return rispondi(messaggio, testo) ? risposta_si : risposta_no;
    m_console.avviso(testo);
    if (messaggio.icona != Icona::Informazione)
        m_avvisi.append(&messaggio);
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
    if (&domanda == &messaggio::domanda_access_point)
        si = m_risposte.access_point;
    else if (&domanda == &messaggio::offerta_reset)
        si = false;
    else if (m_risposte.si)
        si = true;
    if (!si)
        return m_console.chiedi(testo);
    m_console.avviso(testo + u' ' + m_console.testo(risposte[*si]));
    return *si;
}
