#include "window/twips.h"

#include <QScreen>
#include <QWidget>

QRect in_pixel(const QWidget &finestra, Twip posto)
{
    const qreal dpi = finestra.screen() ? finestra.screen()->logicalDotsPerInch() : 96.0;
    const auto pixel = [dpi](int twip) { return qRound(twip * dpi / 1440.0); };
    return QRect(pixel(posto.x), pixel(posto.y), pixel(posto.larghezza), pixel(posto.altezza));
}
