#pragma once

class Sessione;

// Asks the device who it is ("FWI") and shows it; a silent module away from
// its Access Point may be reset.
void identifica(Sessione &s);
