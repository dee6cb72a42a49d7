#include "app/lamp.h"

#include <QWidget>

void lampada::colora(QWidget *lampada, const QColor &colore)
{
    QPalette tavolozza = lampada->palette();
    tavolozza.setColor(QPalette::Window, colore);
    lampada->setPalette(tavolozza);
}

QColor lampada::colore(const QWidget *lampada)
{
    return lampada->palette().color(QPalette::Window);
}
