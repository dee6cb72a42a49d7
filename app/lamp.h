#pragma once

#include <QColor>
#include <QFrame>

class QWidget;

// The status lamps: squares of one of three colours.
namespace lampada {
inline const QColor rosso{255, 0, 0};
inline const QColor giallo{255, 255, 0};
inline const QColor verde{0, 255, 0};

void colora(QWidget *lampada, const QColor &colore);
QColor colore(const QWidget *lampada);
} // namespace lampada
