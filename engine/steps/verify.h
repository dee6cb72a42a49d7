#pragma once

#include "core/outcome.h"

class Sessione;

namespace passi {

// After the user confirms, has the device check the CRC16 of the pages of the
// last transfer ("PGX", "PGW" for the WGM110) and start programming.
Esito aggiorna(Sessione &s);

} // namespace passi
