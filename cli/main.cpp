// kestra-flash: the firmware update from the command line, for scripts,
// service benches and production lines.

#include "cli/exit_codes.h"
#include "cli/flash_run.h"
#include "cli/transcript.h"
#include "engine/command_channel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <optional>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int controllo_ctrl_c_ms = 50;
volatile std::sig_atomic_t ctrl_c = 0;

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
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRA_VERSIONE));
    QFile uscita, errori, ingresso, registro;
    uscita.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errori.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
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
    }
    Console console({uscita, errori, ingresso},
                    {opzioni.json, !opzioni.json && terminale(stderr), terminale(stdin), opzioni.lingua});
    Esecuzione esecuzione(opzioni, canale, console);

    // The signal only raises a flag: the waits' event loops act on it, so
    // that the step running ends after its current command.
    std::signal(SIGINT, [](int) { ctrl_c = 1; });
    QTimer controllo;
    QObject::connect(&controllo, &QTimer::timeout, [&] {
        if (ctrl_c && controllo.isActive()) {
            controllo.stop();
            esecuzione.interrompi();
        }
    });
    controllo.start(controllo_ctrl_c_ms);
    return esecuzione.esegui();
}
