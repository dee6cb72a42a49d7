#include "cli/commands/command.h"

#include "cli/commands/check.h"
#include "cli/commands/history.h"
#include "cli/commands/identify.h"
#include "cli/commands/reset.h"
#include "cli/commands/sync.h"
#include "cli/commands/update.h"
#include "cli/texts.h"
#include "core/statuses.h"
#include "engine/event_wait.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>

namespace {

// How long the connection may take to come up.
constexpr int attesa_collegamento_ms = 5000;
// --wait tries to connect about this often.
constexpr int intervallo_collegamento_ms = 1000;

} // namespace

std::unique_ptr<Comando> Comando::per(Contesto &contesto)
{
    switch (contesto.opzioni.comando) {
    case NomeComando::Aggiorna: return std::make_unique<ComandoAggiorna>(contesto);
    case NomeComando::Controlla: return std::make_unique<ComandoControlla>(contesto);
    case NomeComando::Identifica: return std::make_unique<ComandoIdentifica>(contesto);
    case NomeComando::Riavvia: return std::make_unique<ComandoRiavvia>(contesto);
    case NomeComando::Storico: return std::make_unique<ComandoStorico>(contesto);
    case NomeComando::Sincronizza: return std::make_unique<ComandoSincronizza>(contesto);
    }
    return nullptr;
}

Esito Comando::in_sequenza(std::initializer_list<std::function<Esito()>> passi)
{
    Esito esito;
    for (const std::function<Esito()> &passo : passi) {
        esito = passo();
        const QList<Avviso> avvisi = c.rapporto.prendi_avvisi();
        if (c.interrotta() || !esito.riuscito())
            return esito;
        for (const Avviso avviso : avvisi) {
            if (avviso != esito.avviso)
                c.console.evento("warning", {{"text", messaggio_di(avviso).testo.righe_in(c.console.lingua())}});
        }
    }
    return esito;
}

Esito Comando::connetti()
{
    c.rapporto.stato(stato::attesa_connessione);
    const QDeadlineTimer scadenza(qint64(c.opzioni.attesa_s) * 1000);
    for (;;) {
        QElapsedTimer prova;
        prova.start();
        Esito esito = c.motore.connetti();
        // Nothing is sent before the connection is up: a module out of reach is a connection failure.
        if (esito.riuscito())
            esito = c.motore.attendi_collegamento(attesa_collegamento_ms);
        if (esito.tipo != TipoEsito::Connessione || scadenza.hasExpired() || c.interrotta())
            return esito;
        c.rapporto.prendi_avvisi(); // the module is waited for: its absence is no warning
        c.motore.disconnetti();
        // About once a second; a signal ends the pause at once.
        QTimer sveglia;
        sveglia.setSingleShot(true);
        sveglia.start(int(qMax<qint64>(0, intervallo_collegamento_ms - prova.elapsed())));
        attesa_eventi::attendi([&] { return c.interrotta() || !sveglia.isActive(); });
    }
}

Esito Comando::controlla_file()
{
    const Esito esito = c.motore.controlla(c.opzioni.file_firmware);
    if (esito.tipo != TipoEsito::FileDanneggiato)
        return esito;
    const QString testo = c.opzioni.firmware + QStringLiteral(": ") + esito.in(c.console.lingua());
    if (!c.opzioni.forza) {
        c.console.avviso(testo);
        return esito;
    }
    const QString avviso = testo + u' ' + c.console.testo(testo_flash::forzato);
    c.console.avviso(avviso);
    c.console.evento("warning", {{"text", avviso}});
    c.rapporto.forzato(Domanda::ImmagineDanneggiata); // told once: not again before the erase
    Esito forzato;
    forzato.fatti = esito.fatti;
    return forzato;
}
