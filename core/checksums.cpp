#include "core/checksums.h"

namespace {

constexpr quint16 costante_crc = 0x1021;

quint16 avanza_byte(quint16 registro, quint8 byte)
{
    registro ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
        const bool riporto = registro & 1;
        registro >>= 1;
        if (riporto)
            registro ^= costante_crc;
    }
    return registro;
}

} // namespace

void crc16_calc(RegistroCrc &registro, QByteArrayView buf)
{
    quint16 valore = quint16((registro.crc_alto & 0xFF) << 8 | (registro.crc_basso & 0xFF));
    for (const char c : buf)
        valore = avanza_byte(valore, quint8(c));
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
