#pragma once

#include <QString>

class Rapporto;

// Checks a firmware file as the engine would before sending anything: its
// header, CPU type and bootloader version, then whether its image has data
// and fits its CPU. The header and every refusal go to `rapporto`, in the
// window's words.
void controlla_firmware(const QString &percorso, Rapporto &rapporto);
