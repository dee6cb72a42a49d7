#include "core/firmware_header.h"

namespace {

// Offsets from the first byte of the file.
enum Posizione : qsizetype {
    pos_tipo_cpu = 1,
    pos_bootloader_intero = 4,
    pos_bootloader_decimi = 5,
    pos_fw_maggiore = 6,
    pos_fw_minore = 7,
    pos_scheda = 9,
    pos_crc_alto = 13,
    pos_crc_basso = 14,
};

constexpr qsizetype lunghezza_scheda = 4;

int byte_a(QByteArrayView dati, qsizetype posizione)
{
    return posizione < dati.size() ? quint8(dati[posizione]) : 0;
}

} // namespace

IntestazioneFirmware leggi_intestazione(QByteArrayView primi_byte)
{
    IntestazioneFirmware intestazione;
    intestazione.tipo_cpu = char(byte_a(primi_byte, pos_tipo_cpu));
    intestazione.versione_bootloader =
        10 * byte_a(primi_byte, pos_bootloader_intero) + byte_a(primi_byte, pos_bootloader_decimi);
    intestazione.fw_maggiore = byte_a(primi_byte, pos_fw_maggiore);
    intestazione.fw_minore = byte_a(primi_byte, pos_fw_minore);
    intestazione.scheda_file = primi_byte.toByteArray().mid(pos_scheda, lunghezza_scheda);
    intestazione.crc_alto = byte_a(primi_byte, pos_crc_alto);
    intestazione.crc_basso = byte_a(primi_byte, pos_crc_basso);
    return intestazione;
}

bool bootloader_supportato(int versione_bootloader)
{
    return versione_bootloader == 12 || versione_bootloader == 13;
}

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
    return QStringLiteral("Firmware: v.%1.%2%3")
        .arg(fw_maggiore)
        .arg((fw_minore >> 4) & 0xF)
        .arg(fw_minore & 0xF);
}

QString testo_crc(qint32 crc16)
{
    return QString::number(crc16, 16).toUpper();
}
