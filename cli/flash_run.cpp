#include "cli/flash_run.h"

#include "cli/firmware_check.h"
#include "texts/statuses.h"

namespace {

constexpr Messaggio domanda_cancellazione{
    {"Cancellazione", "Erase"}, {"Cancellare il dispositivo?", "Erase the device?"}, Icona::Critico, Pulsanti::SiNo};
constexpr Testo interrotto{"Interrotto.", "Interrupted."};
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
    const auto connetti = [this] {
        m_rapporto.stato(stato::attesa_connessione);
        m_motore.connetti();
    };
    const Passaggio controllo{[this] { controlla_firmware(m_opzioni.firmware, m_rapporto); }, sempre, Esito::file};
    const Passaggio connessione{connetti, offerto(Passo::Apri), Esito::connessione};

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
