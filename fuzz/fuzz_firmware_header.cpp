// The header of a ".BIN" file, the CPU letter it names and the labels shown
// from it. The first byte of the file, which the header does not use, picks
// the locale of the bootloader version.

#include "fuzz/fuzz_check.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/labels.h"

#include <QByteArrayView>
#include <QLocale>

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

const QLocale &locale_da(quint8 scelta)
{
    static const QLocale locali[] = {
        QLocale::c(),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::Persian, QLocale::Iran),
    };
    return locali[scelta % std::size(locali)];
}

bool stessa_intestazione(const IntestazioneFirmware &a, const IntestazioneFirmware &b)
{
    return a.tipo_cpu == b.tipo_cpu && a.versione_bootloader == b.versione_bootloader
           && a.fw_maggiore == b.fw_maggiore && a.fw_minore == b.fw_minore && a.scheda_file == b.scheda_file
           && a.crc_alto == b.crc_alto && a.crc_basso == b.crc_basso;
}

bool un_byte(int valore)
{
    return valore >= 0 && valore <= 255;
}

void verifica_campi(const IntestazioneFirmware &intestazione, qsizetype lunghezza_file)
{
    richiedi(intestazione.versione_bootloader >= 0 && intestazione.versione_bootloader <= 2805,
             "bootloader version from two bytes");
    richiedi(un_byte(intestazione.fw_maggiore) && un_byte(intestazione.fw_minore), "firmware version bytes");
    richiedi(un_byte(intestazione.crc_alto) && un_byte(intestazione.crc_basso), "CRC bytes");
    richiedi(intestazione.scheda_file.size() == qBound(qsizetype(0), lunghezza_file - 9, qsizetype(4)),
             "board is the bytes 9..12 that are there");
}

void verifica_cpu(char lettera)
{
    const TipoCpu *tipo = cerca_tipo_cpu(lettera);
    const bool nota = lettera == 't' || lettera == 's' || lettera == 'W';
    richiedi((tipo != nullptr) == nota, "only t, s and W are known CPU letters");
    if (tipo)
        richiedi(tipo->lettera == lettera && tipo->codice >= 1 && tipo->codice <= 3, "CPU row of the letter");
}

void verifica_etichette(const IntestazioneFirmware &intestazione, const QLocale &locale)
{
    const int versione = intestazione.versione_bootloader;
    const QString testo = testo_versione_bootloader(versione, locale);
    richiedi(etichetta_bootloader(versione, locale) == QStringLiteral("Booloader: v.") + testo,
             "bootloader label is its prefix and the version text");
    richiedi(testo.section(locale.decimalPoint(), 0, 0) == QString::number(versione / 10),
             "bootloader version text starts with the whole part");

    const QString firmware = etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore);
    richiedi(firmware.startsWith(QStringLiteral("Firmware: v.%1.").arg(intestazione.fw_maggiore)),
             "firmware label starts with the major version");

    const QString crc = testo_crc(intestazione.crc16());
    bool ok = false;
    richiedi(crc == crc.toUpper() && crc.toInt(&ok, 16) == intestazione.crc16() && ok,
             "CRC text is the upper-case hexadecimal of the CRC");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t dimensione)
{
    const QByteArrayView file(dati, qsizetype(dimensione));
    const IntestazioneFirmware intestazione = leggi_intestazione(file);
    const QByteArrayView testa = file.first(qMin(file.size(), qsizetype(lunghezza_intestazione)));
    richiedi(stessa_intestazione(intestazione, leggi_intestazione(testa)), "only the header bytes make the header");
    verifica_campi(intestazione, file.size());
    verifica_cpu(intestazione.tipo_cpu);
    verifica_etichette(intestazione, locale_da(file.isEmpty() ? 0 : quint8(file[0])));
    return 0;
}
