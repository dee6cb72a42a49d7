#pragma once

#include <QtGlobal>

class QTemporaryDir;

// The stalled-link campaign: `aggiornamenti` updates of a small image, each
// against a kestra-sim of its own that takes 2 ms to write a half page,
// stalls once, for 1 to 2.5 s from a random half page on, and refuses the
// verification in about half the updates. kestra-flash and the window take
// turns. Each outcome is judged against what the module answered: a refused
// verification must never be reported as a success. The updates are drawn
// from `seme`, so the same seed makes the same campaign.
//
// Prints a line per update and a line per front end, and returns false when
// an update could not be carried out or a refusal was reported as a success.
bool esegui_campagna(int aggiornamenti, quint32 seme, const QTemporaryDir &cartella);
