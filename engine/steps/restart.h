#pragma once

#include "core/outcome.h"

class Sessione;

// Restarts the module ("RST!"); once it has answered, the link closes.
Esito reset(Sessione &s);
