#pragma once

#include <QString>

class Sessione;

// Takes the firmware file chosen by its full path: its name and folder become
// the file of the update, then aprifile reads it.
void apri_firmware(Sessione &s, const QString &percorso);

// Reads the header of the chosen file, shows it and checks its CPU type and
// the bootloader version it needs; a file that passes can be identified.
void aprifile(Sessione &s);
