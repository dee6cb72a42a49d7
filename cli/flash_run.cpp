#include "cli/flash_run.h"

#include "cli/exit_codes.h"
#include "cli/hints.h"
#include "cli/history_lines.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/firmware_image.h"
#include "core/flash_texts.h"
#include "core/labels.h"
#include "core/statuses.h"

#include "engine/event_wait.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace {

// How long the connection may take to come up.
constexpr int attesa_collegamento_ms = 5000;
// --wait tries to connect about this often.
constexpr int intervallo_collegamento_ms = 1000;

} // namespace

Esecuzione::Esecuzione(const Opzioni &opzioni, Collegamento &link, Console &console, StoricoSqlite *storico)
    : m_opzioni(opzioni)
    , m_console(console)
    , m_storico(storico)
    , m_rapporto(console, {opzioni.si, opzioni.access_point, opzioni.password})
    , m_motore(link, m_rapporto, opzioni.indirizzo_access_point, opzioni.porta)
{
    m_motore.imposta_indirizzo(opzioni.indirizzo);
    m_motore.richiedi_identita_intera();
    m_motore.registra_in({storico, QStringLiteral("cli"), QStringLiteral(KESTRA_VERSIONE),
                          [this](const Esito &esito) { return std::optional(codice_di(esito)); }});
}

int Esecuzione::esegui()
{
    m_durata.start();
    if (m_opzioni.comando == Comando::Aggiorna && !m_opzioni.si && !m_console.domande()) {
        const QString motivo = m_console.testo(testo_flash::senza_terminale);
        m_console.avviso(motivo);
        concludi(codice_uso, QLatin1String(classe_uso), motivo);
        return codice_uso;
    }
    if (m_opzioni.comando == Comando::Storico) {
        const Esito esito = elenca_storico();
        return codice_uscita(esito.tipo);
    }
    if (m_storico && m_opzioni.comando == Comando::Aggiorna)
        m_storico->prepara();
    Esito esito = svolgi();
    // A signal that came while the verdict was on its way let it come: the run ends as the device said.
    if (interrotta() && !m_verdetto) {
        esito = Esito::di_stato(TipoEsito::Interrotto, testo_interrotto);
        m_console.avviso(m_console.testo(testo_interrotto));
    }
    m_motore.chiudi_tentativo(esito);
    const int codice = codice_di(esito);
    concludi(codice, QLatin1String(nome_tipo_esito(esito.tipo)), esito.in(m_console.lingua()),
             suggerimento(esito.tipo, fatti(), m_console.lingua()));
    return codice;
}

int Esecuzione::codice_di(const Esito &esito) const
{
    if (esito.tipo == TipoEsito::Interrotto && interrotta())
        return 128 + (m_segnale != 0 ? m_segnale : m_console.segnale());
    return codice_uscita(esito.tipo);
}

void Esecuzione::interrompi(int segnale, bool subito)
{
    m_segnale = segnale;
    if (subito || !m_motore.verdetto_in_arrivo())
        return m_motore.termina();
    const int secondi = m_motore.stato().trasferito.cpu->attesa_verifica_ms / 1000;
    m_console.avviso(m_console.testo(testo_flash::attesa_verdetto, QString::number(secondi)));
}

Esito Esecuzione::svolgi()
{
    const Passaggio controllo = [this] { return controlla_file(); };
    const Passaggio connessione = [this] { return connetti(); };
    switch (m_opzioni.comando) {
    case Comando::Controlla:
        return in_sequenza({controllo});
    case Comando::Identifica:
        return in_sequenza({connessione, [this] { return identifica_soltanto(); }});
    case Comando::Riavvia:
        return in_sequenza({connessione, [this] { return m_motore.riavvia_modulo(); }});
    case Comando::Storico:
    case Comando::Aggiorna:
        break;
    }
    const Esito file = in_sequenza({controllo});
    return file.riuscito() ? aggiorna_con_tentativi() : file;
}

namespace {

// The failures that leave the device erased.
bool lascia_cancellato(TipoEsito tipo)
{
    return tipo == TipoEsito::Cancellazione || tipo == TipoEsito::Trasferimento || tipo == TipoEsito::Verifica;
}

} // namespace

