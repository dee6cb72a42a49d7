#include "sim/write_firmware.h"

#include "sim/sample_firmware.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

namespace {

// Reads an option's value into `firmware`; returns what is wrong, or an empty text.
using Lettore = QString (*)(const QString &valore, FirmwareCampione &firmware);

QString leggi_cpu(const QString &valore, FirmwareCampione &firmware)
{
    const CpuFirmware *cpu = valore.size() == 1 ? cerca_cpu_firmware(valore.at(0).toLatin1()) : nullptr;
    if (!cpu)
        return QStringLiteral("--cpu must be t, s or W");
    firmware.cpu = cpu->lettera;
    return {};
}

QString leggi_dimensione(const QString &valore, FirmwareCampione &firmware)
{
    const CpuFirmware &cpu = *cerca_cpu_firmware(firmware.cpu);
    const qint64 massimo = qint64(cpu.kb_area) * 1024;
    bool ok = false;
    firmware.dimensione = valore.toLongLong(&ok);
    if (!ok || firmware.dimensione < 1 || firmware.dimensione > massimo)
        return QStringLiteral("--size must be a number of bytes from 1 to %1, the %2 KB area of CPU %3")
            .arg(massimo)
            .arg(cpu.kb_area)
            .arg(QLatin1Char(cpu.lettera));
    return {};
}

QString leggi_scheda(const QString &valore, FirmwareCampione &firmware)
{
    QByteArray scheda = valore.toLatin1();
    if (valore.size() > lunghezza_scheda_firmware || QString::fromLatin1(scheda) != valore)
        return QStringLiteral("--board must be at most 4 characters, each of Latin-1");
    scheda.resize(lunghezza_scheda_firmware, ' ');
    firmware.scheda = scheda;
    return {};
}

// MAJOR.MINOR: the major from 0 to 255, the minor two decimal digits written as BCD.
QString leggi_versione(const QString &valore, FirmwareCampione &firmware)
{
    static const QRegularExpression forma(QStringLiteral("^([0-9]{1,3})\\.([0-9])([0-9])$"));
    const QRegularExpressionMatch parti = forma.match(valore);
    const int maggiore = parti.hasMatch() ? parti.captured(1).toInt() : -1;
    if (maggiore < 0 || maggiore > 255)
        return QStringLiteral("--version must be MAJOR.MINOR, the major from 0 to 255 and the minor two "
                              "decimal digits, as 3.05");
    firmware.maggiore = quint8(maggiore);
    firmware.minore = quint8(parti.captured(2).toInt() << 4 | parti.captured(3).toInt());
    return {};
}

struct OpzioneFirmware
{
    const char *nome;
    Lettore leggi;
    bool propria; // read only with --write-firmware
};

// In this order: the size's limit is the CPU's.
constexpr OpzioneFirmware opzioni_firmware[] = {
    {"cpu", leggi_cpu, true},
    {"size", leggi_dimensione, true},
    {"board", leggi_scheda, false},
    {"version", leggi_versione, true},
};

QString leggi_firmware(const QCommandLineParser &parser, FirmwareCampione &firmware)
{
    for (const OpzioneFirmware &opzione : opzioni_firmware) {
        if (!parser.isSet(opzione.nome))
            continue;
        const QString errore = opzione.leggi(parser.value(opzione.nome), firmware);
        if (!errore.isEmpty())
            return errore;
    }
    return {};
}

QString salva(const QString &percorso, const QByteArray &byte)
{
    QSaveFile file(percorso);
    if (file.open(QIODevice::WriteOnly) && file.write(byte) == byte.size() && file.commit())
        return {};
    return QStringLiteral("cannot write %1: %2").arg(percorso, file.errorString());
}

QString esadecimale(int numero, int cifre)
{
    return QString::number(numero, 16).rightJustified(cifre, QLatin1Char('0')).toUpper();
}

QString descrivi(const QString &percorso, const FirmwareCampione &firmware, const QByteArray &file)
{
    const CpuFirmware &cpu = *cerca_cpu_firmware(firmware.cpu);
    const QByteArray immagine = file.sliced(lunghezza_intestazione_firmware);
    return QStringLiteral("wrote %1: CPU %2 (%3, %4 KB), %5 bytes of image, board \"%6\", version %7.%8, CRC16 0x%9")
        .arg(percorso, QString(QLatin1Char(cpu.lettera)), QLatin1String(cpu.nome), QString::number(cpu.kb_area),
             QString::number(immagine.size()), QString::fromLatin1(firmware.scheda),
             QString::number(firmware.maggiore), esadecimale(firmware.minore, 2),
             esadecimale(crc16_pagine(immagine), 4));
}

} // namespace

void aggiungi_opzioni_firmware(QCommandLineParser &parser)
{
    parser.addOptions({
        {"write-firmware", "Write a sample firmware file, its header's CRC16 the image's, and exit (see above).",
         "file"},
        {"cpu", "With --write-firmware: the CPU letter, t (STM32F0), s (STM32F1, default) or W (WGM110).", "letter"},
        {"size", "With --write-firmware: the image's bytes, from 1 to the CPU's area (default 5000).", "bytes"},
        {"version", "With --write-firmware: the firmware version, MAJOR.MINOR with a two-digit minor "
                    "(default 3.05).", "version"},
    });
}

QString opzioni_firmware_senza_file(const QCommandLineParser &parser)
{
    for (const OpzioneFirmware &opzione : opzioni_firmware) {
        if (opzione.propria && parser.isSet(opzione.nome))
            return QStringLiteral("--%1 goes only with --write-firmware").arg(QLatin1String(opzione.nome));
    }
    return {};
}

int scrivi_firmware(const QCommandLineParser &parser)
{
    FirmwareCampione firmware;
    const QString errore = leggi_firmware(parser, firmware);
    if (!errore.isEmpty()) {
        QTextStream(stderr) << "kestra-sim: " << errore << Qt::endl;
        return 2;
    }
    const QString percorso = parser.value("write-firmware");
    const QByteArray file = file_firmware(firmware);
    const QString errore_file = salva(percorso, file);
    if (!errore_file.isEmpty()) {
        QTextStream(stderr) << "kestra-sim: " << errore_file << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << descrivi(percorso, firmware, file) << Qt::endl;
    return 0;
}
