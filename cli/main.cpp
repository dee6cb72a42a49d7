// kestra-flash: the firmware update from the command line, for scripts,
// service benches and production lines.

#include "cli/run.h"
#include "cli/summary.h"
#include "cli/signals.h"
#include "cli/transcript.h"
#include "core/firmware_file.h"
#include "engine/command_channel.h"
#include "history/history_db.h"
#include "history/sync.h"
#include "version.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <optional>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int controllo_segnali_ms = 50;

bool terminale(std::FILE *flusso)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(flusso));
#else
    return isatty(fileno(flusso));
#endif
}

// The firmware file as the system names it. A name that is not valid text
// in the locale's encoding cannot come back from the QString the options
// hold: it is taken from the program's own arguments, as they were given.
std::filesystem::path percorso_nativo(const QString &firmware, int argc, char *argv[])
{
#ifndef Q_OS_WIN
    for (int i = argc - 1; i > 0; --i) {
        if (QFile::decodeName(argv[i]) == firmware)
            return std::filesystem::path(argv[i]);
    }
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
    return percorso_di(firmware);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The window's name: the update history is kept in the same data folder.
    QCoreApplication::setApplicationName(QStringLiteral("kestra-updater"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(versione_kestra));
    QFile uscita, errori, ingresso, registro;
    // By descriptor, not through C's buffered streams: each line leaves as it
    // is written, also into a pipe, where a script reads the events as they come.
    uscita.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errori.open(2, QIODevice::WriteOnly | QIODevice::Unbuffered);
    ingresso.open(stdin, QIODevice::ReadOnly);

    const Richiesta richiesta = leggi_opzioni(app.arguments());
    if (!richiesta.opzioni) {
        (richiesta.codice == 0 ? uscita : errori).write(richiesta.testo.toUtf8());
        // With --json, a mistake is an error and the end of the run on standard output too.
        if (richiesta.codice != 0 && app.arguments().contains(QLatin1String("--json"))) {
            Console console({uscita, errori, ingresso}, {true, false, false, 1});
            Chiusura chiusura;
            chiusura.codice = richiesta.codice;
            chiusura.esito = Esito{TipoEsito::Uso, nessun_testo, {"%1", "%1"}, {richiesta.errore}};
            eventi_finali(console, chiusura);
        }
        return richiesta.codice;
    }
    Opzioni opzioni = *richiesta.opzioni;
    opzioni.file_firmware = percorso_nativo(opzioni.firmware, argc, argv);
    CanaleComandi canale;
    std::optional<Trascrizione> trascrizione;
    if (!opzioni.registro.isEmpty()) {
        registro.setFileName(opzioni.registro);
        if (!registro.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            errori.write(("kestra-flash: --log: " + registro.errorString() + u'\n').toUtf8());
            return codice_uscita(TipoEsito::Uso);
        }
        trascrizione.emplace(canale, registro);
        trascrizione->intestazione(QCoreApplication::applicationVersion(), opzioni.indirizzo, opzioni.porta,
                                   opzioni.firmware);
    }
    Console console({uscita, errori, ingresso},
                    {opzioni.json, !opzioni.json && terminale(stderr), terminale(stdin), opzioni.lingua,
                     segnale_ricevuto});
    // The history's problems are told, never the reason for an exit code;
    // where standard output carries data alone (a listing, a sync), on standard error only.
    const bool solo_dati = opzioni.comando == NomeComando::Storico || opzioni.comando == NomeComando::Sincronizza;
    const auto avviso = [&console, solo_dati](const QString &perche) {
        console.avviso(QStringLiteral("kestra-flash: ") + perche);
        if (!solo_dati)
            console.evento("warning", {{"text", perche}});
    };
    StoricoSqlite storico(percorso_storico(), avviso);
    const ConfigurazioneServer server = trova_configurazione(opzioni.url_storico);
    if (!server.errore.isEmpty())
        avviso(QStringLiteral("history server: ") + server.errore);
    std::optional<InvioStorico> invio;
    if (server.server)
        invio.emplace(storico, server, avviso);
    Esecuzione esecuzione(opzioni, canale, console, {&storico, invio ? &*invio : nullptr, &server});

    // A signal only raises a flag, which is looked at here: the first ends
    // the run (after the device's verdict when it is on its way), a second at once.
    installa_gestori_segnali();
    QTimer controllo;
    int visti = 0;
    QObject::connect(&controllo, &QTimer::timeout, [&] {
        if (segnali_ricevuti() > visti) {
            visti = segnali_ricevuti();
            esecuzione.interrompi(segnale_ricevuto(), visti > 1);
        }
    });
    controllo.start(controllo_segnali_ms);
    const int codice = esecuzione.esegui();
    if (trascrizione)
        trascrizione->risultato(codice, esecuzione.classe());
    return codice;
}
