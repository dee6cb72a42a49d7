#include "core/checksums.h"

#include <array>

namespace {

constexpr quint16 costante_crc = 0x1021;

// The eight steps of a byte: the register shifted right, the constant applied
// after each shift that lets out a 1.
constexpr quint16 otto_passi(quint16 registro)
{
    for (int bit = 0; bit < 8; ++bit) {
        const bool riporto = registro & 1;
        registro >>= 1;
        if (riporto)
            registro ^= costante_crc;
    }
    return registro;
}

// The steps are linear and the high byte lets out no bit in eight of them, so
// a byte's steps are the high byte shifted down and the low byte's steps,
// taken from a table.
constexpr std::array<quint16, 256> passi_del_byte = [] {
    std::array<quint16, 256> tabella{};
    for (int byte = 0; byte < 256; ++byte)
        tabella[byte] = otto_passi(quint16(byte));
    return tabella;
}();

} // namespace

void crc16_calc(RegistroCrc &registro, QByteArrayView buf)
{
    quint16 valore = quint16((registro.crc_alto & 0xFF) << 8 | (registro.crc_basso & 0xFF));
    for (const char c : buf)
        valore = quint16(valore >> 8) ^ passi_del_byte[(valore ^ quint8(c)) & 0xFF];
    registro.crc_alto = valore >> 8;
    registro.crc_basso = valore & 0xFF;
    registro.crc16 = valore;
}

int check_calc(QByteArrayView buf)
{
    quint8 somma = 0;
    for (const char c : buf)
        somma += quint8(c);
    return somma;
}
