#include "cli/flash_run.h"

#include "cli/exit_codes.h"
#include "core/statuses.h"

namespace {

constexpr Messaggio domanda_cancellazione{
    {"Cancellazione", "Erase"}, {"Cancellare il dispositivo?", "Erase the device?"}, Icona::Critico, Pulsanti::SiNo};
constexpr Testo interrotto{"Interrotto.", "Interrupted."};
constexpr Testo da_aggiornare{"Il dispositivo è cancellato e va aggiornato di nuovo.",
                              "The device is erased and must be updated again."};
constexpr Testo non_raggiungibile{
    "Impossibile connettersi al modulo a %1:%2: controllare l'indirizzo e che il PC sia sulla rete Wi-Fi del modulo.",
    "Cannot connect to the module at %1:%2: check the address, and that this PC is on the module's Wi-Fi network."};
constexpr Testo senza_terminale{"lo standard input non è un terminale: rispondere alle domande con --yes",
                                "standard input is not a terminal: answer the questions with --yes"};
// How long the connection may take to come up.
constexpr int attesa_collegamento_ms = 5000;

} // namespace

Esecuzione::Esecuzione(const Opzioni &opzioni, Collegamento &link, Console &console)
    : m_opzioni(opzioni)
    , m_console(console)
    , m_rapporto(console, {opzioni.si, opzioni.access_point, opzioni.password})
    , m_motore(link, m_rapporto, opzioni.indirizzo_access_point, opzioni.porta)
{
    m_motore.imposta_indirizzo(opzioni.indirizzo);
}

int Esecuzione::esegui()
{
    if (m_opzioni.comando == Comando::Aggiorna && !m_opzioni.si && !m_console.domande()) {
        const QString motivo = m_console.testo(senza_terminale);
        m_console.avviso(motivo);
        concludi(codice_uso, classe_uso, motivo);
        return codice_uso;
    }
    Esito esito = svolgi();
    if (m_interrotto)
        esito = Esito::di_stato(TipoEsito::Interrotto, interrotto);
    if (esito.tipo == TipoEsito::Interrotto)
        m_console.avviso(m_console.testo(interrotto));
    const int codice = codice_uscita(esito.tipo);
    concludi(codice, nome_tipo_esito(esito.tipo), esito.in(m_console.lingua()));
    return codice;
}

void Esecuzione::interrompi()
{
    m_interrotto = true;
    m_motore.termina();
}

Esito Esecuzione::svolgi()
{
    const Passaggio connessione = [this] { return connetti(); };
    switch (m_opzioni.comando) {
    case Comando::Controlla:
        return m_motore.controlla(m_opzioni.firmware);
    case Comando::Identifica:
        return in_sequenza({connessione, [this] {
                                const Esito esito = m_motore.chiedi_identita();
                                // "FWI=???": the device gave no identity to print.
                                return esito.riuscito() && !m_rapporto.identita_letta()
                                           ? Esito::di_stato(TipoEsito::Identificazione, esito.testo)
                                           : esito;
                            }});
    case Comando::Riavvia:
        return in_sequenza({connessione, [this] { return m_motore.riavvia_modulo(); }});
    case Comando::Aggiorna:
        break;
    }
    return in_sequenza({
        [this] { return m_motore.controlla(m_opzioni.firmware); },
        connessione,
        [this] { return m_motore.apri(m_opzioni.firmware); },
        [this] { return m_motore.identifica(); },
        [this] { return chiedi_cancellazione(); },
        [this] { return m_motore.trasferisci(); },
        [this] {
            const Esito esito = m_motore.aggiorna();
            if (esito.riuscito())
                m_console.evento("verified");
            return esito;
        },
    });
}

Esito Esecuzione::in_sequenza(std::initializer_list<Passaggio> passaggi)
{
    Esito esito;
    for (const Passaggio &passaggio : passaggi) {
        esito = passaggio();
        const QList<const Messaggio *> avvisi = m_rapporto.prendi_avvisi();
        if (m_interrotto || !esito.riuscito())
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
    const Esito connessione = m_motore.connetti();
    if (!connessione.riuscito())
        return connessione;
    // Nothing is sent before the connection is up: a module out of reach is a connection failure.
    const Esito collegamento = m_motore.attendi_collegamento(attesa_collegamento_ms);
    if (collegamento.tipo == TipoEsito::Connessione)
        m_console.avviso(m_console.testo(non_raggiungibile).arg(m_opzioni.indirizzo).arg(m_opzioni.porta));
    return collegamento;
}

Esito Esecuzione::chiedi_cancellazione()
{
    if (m_rapporto.messaggio(domanda_cancellazione) == risposta_si)
        return {};
    return Esito::di_messaggio(TipoEsito::Rinuncia, domanda_cancellazione);
}

void Esecuzione::concludi(int codice, const char *classe, const QString &testo)
{
    if (codice != 0) {
        if (m_motore.stato().cancellato)
            m_console.avviso(m_console.testo(da_aggiornare));
        m_console.avviso(QStringLiteral("kestra-flash: exit %1 (%2)").arg(codice).arg(QLatin1String(classe)));
        m_console.evento("error", {{"code", codice}, {"class", QLatin1String(classe)}, {"text", testo}});
    }
    m_console.evento("done", {{"ok", codice == 0}, {"exit_code", codice}});
}
