#pragma once

#include <QRect>

class QWidget;

// A place as the windows were designed: left, top, width and height in twips
// (1/1440 inch).
struct Twip
{
    int x, y, larghezza, altezza;
};

// The place in pixels of the screen `finestra` is on.
QRect in_pixel(const QWidget &finestra, Twip posto);
