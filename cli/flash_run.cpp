#include "cli/flash_run.h"

#include "cli/firmware_check.h"
#include "core/statuses.h"

namespace {

constexpr Messaggio domanda_cancellazione{
    {"Cancellazione", "Erase"}, {"Cancellare il dispositivo?", "Erase the device?"}, Icona::Critico, Pulsanti::SiNo};
constexpr Testo interrotto{"Interrotto.", "Interrupted."};
constexpr Testo non_raggiungibile{
    "Impossibile connettersi al modulo a %1:%2: controllare l'indirizzo e che il PC sia sulla rete Wi-Fi del modulo.",
    "Cannot connect to the module at %1:%2: check the address, and that this PC is on the module's Wi-Fi network."};
// How long the connection may take to come up.
constexpr int attesa_collegamento_ms = 5000;
constexpr Testo da_aggiornare{"Il dispositivo è cancellato e va aggiornato di nuovo.",
                              "The device is erased and must be updated again."};

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
    const Esito esito = svolgi();
    concludi(esito);
    return int(esito);
}

void Esecuzione::interrompi()
{
    m_interrotto = true;
    m_motore.termina();
}

Esito Esecuzione::svolgi()
{
    const auto offerto = [this](Passo passo) { return [this, passo] { return m_motore.disponibile(passo); }; };
    const auto riuscito = [this] { return m_rapporto.esito() == Esito::ok; };
    const auto sempre = [] { return true; };
    bool collegato = false;
    const auto connetti = [this, &collegato] {
        m_rapporto.stato(stato::attesa_connessione);
        m_motore.connetti();
        // Nothing is sent before the connection is up: a module out of reach is a connection failure.
        collegato = m_motore.disponibile(Passo::Apri) && m_motore.attendi_collegamento(attesa_collegamento_ms);
        if (m_motore.disponibile(Passo::Apri) && !collegato && !m_interrotto)
            spiega(m_console.testo(non_raggiungibile).arg(m_opzioni.indirizzo).arg(m_opzioni.porta));
    };
    const Passaggio controllo{[this] { controlla_firmware(m_opzioni.firmware, m_rapporto); }, sempre, Esito::file};
    const Passaggio connessione{connetti, [&collegato] { return collegato; }, Esito::connessione};

    switch (m_opzioni.comando) {
    case Comando::Controlla:
        return svolgi({controllo});
    case Comando::Identifica:
        return svolgi({connessione, {[this] { m_motore.chiedi_identita(); },
                                     [this] { return m_rapporto.identita_letta(); }, Esito::identificazione}});
    case Comando::Riavvia:
        return svolgi({connessione, {[this] { m_motore.riavvia_modulo(); }, riuscito, Esito::altro}});
    case Comando::Aggiorna:
        break;
    }
    if (!m_opzioni.si && !m_console.domande()) {
        spiega(QStringLiteral("standard input is not a terminal: answer the questions with --yes"));
        return Esito::uso;
    }
    return svolgi({
        controllo,
        connessione,
        {[this] { m_motore.apri(m_opzioni.firmware); }, offerto(Passo::Identifica), Esito::file},
        {[this] { m_motore.identifica(); }, offerto(Passo::Trasferisci), Esito::identificazione},
        {[this] { m_rapporto.messaggio(domanda_cancellazione); }, sempre, Esito::altro},
        {[this] { m_motore.trasferisci(); }, offerto(Passo::Aggiorna), Esito::trasferimento},
        {[this] { m_motore.aggiorna(); }, riuscito, Esito::verifica},
    });
}

Esito Esecuzione::svolgi(std::initializer_list<Passaggio> passaggi)
{
    for (const Passaggio &passaggio : passaggi) {
        passaggio.azione();
        const std::optional<Esito> esito = m_rapporto.esito();
        if (m_interrotto)
            return Esito::interrotto;
        if (esito && esito != Esito::ok)
            return *esito;
        if (!passaggio.riuscito())
            return passaggio.altrimenti;
    }
    return Esito::ok;
}

void Esecuzione::concludi(Esito esito)
{
    if (esito == Esito::interrotto)
        spiega(m_console.testo(interrotto));
    if (esito != Esito::ok) {
        if (m_rapporto.cancellazione_avviata())
            m_console.avviso(m_console.testo(da_aggiornare));
        const QLatin1String classe(nome_esito(esito));
        m_console.avviso(QStringLiteral("kestra-flash: exit %1 (%2)").arg(int(esito)).arg(classe));
        m_console.evento("error", {{"code", int(esito)}, {"class", classe},
                                   {"text", m_motivo.isEmpty() ? m_rapporto.testo_esito() : m_motivo}});
    }
    m_console.evento("done", {{"ok", esito == Esito::ok}, {"exit_code", int(esito)}});
}

void Esecuzione::spiega(const QString &motivo)
{
    m_motivo = motivo;
    m_console.avviso(motivo);
}
