#pragma once

#include "core/outcome.h"

#include <filesystem>

class Sessione;

namespace passi {

// Takes the firmware file chosen by its full path: reads its header (unless
// the check just did), shows it and checks its CPU type and the bootloader
// version it needs; a file that passes can be identified.
Esito aprifile(Sessione &s, const std::filesystem::path &percorso);

// The checks of opening the file, then those the transfer makes of its image
// (it has data and fits its CPU's area), without the link: the file becomes
// the update's, and opening it later reads it no more. Then whether the
// image has the CRC16 its header gives.
Esito controlla_firmware(Sessione &s, const std::filesystem::path &percorso);

} // namespace passi
