#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

struct TipoCpu;

// The commands the program sends. Each is sent as it is, with no terminator.

// To the Wi-Fi module.
QByteArray comando_password(const QString &password); // "PAS=" + one Latin-1 byte per character
QByteArray comando_access_point();                     // "MOP=" 0x02
QByteArray comando_reset();                            // "RST!"
QByteArray comando_identificazione();                  // "FWI"

// What a whole reply to a command is: so many bytes (at least so many, for
// the module's own commands, whose replies differ in length), or a shorter
// reply that is whole as it is. The device's bootloader answers each
// programming command ("PGS", "PGF", "PGP", "PGp", "PGX", "PGW") with exactly
// one byte; "FWI" gets 20 bytes, or exactly "FWI=???"; "PAS=", "MOP=" and
// "RST!" get at least 4 bytes.
struct FormaRisposta
{
    qsizetype byte = 0;              // 0: the command gets no reply
    const char *intera_se = nullptr; // a shorter reply that is whole as it is
};
FormaRisposta forma_risposta(QByteArrayView comando);

// The bytes received make a whole reply of that shape.
bool risposta_intera(const FormaRisposta &forma, QByteArrayView ricevuti);

// The image goes in pages of 256 bytes, each sent as two halves.
inline constexpr int dimensione_pagina = 256;
inline constexpr int dimensione_mezza_pagina = 128;
// The page counters of the protocol are 16-bit: at most 32,767 pages.
inline constexpr int pagine_massime = 32767;

// The erase of the type's area: "PGS" + block index for each 64 KB block,
// or one "PGF" 0x00 for the whole area.
QList<QByteArray> comandi_cancellazione(const TipoCpu &tipo);

// "PGP"/"PGp", the three bytes of the half page's offset in the image, the
// 128 data bytes and their 8-bit sum.
QByteArray comando_mezza_pagina(const TipoCpu &tipo, quint32 offset, QByteArrayView dati);

// "PGX"/"PGW", the page count high and low, the CRC16 high and low.
QByteArray comando_verifica(const TipoCpu &tipo, int pagine_inviate, int crc_alto, int crc_basso);
