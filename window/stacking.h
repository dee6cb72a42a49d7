#pragma once

class QWidget;

// Keeps a window above all others, or returns it to the normal stacking
// order. Only its place in that order changes: the native window is the
// same, with its place and size.
void imposta_sempre_in_primo_piano(QWidget &finestra, bool attivo);
