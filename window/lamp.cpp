#include "window/lamp.h"

#include "core/captions.h"

#include <QWidget>

namespace {
const char *const proprieta_colore = "colore";
} // namespace

void lampada::colora(QWidget *lampada, Colore colore, int lingua)
{
    static const QColor colori[] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}};
    QPalette tavolozza = lampada->palette();
    tavolozza.setColor(QPalette::Window, colori[int(colore)]);
    lampada->setPalette(tavolozza);
    lampada->setProperty(proprieta_colore, int(colore));
    nomina(lampada, lingua);
}

void lampada::nomina(QWidget *lampada, int lingua)
{
    lampada->setAccessibleName(
        descrizione_lampada(lampada->objectName(), lampada->property(proprieta_colore).toInt(), lingua));
}