Esito Esecuzione::aggiorna_con_tentativi()
{
    std::optional<Esito> cancellante; // the last failure that left the device erased
    for (int tentativo = 1;; ++tentativo) {
        Esito esito = prova_aggiornamento();
        if (lascia_cancellato(esito.tipo))
            cancellante = esito;
        const bool ancora_cancellato = !esito.riuscito() && m_motore.stato().cancellato;
        // A try that failed once the erase had begun leaves the device erased: it is tried again.
        if (!ancora_cancellato || esito.tipo == TipoEsito::Rinuncia || interrotta() || tentativo > m_opzioni.tentativi) {
            // A later try that erased nothing does not hide the failure that left the device erased.
            const bool nascosto = ancora_cancellato && cancellante && esito.tipo != TipoEsito::Rinuncia
                                  && esito.tipo != TipoEsito::Interrotto && !lascia_cancellato(esito.tipo);
            return nascosto ? *cancellante : esito;
        }
        m_motore.chiudi_tentativo(esito);
        m_console.avviso(m_console.testo(testo_flash::di_nuovo).arg(tentativo + 1).arg(m_opzioni.tentativi + 1));
        m_console.evento("retry", {{"try", tentativo + 1}, {"of", m_opzioni.tentativi + 1}});
        m_motore.disconnetti();
    }
}

Esito Esecuzione::prova_aggiornamento()
{
    const Esito identificato = in_sequenza({
        [this] { return connetti(); },
        [this] { return m_motore.apri(m_opzioni.file_firmware); },
        [this] { return m_motore.identifica(); },
        [this] { return controlla_scheda(); },
    });
    if (!identificato.riuscito())
        return identificato;
    if (m_opzioni.salta_se_attuale && gia_aggiornato()) {
        m_saltato = true;
        m_console.avviso(m_console.testo(testo_flash::gia_aggiornato, versione_dispositivo(m_motore.stato().identita)));
        return {};
    }
    return in_sequenza({
        [this] { return chiedi_cancellazione(); },
        [this] {
            const Esito esito = m_motore.trasferisci();
            m_scritto = esito.riuscito();
            return esito;
        },
        [this] { return aggiorna(); },
    });
}

Esito Esecuzione::in_sequenza(std::initializer_list<Passaggio> passaggi)
{
    Esito esito;
    for (const Passaggio &passaggio : passaggi) {
        esito = passaggio();
        const QList<const Messaggio *> avvisi = m_rapporto.prendi_avvisi();
        if (interrotta() || !esito.riuscito())
            return esito;
        // What the step told and still completed, but for its own words.
        for (const Messaggio *avviso : avvisi) {
            if (avviso->testo.it != esito.testo.it)
                m_console.evento("warning", {{"text", avviso->testo.righe_in(m_console.lingua())}});
        }
    }
    return esito;
}

Esito Esecuzione::connetti()
{
    m_rapporto.stato(stato::attesa_connessione);
    QDeadlineTimer scadenza(qint64(m_opzioni.attesa_s) * 1000);
    for (;;) {
        QElapsedTimer prova;
        prova.start();
        Esito esito = m_motore.connetti();
        // Nothing is sent before the connection is up: a module out of reach is a connection failure.
        if (esito.riuscito())
            esito = m_motore.attendi_collegamento(attesa_collegamento_ms);
        if (esito.tipo != TipoEsito::Connessione || scadenza.hasExpired() || interrotta())
            return esito;
        m_rapporto.prendi_avvisi(); // the module is waited for: its absence is no warning
        m_motore.disconnetti();
        // About once a second; a signal ends the pause at once.
        QTimer sveglia;
        sveglia.setSingleShot(true);
        sveglia.start(int(qMax<qint64>(0, intervallo_collegamento_ms - prova.elapsed())));
        attesa_eventi::attendi([&] { return interrotta() || !sveglia.isActive(); });
    }
}

bool Esecuzione::gia_aggiornato() const
{
    // The version bytes, not their labels: the file writes the minor version
    // as two decimal digits, the device as two hexadecimal ones. A device this
    // run erased is never current.
    const StatoCondiviso &stato = m_motore.stato();
    const std::optional<IntestazioneFirmware> &file = m_rapporto.intestazione();
    return stato.identita.info_disponibile && file && !stato.cancellato && stato.identita.maggiore == file->fw_maggiore
           && stato.identita.minore == file->fw_minore;
}

Esito Esecuzione::elenca_storico()
{
    const std::optional<QList<Tentativo>> tentativi = m_storico ? m_storico->elenco(m_opzioni.limite) : std::nullopt;
    if (!tentativi) {
        m_console.avviso(m_console.testo(testo_flash::storico_illeggibile));
        return {TipoEsito::NonDisponibile};
    }
    for (const Tentativo &tentativo : *tentativi) {
        if (m_opzioni.json)
            m_console.oggetto(in_json(tentativo));
        else
            m_console.riga(riga_storico(tentativo));
    }
    return {};
}

Esito Esecuzione::identifica_soltanto()
{
    const Esito esito = m_motore.chiedi_identita();
    // "FWI=???": the device gave no identity to print.
    if (esito.riuscito() && !m_rapporto.identita_letta())
        return Esito::di_stato(TipoEsito::Identificazione, esito.testo);
    return esito;
}

