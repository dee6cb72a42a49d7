#include "core/hex_format.h"

#include <cmath>

namespace {

constexpr double modulo_32_bit = 4294967296.0;

// The low 32 bits of the rounded value, negative values in two's complement
// (as the hexadecimal text of a 32-bit integer). A larger value keeps its last
// eight digits, the only ones a caller ever shows; NaN and the infinities
// count as 0.
quint32 bit_bassi(float valore)
{
    const double intero = std::nearbyint(double(valore)); // halves to even
    if (!std::isfinite(intero))
        return 0;
    double resto = std::fmod(intero, modulo_32_bit);
    if (resto < 0)
        resto += modulo_32_bit;
    return quint32(resto);
}

} // namespace

QString formatta_hex(float valore, int cifre)
{
    if (cifre <= 0)
        return {};
    const QString testo = QString::number(bit_bassi(valore), 16).toUpper();
    if (testo.size() > cifre)
        return testo.right(cifre);
    return testo.rightJustified(cifre, u'0');
}
