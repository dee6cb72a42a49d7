#include "cli/console_report.h"

#include "core/captions.h"
#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/identity.h"
#include "core/labels.h"
#include "cli/outcomes.h"
#include "cli/texts.h"

#include <array>

#include <cmath>

namespace {

constexpr Testo dispositivo{"Dispositivo:", "Device:"};
constexpr Testo crc_dell_immagine{"CRC16 dell'immagine:", "Image CRC16:"};
constexpr Testo fase_cancellazione{"cancellazione", "erase"};
constexpr Testo fase_trasferimento{"trasferimento", "transfer"};
constexpr Testo blocchi{"blocco %1 di %2, %3 s", "block %1 of %2, %3 s"};
constexpr Testo velocita_e_tempo{"%1 KB/s  %2:%3 rimanenti", "%1 KB/s  %2:%3 left"};
constexpr Testo risposte[] = {{"No", "No"}, {"Sì", "Yes"}};

// Who answers each question.
enum class Chi {
    SwitchToAp, // --switch-to-ap
    Nessuno,    // No: never a reset nobody asked for
    Force,      // --force: the refusal is told, or what will be done instead
    Utente,     // --yes, else the prompt
};
constexpr std::array<Chi, numero_domande> chi_risponde{
    Chi::SwitchToAp, Chi::Nessuno, Chi::Force, Chi::Force, Chi::Utente, Chi::Utente, Chi::Utente,
};

double secondi(const QElapsedTimer &orologio)
{
    return double(orologio.nsecsElapsed()) / 1e9;
}

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
                               const TipoCpu *tipo, std::optional<qint32> crc_immagine)
{
    // The file is checked before the engine opens it: its header is shown once.
    if (std::exchange(m_intestazione_mostrata, true))
        return;
    const int bootloader = intestazione.versione_bootloader;
    const QString firmware = etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore);
    const QString scheda = QString::fromLatin1(intestazione.scheda_file);
    const QString crc = testo_crc(intestazione.crc16());
    QList<Console::Campo> campi{
        {"file", nome_file, QStringLiteral("File: ") + nome_file},
        {"cpu", QString(QLatin1Char(intestazione.tipo_cpu)),
         QString::fromUtf8((tipo ? *tipo : tipo_cpu_sconosciuto()).didascalia)},
        {"bootloader", testo_versione_bootloader(bootloader, QLocale::c()), etichetta_bootloader(bootloader)},
        {"firmware", versione_file(intestazione), firmware},
        {"board", scheda, con_prefisso(prefisso::scheda, m_console.lingua(), scheda)},
        {"crc16", crc, QStringLiteral("CRC16: ") + crc},
    };
    if (crc_immagine) {
        const QString immagine = testo_crc(*crc_immagine);
        campi.append({"crc16_image", immagine, m_console.testo(crc_dell_immagine) + u' ' + immagine});
    }
    m_console.risultato("header", campi);
}

void RapportoRiga::identita(const IdentitaDispositivo &identita)
{
    const int lingua = m_console.lingua();
    const QString firmware = etichetta_firmware_dispositivo(identita);
    const QString scheda = QString::fromLatin1(identita.scheda);
    const QString nome_file = QString::fromLatin1(identita.nome_file);
    m_console.risultato("identity", {
        {"firmware", versione_dispositivo(identita), m_console.testo(dispositivo) + u' ' + firmware},
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
    if (avanzamento.fase == Avanzamento::Fase::Cancellazione)
        cancellazione(avanzamento);
    else
        trasferimento(avanzamento);
}

// Blocks and time: an erase has no speed worth showing.
void RapportoRiga::cancellazione(const Avanzamento &avanzamento)
{
    if (avanzamento.totale == 0) { // it starts
        m_orologio.start();
        return;
    }
    m_console.evento("erase", {{"block", avanzamento.fatti}, {"of", avanzamento.totale}});
    const bool finita = avanzamento.fatti == avanzamento.totale;
    m_console.barra(m_console.testo(fase_cancellazione), avanzamento.percento,
                    m_console.testo(blocchi).arg(avanzamento.fatti).arg(avanzamento.totale)
                        .arg(secondi(m_orologio), 0, 'f', 1),
                    finita);
    if (finita) // the pages start
        m_orologio.start();
}

void RapportoRiga::trasferimento(const Avanzamento &avanzamento)
{
    const qint64 fatti = qint64(avanzamento.fatti) * dimensione_pagina;
    const qint64 totale = qint64(avanzamento.totale) * dimensione_pagina;
    const double byte_al_secondo = double(fatti) / qMax(secondi(m_orologio), 1e-9);
    if (std::exchange(m_percento, avanzamento.percento) != avanzamento.percento || fatti == totale)
        m_console.evento("progress", {{"bytes", fatti}, {"total", totale}, {"percent", avanzamento.percento},
                                      {"bytes_per_s", qRound64(byte_al_secondo)}});
    const auto rimanenti = qint64(std::ceil(double(totale - fatti) / byte_al_secondo));
    m_console.barra(m_console.testo(fase_trasferimento), avanzamento.percento,
                    m_console.testo(velocita_e_tempo)
                        .arg(byte_al_secondo / 1024, 0, 'f', 1)
                        .arg(rimanenti / 60)
                        .arg(rimanenti % 60, 2, 10, QChar(u'0')),
                    fatti == totale);
}

Risposta RapportoRiga::chiedi(Domanda domanda, const QStringList &valori)
{
    const Messaggio &messaggio = messaggio_di(domanda);
    const int lingua = m_console.lingua();
    if (chi_risponde[std::size_t(domanda)] == Chi::Force) {
        if (m_confermate.contains(domanda))
            return Risposta::Si;
        // The fact, then what --force does of it.
        const QString fatto = messaggio.testo.righe_in(lingua, valori).section(u'\n', 0, 0);
        if (!m_risposte.forza) {
            m_console.avviso(fatto);
            return Risposta::No;
        }
        const QString avviso = fatto + u' ' + m_console.testo(testo_flash::forzato);
        m_console.avviso(avviso);
        m_console.evento("warning", {{"text", avviso}});
        return Risposta::Si;
    }
    const QString testo = m_console.testo(messaggio.titolo) + QStringLiteral(": ") + messaggio.testo.righe_in(lingua, valori);
    std::optional<bool> si = risposta_data(domanda);
    if (si)
        m_console.avviso(testo + u' ' + m_console.testo(risposte[*si]));
    else
        si = m_console.chiedi(testo); // nothing when a signal broke the question off
    if (si.value_or(false) && domanda == Domanda::Cancellazione)
        m_confermate.insert(domanda); // once a yes is given, the tries that follow do not ask again
    return si.value_or(false) ? Risposta::Si : Risposta::No;
}

std::optional<bool> RapportoRiga::risposta_data(Domanda domanda) const
{
    switch (chi_risponde[std::size_t(domanda)]) {
    case Chi::SwitchToAp: return m_risposte.access_point;
    case Chi::Nessuno: return false;
    case Chi::Force:
    case Chi::Utente: break;
    }
    if (m_confermate.contains(domanda) || m_risposte.si)
        return true;
    return std::nullopt;
}

void RapportoRiga::avvisa(Avviso avviso, const QStringList &valori)
{
    m_console.avviso(testo_avviso(avviso, valori, m_console.lingua(), m_risposte.file));
    if (messaggio_di(avviso).icona != Icona::Informazione)
        m_avvisi.append(avviso);
}

std::optional<QString> RapportoRiga::chiedi_password()
{
    m_console.evento("challenge");
    return m_risposte.password;
}
