#pragma once

#include <QString>

class QCommandLineParser;

// kestra-sim --write-firmware FILE: writes a sample firmware file, says what
// it wrote and exits, without listening.

// --write-firmware and the options only it reads: --cpu, --size, --version
// (--board is the simulator's own).
void aggiungi_opzioni_firmware(QCommandLineParser &parser);

// What is wrong when an option only --write-firmware reads is given without
// it; an empty text when none is.
QString opzioni_firmware_senza_file(const QCommandLineParser &parser);

// Writes the file the options describe: the exit status, 0 when it is written,
// 2 when an option's value is wrong, 1 when the file cannot be written.
int scrivi_firmware(const QCommandLineParser &parser);
