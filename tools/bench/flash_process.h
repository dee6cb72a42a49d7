#pragma once

#include "tools/bench/resource_usage.h"

// kestra-flash, the one beside this program, run as a process that updates
// the device of the simulator at 127.0.0.1:`porta` with `file` (--yes
// --json). Its clock runs from its "identity" event to its "verified" event,
// as the lines reach this process: the erase question answered by --yes, the
// erase, every half page and the verification, what the window's figure
// times between its two clicks. No CPU time is measured.
Misura misura_flash(quint16 porta, const QString &file);
