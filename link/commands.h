#pragma once

#include <QByteArray>
#include <QString>

// Commands to the Wi-Fi module. Each is sent as it is, with no terminator.
QByteArray comando_password(const QString &password); // "PAS=" + one Latin-1 byte per character
QByteArray comando_access_point();                     // "MOP=" 0x02
QByteArray comando_reset();                            // "RST!"
QByteArray comando_identificazione();                  // "FWI"
