// kestra-flash: the firmware update from the command line, for scripts,
// service benches and production lines.

#include "cli/exit_codes.h"
#include "cli/flash_run.h"
#include "cli/signals.h"
#include "cli/transcript.h"
#include "engine/command_channel.h"
#include "history/history_db.h"

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The window's name: the update history is kept in the same data folder.
    QCoreApplication::setApplicationName(QStringLiteral("kestra-updater"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRA_VERSIONE));
    QFile uscita, errori, ingresso, registro;
    // By descriptor, not through C's buffered streams: each line leaves as it
    // is written, also into a pipe, where a script reads the events as they come.
    uscita.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errori.open(2, QIODevice::WriteOnly | QIODevice::Unbuffered);
    ingresso.open(stdin, QIODevice::ReadOnly);

    const Richiesta richiesta = leggi_opzioni(app.arguments());
    if (!richiesta.opzioni) {
        (richiesta.codice == 0 ? uscita : errori).write(richiesta.testo.toUtf8());
        return richiesta.codice;
    }
    const Opzioni &opzioni = *richiesta.opzioni;
    CanaleComandi canale;
    std::optional<Trascrizione> trascrizione;
    if (!opzioni.registro.isEmpty()) {
        registro.setFileName(opzioni.registro);
        if (!registro.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            errori.write(("kestra-flash: --log: " + registro.errorString() + u'\n').toUtf8());
            return codice_uso;
        }
        trascrizione.emplace(canale, registro);
        trascrizione->intestazione(QCoreApplication::applicationVersion(), opzioni.indirizzo, opzioni.porta,
                                   opzioni.firmware);
    }
    Console console({uscita, errori, ingresso},
                    {opzioni.json, !opzioni.json && terminale(stderr), terminale(stdin), opzioni.lingua,
                     segnale_ricevuto});
    StoricoSqlite storico(percorso_storico(), [&console](const QString &perche) {
        console.avviso(QStringLiteral("kestra-flash: ") + perche);
        console.evento("warning", {{"text", perche}});
    });
    Esecuzione esecuzione(opzioni, canale, console, &storico);

    // A signal only raises a flag: the waits' event loops act on it, so
    // that the step running ends after its current command.
    installa_gestori_segnali();
    QTimer controllo;
    QObject::connect(&controllo, &QTimer::timeout, [&] {
        if (segnale_ricevuto() != 0 && controllo.isActive()) {
            controllo.stop();
            esecuzione.interrompi(segnale_ricevuto());
        }
    });
    controllo.start(controllo_segnali_ms);
    const int codice = esecuzione.esegui();
    if (trascrizione)
        trascrizione->risultato(codice, esecuzione.classe());
    return codice;
}
