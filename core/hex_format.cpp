#include "core/hex_format.h"

#include <cmath>

namespace {

// Every whole value below this fits a qint64; a float beyond is a multiple
// of 2^33, its low 32 bits all 0.
constexpr double oltre_i_bit_bassi = 0x1p62;

// The low 32 bits of the rounded value, negative values in two's complement
// (as the hexadecimal text of a 32-bit integer). A larger value keeps its last
// eight digits, the only ones a caller ever shows; NaN and the infinities
// count as 0.
quint32 bit_bassi(float valore)
{
    const double intero = std::nearbyint(double(valore)); // halves to even
    if (!(std::fabs(intero) < oltre_i_bit_bassi))
        return 0;
    return quint32(qint64(intero)); // modulo 2^32
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
