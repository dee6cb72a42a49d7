#pragma once

#include <QString>

// The hexadecimal text of valore rounded to a whole number (halves to even),
// upper case, cut to its last `cifre` digits or padded with leading zeros to
// exactly `cifre` digits: (10, 2) -> "0A", (4660, 2) -> "34".
QString formatta_hex(float valore, int cifre);
