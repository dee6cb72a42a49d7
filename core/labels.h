#pragma once

#include <QLocale>
#include <QString>

struct IdentitaDispositivo;
struct IntestazioneFirmware;

// The texts that show the values of the firmware file and of the device.

// The bootloader version divided by ten, with the decimals it needs and the
// locale's decimal separator: 12 -> "1.2", 20 -> "2".
QString testo_versione_bootloader(int versione_bootloader, const QLocale &locale = QLocale());

// Label4: "Booloader: v." followed by the version.
QString etichetta_bootloader(int versione_bootloader, const QLocale &locale = QLocale());

// Label5: "Firmware: v." major "." high nibble low nibble (2, 0x13 -> "Firmware: v.2.13").
QString etichetta_firmware_file(int fw_maggiore, int fw_minore);

// A CRC16 in upper-case hexadecimal without leading zeros (0x0EB3 -> "EB3").
QString testo_crc(qint32 crc16);

// Label11: "Firmware: v." major "." minor as two hex digits.
QString etichetta_firmware_dispositivo(const IdentitaDispositivo &identita);

// The date as "dd.mm.yy", each part at least two digits.
QString testo_data(const IdentitaDispositivo &identita);

// The firmware versions as a record and a comparison take them, without the
// label's prefix: "2.13".
QString versione_file(const IntestazioneFirmware &intestazione);
QString versione_dispositivo(const IdentitaDispositivo &identita);
