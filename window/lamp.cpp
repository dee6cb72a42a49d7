#include "window/lamp.h"

#include "core/captions.h"

#include <QWidget>

namespace {
const char *const proprieta_stato = "stato";
} // namespace

void lampada::mostra(QWidget *lampada, StatoTappa stato, int lingua)
{
    static const QColor colori[] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}}; // not done, in progress, done
    QPalette tavolozza = lampada->palette();
    tavolozza.setColor(QPalette::Window, colori[int(stato)]);
    lampada->setPalette(tavolozza);
    lampada->setProperty(proprieta_stato, int(stato));
    nomina(lampada, lingua);
}

void lampada::nomina(QWidget *lampada, int lingua)
{
    const QString descrizione
        = descrizione_lampada(lampada->objectName(), lampada->property(proprieta_stato).toInt(), lingua);
    // Said to a screen reader, and shown to whoever does not know what the lamp stands for.
    lampada->setAccessibleName(descrizione);
    lampada->setToolTip(descrizione);
}
