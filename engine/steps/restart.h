#pragma once

#include "core/outcome.h"

class Sessione;

namespace passi {

// Restarts the module ("RST!"); once it has answered, the link closes.
Esito reset(Sessione &s);

} // namespace passi
