#include "window/dialogs.h"
#include "window/form1.h"
#include "engine/command_channel.h"
#include "history/history_db.h"

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
    StoricoSqlite storico(percorso_storico(), [](const QString &perche) { qWarning("%s", qPrintable(perche)); });
    Form1 finestra(dialoghi, canale, &storico);
    finestra.avvia();
    return app.exec();
}
