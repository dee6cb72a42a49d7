#pragma once

#include "core/outcome.h"

class Sessione;

namespace passi {

// Opens the link to the typed address. Away from the Access Point the module
// may challenge for its password: it is asked for, sent, and once accepted the
// user may switch the module to Access Point mode.
Esito connetti(Sessione &s);

// Sends the password; warns when nothing answers. The reply is judged by the caller.
Esito invia_password(Sessione &s);

// Switches the module to Access Point mode ("MOP=" 2); it restarts and the link closes.
Esito cambia_modo(Sessione &s);

// Closes the link and offers a new connection only.
void chiudi_socket(Sessione &s);

} // namespace passi
