#include "app/dialogs.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DialoghiQt dialoghi;
    Form1 finestra(dialoghi);
    finestra.avvia();
    return app.exec();
}
