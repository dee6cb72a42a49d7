#pragma once

#include "core/outcome.h"

#include <filesystem>

class Sessione;

// Takes the firmware file chosen by its full path: its name and folder become
// the file of the update, then aprifile reads it.
Esito apri_firmware(Sessione &s, const std::filesystem::path &percorso);

// Reads the header of the chosen file, shows it and checks its CPU type and
// the bootloader version it needs; a file that passes can be identified.
Esito aprifile(Sessione &s);

// The checks of aprifile, and then those the transfer makes of the image
// (it has data and fits its CPU's area), on a file that is not opened: the
// session's state is left as it was.
Esito controlla_firmware(Sessione &s, const std::filesystem::path &percorso);