// What the window checks when it opens the file, then what the transfer
// checks of its image, then that the image is the one its header's CRC16 was
// computed for: a file cut short keeps the CRC16 of the whole image.
Esito Esecuzione::controlla_file()
{
    const Esito esito = m_motore.controlla(m_opzioni.file_firmware);
    return esito.tipo == TipoEsito::FileDanneggiato ? salvo_force(esito) : esito;
}

// A device that reports a board must have the file's; one that reports none
// is taken at its word, as in the window.
Esito Esecuzione::controlla_scheda()
{
    const QByteArray dispositivo = m_motore.stato().identita.scheda;
    const QByteArray file = m_rapporto.intestazione() ? m_rapporto.intestazione()->scheda_file : QByteArray();
    if (dispositivo.isEmpty() || dispositivo == file)
        return {};
    Esito diversa = Esito::di_stato(TipoEsito::Scheda, testo_flash::scheda_diversa);
    diversa.valori = {QString::fromLatin1(file), QString::fromLatin1(dispositivo)};
    return salvo_force(diversa);
}

// The refusal is told; with --force, as what will be done instead.
Esito Esecuzione::salvo_force(const Esito &rifiuto)
{
    const QString testo = rifiuto.in(m_console.lingua());
    if (!m_opzioni.forza) {
        m_console.avviso(testo);
        return rifiuto;
    }
    const QString avviso = testo + u' ' + m_console.testo(testo_flash::forzato);
    m_console.avviso(avviso);
    m_console.evento("warning", {{"text", avviso}});
    return {};
}

Esito Esecuzione::chiedi_cancellazione()
{
    // Once a yes is given, the tries that follow do not ask again.
    if (m_cancellazione_confermata || m_rapporto.messaggio(testo_flash::domanda_cancellazione) == risposta_si) {
        m_cancellazione_confermata = true;
        return {};
    }
    return Esito::di_messaggio(TipoEsito::Rinuncia, testo_flash::domanda_cancellazione);
}

Esito Esecuzione::aggiorna()
{
    const Esito esito = m_motore.aggiorna();
    m_verdetto = esito.tipo == TipoEsito::Completato || esito.tipo == TipoEsito::Verifica;
    if (esito.riuscito())
        m_console.evento("verified");
    return esito;
}

void Esecuzione::concludi(int codice, const QString &classe, const QString &testo, const QString &suggerimento)
{
    m_classe = classe;
    const bool cancellato = m_motore.stato().cancellato;
    const bool ignoto = m_motore.stato().verdetto_ignoto;
    if (m_scritto) {
        const double secondi = m_rapporto.secondi_scrittura();
        m_console.avviso(m_console.testo(testo_flash::riepilogo)
                             .arg(byte_immagine())
                             .arg(secondi, 0, 'f', 1)
                             .arg(double(byte_immagine()) / 1024 / qMax(secondi, 1e-3), 0, 'f', 1)
                             .arg(m_motore.stato().rinvii));
    }
    if (codice != 0) {
        if (!suggerimento.isEmpty())
            m_console.avviso(suggerimento);
        if (ignoto) {
            m_console.avviso(m_console.testo(testo_flash::verdetto_ignoto));
        } else if (cancellato) {
            m_console.avviso(m_console.testo(testo_flash::da_aggiornare));
            m_console.evento("erased", {{"text", m_console.testo(testo_flash::da_aggiornare)}});
        }
        m_console.avviso(QStringLiteral("kestra-flash: exit %1 (%2)").arg(codice).arg(classe));
        QJsonObject errore{{"code", codice}, {"class", classe}, {"text", testo}};
        if (!suggerimento.isEmpty())
            errore.insert(QStringLiteral("hint"), suggerimento);
        m_console.evento("error", errore);
    }
    m_console.evento("done", {{"ok", codice == 0},
                              {"exit_code", codice},
                              {"duration_ms", m_durata.elapsed()},
                              {"bytes", byte_immagine()},
                              {"resends", m_motore.stato().rinvii},
                              {"erased", ignoto ? QJsonValue() : QJsonValue(cancellato)},
                              {"skipped", m_saltato}});
}

FattiDellaCorsa Esecuzione::fatti() const
{
    return {m_opzioni.indirizzo,        m_opzioni.indirizzo_access_point, m_opzioni.porta,
            m_opzioni.access_point,     m_rapporto.intestazione(),        m_rapporto.tipo(),
            byte_immagine(),            m_motore.stato().pagine_inviate,  m_motore.stato().verdetto_ignoto};
}

qint64 Esecuzione::byte_immagine() const
{
    std::error_code errore;
    const std::uintmax_t dimensione = std::filesystem::file_size(m_opzioni.file_firmware, errore);
    return m_opzioni.firmware.isEmpty() || errore ? 0 : qMax<qint64>(qint64(dimensione) - lunghezza_intestazione, 0);
}
