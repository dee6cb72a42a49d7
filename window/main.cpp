#include "window/dialogs.h"
#include "window/form1.h"
#include "engine/command_channel.h"
#include "history/history_db.h"
#include "history/server_config.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The settings of an installed copy are kept under this name, and the
    // desktop matches the window to its entry by the other.
    QApplication::setApplicationName(QStringLiteral("kestra-updater"));
    QApplication::setDesktopFileName(QStringLiteral("org.kestra.Updater"));
    DialoghiQt dialoghi;
    CanaleComandi canale;
    // The history's problems are told in its view, and on standard error.
    Form1 *finestra_aperta = nullptr;
    StoricoSqlite storico(percorso_storico(), [&finestra_aperta](const QString &perche) {
        qWarning("%s", qPrintable(perche));
        if (finestra_aperta)
            finestra_aperta->problema_storico(perche);
    });
    const ConfigurazioneServer server = trova_configurazione({});
    Form1 finestra(dialoghi, canale, &storico, {storico.percorso(), server});
    finestra_aperta = &finestra;
    if (!server.errore.isEmpty())
        finestra.problema_storico(server.errore);
    // Each record written goes to the plant's server too, off the window's thread.
    storico.dopo_ogni_scrittura([&finestra] { finestra.sincronizza_storico(); });
    finestra.avvia();
    return app.exec();
}
