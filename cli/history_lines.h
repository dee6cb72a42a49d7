#pragma once

#include "core/attempt.h"

#include <QString>

// An attempt of the update history on one line, for a terminal:
// "2026-12-07 10:41:03  cli  FW.BIN s 2.13 KR01  device 2.15 KR01  completed  exit 0  5.2 s  3 resends".
QString riga_storico(const Tentativo &tentativo);
