#pragma once

#include "engine/report.h"

class QWidget;

// The status lamps: squares of one of three colours, each named for assistive
// technology by what it shows and its state ("Connessione: attiva").
namespace lampada {
void colora(QWidget *lampada, Colore colore, int lingua);
// Names the lamp again, in `lingua`, for the colour it has.
void nomina(QWidget *lampada, int lingua);
} // namespace lampada
