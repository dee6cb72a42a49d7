#pragma once

#include "sim/module_simulator.h"

#include <QString>

#include <optional>

// Reads a fault written as HEAD[#N]:KIND[:ARG], e.g. "PGP#3:reply:C",
// "FWI:none", "PGX:delay:800", "FWI:cut:6,700". KIND is one of none, reply,
// delay, stall, split, cut, drop-before, drop-after, flood; ARG is the reply
// for reply (C escapes such as \x41, \n, \0, \\ allowed), milliseconds for
// delay, stall and split (0 when left out), and BYTES,MS for cut (both
// needed). On a mistake `errore` tells what is wrong.
std::optional<Guasto> leggi_guasto(const QByteArray &testo, QString &errore);

// The bytes written with C escapes in `testo`; nothing when an escape is malformed.
std::optional<QByteArray> leggi_sequenze(QByteArrayView testo);
