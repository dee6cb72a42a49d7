#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Commands to the Wi-Fi module. Each is sent as it is, with no terminator.
QByteArray comando_password(const QString &password); // "PAS=" + one Latin-1 byte per character
QByteArray comando_access_point();                     // "MOP=" 0x02
QByteArray comando_reset();                            // "RST!"
QByteArray comando_identificazione();                  // "FWI"

// The device's bootloader answers each programming command ("PGS", "PGF",
// "PGP", "PGp", "PGX", "PGW") with exactly one byte.
bool risponde_con_un_byte(QByteArrayView comando);
