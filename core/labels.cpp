#include "core/labels.h"

#include "core/firmware_header.h"
#include "core/hex_format.h"
#include "core/identity.h"

namespace {
const QString prefisso_firmware = QStringLiteral("Firmware: v.");
} // namespace

// Built from the whole part and the tenths of the header value (0..2805)
// rather than from a double, so that only the decimal separator comes from the
// locale: no group separators, no exponent and no locale digits.
QString testo_versione_bootloader(int versione_bootloader, const QLocale &locale)
{
    QString testo = QString::number(versione_bootloader / 10);
    if (versione_bootloader % 10 != 0)
        testo += locale.decimalPoint() + QString::number(versione_bootloader % 10);
    return testo;
}

QString etichetta_bootloader(int versione_bootloader, const QLocale &locale)
{
    return QStringLiteral("Booloader: v.") + testo_versione_bootloader(versione_bootloader, locale);
}

QString etichetta_firmware_file(int fw_maggiore, int fw_minore)
{
    return prefisso_firmware
           + QStringLiteral("%1.%2%3").arg(fw_maggiore).arg((fw_minore >> 4) & 0xF).arg(fw_minore & 0xF);
}

QString testo_crc(qint32 crc16)
{
    return QString::number(crc16, 16).toUpper();
}

QString etichetta_firmware_dispositivo(const IdentitaDispositivo &identita)
{
    return prefisso_firmware + QString::number(identita.maggiore) + u'.' + formatta_hex(float(identita.minore), 2);
}

QString testo_data(const IdentitaDispositivo &identita)
{
    const auto due_cifre = [](int valore) { return QStringLiteral("%1").arg(valore, 2, 10, QChar(u'0')); };
    return due_cifre(identita.giorno) + u'.' + due_cifre(identita.mese) + u'.' + due_cifre(identita.anno);
}

QString versione_file(const IntestazioneFirmware &intestazione)
{
    return etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore).mid(prefisso_firmware.size());
}

QString versione_dispositivo(const IdentitaDispositivo &identita)
{
    return etichetta_firmware_dispositivo(identita).mid(prefisso_firmware.size());
}
