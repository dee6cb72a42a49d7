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

// To the device's bootloader, which answers each of these ("PGS", "PGF",
// "PGP", "PGp", "PGX", "PGW") with exactly one byte.
bool risponde_con_un_byte(QByteArrayView comando);

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
