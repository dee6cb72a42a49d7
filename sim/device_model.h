#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>

#include <optional>

// The device behind the module as its bootloader sees it: the flash, the
// checks of what is written to it and the identity it reports. No network:
// the simulator's server feeds it whole commands. Its CRC16 and sums are its
// own code, apart from the updater's, so that a fault in the updater's
// checksums shows as a refusal here.

inline constexpr int pagina_dispositivo = 256;
inline constexpr int mezza_pagina_dispositivo = 128;
inline constexpr quint16 crc16_iniziale = 0xFFFF;

// The bootloader's CRC16 of `byte` from `registro`: each byte is XORed into
// the register, which then shifts right eight times, taking 0x1021 after
// each shift that lets out a 1. No final XOR.
quint16 crc16_dispositivo(QByteArrayView byte, quint16 registro = crc16_iniziale);

// The CRC16 of `immagine` in whole pages, the last filled up with 0xFF, from
// 0xFFFF: what a firmware file's header gives and the verification checks.
quint16 crc16_pagine(QByteArrayView immagine);

// The 8-bit sum a half page carries: its bytes added modulo 256.
quint8 somma_dispositivo(QByteArrayView byte);

// What the device reports to "FWI" (bytes 5..20 of the reply).
struct IdentitaSimulata
{
    bool info_non_disponibile = false; // reply exactly "FWI=???" instead
    quint8 fw_maggiore = 2;
    quint8 fw_minore = 0x15;
    QByteArray scheda = "KR01";        // 4 bytes, padded with blanks or cut
    QByteArray nome_file = "KESTRA01"; // 8 bytes, padded with blanks or cut
    quint8 data_alta = 36;             // 05.03.18
    quint8 data_bassa = 101;
};

// "FWI=" and the 16 bytes of the identity, or "FWI=???".
QByteArray risposta_identita(const IdentitaSimulata &identita);

// The flash and the programming commands. Each method takes a whole command
// as the module passes it on and returns the device's one-byte reply.
class ModelloDispositivo
{
public:
    // "PGS" or "PGF": the flash is erased. "A".
    QByteArray cancella();
    // "PGP"/"PGp", three offset bytes, 128 data bytes and their sum: "A" when
    // the sum is right and the half page is written, "C" when it is not and
    // nothing is.
    QByteArray scrivi_mezza_pagina(QByteArrayView comando);
    // "PGX"/"PGW", the page count and the CRC16 (high bytes first): "A" when
    // the CRC16 of that many pages of the flash, 0xFF where nothing was
    // written, is the one given, "E" when it is not.
    QByteArray verifica(QByteArrayView comando);

    // Every byte up to the end of the last page written since the erase,
    // 0xFF where nothing came.
    const QByteArray &flash() const { return m_flash; }
    // The pages the last verification covered, when it passed; nothing after
    // one that failed or after an erase.
    const std::optional<QByteArray> &immagine_verificata() const { return m_verificata; }
    // Half pages received since the erase for an offset already received.
    int mezze_pagine_ripetute() const { return m_ripetute; }

private:
    QByteArray m_flash;
    std::optional<QByteArray> m_verificata;
    QSet<qsizetype> m_offset_ricevuti; // of the half pages since the erase
    int m_ripetute = 0;
};
