#pragma once

#include "engine/report.h"

class QWidget;

// The status lamps: squares that show where a stage of the update stands in
// colour (red: not done, yellow: in progress, green: done), each named for
// assistive technology, and in its tooltip, by what it shows and its state
// ("Connessione: attiva").
namespace lampada {
void mostra(QWidget *lampada, StatoTappa stato, int lingua);
// Names the lamp again, in `lingua`, for the state it shows.
void nomina(QWidget *lampada, int lingua);
} // namespace lampada
