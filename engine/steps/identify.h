#pragma once

#include "core/outcome.h"

class Sessione;

namespace passi {

// Asks the device who it is ("FWI") and shows it; a silent module away from
// its Access Point may be reset.
Esito identifica(Sessione &s);

} // namespace passi
