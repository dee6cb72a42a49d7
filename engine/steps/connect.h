#pragma once

#include <QtGlobal>

class Sessione;

// The module's address in Access Point mode and its TCP port.
inline constexpr const char *indirizzo_access_point_predefinito = "192.168.1.1";
inline constexpr quint16 porta_modulo = 7999;
// The password the prompt offers before anything is typed.
inline constexpr const char *password_predefinita = "40718253";

// Opens the link to the typed address. Away from the Access Point the module
// may challenge for its password: it is asked for, sent, and once accepted the
// user may switch the module to Access Point mode.
void connetti(Sessione &s);

// Sends the password; warns when nothing answers. The reply is judged by the caller.
void invia_password(Sessione &s);

// Switches the module to Access Point mode ("MOP=" 2); it restarts and the link closes.
void cambia_modo(Sessione &s);

// Restarts the module ("RST!"); the link closes.
void reset(Sessione &s);

// Closes the link and offers a new connection only.
void chiudi_socket(Sessione &s);
