#pragma once

#include "core/outcome.h"

class Sessione;

namespace passi {

// Erases the device's area and writes the image of the opened file into it,
// page by page in half pages, computing the CRC16 that the verification sends.
Esito trasferisci(Sessione &s);

} // namespace passi
