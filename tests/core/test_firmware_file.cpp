#include "core/checksums.h"
#include "core/cpu_types.h"
#include "core/commands.h"
#include "core/firmware_header.h"
#include "core/firmware_file.h"
#include "core/labels.h"
#include "testing/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// A header whose fields all differ: CPU "s", bootloader 1.2, firmware 2.1A,
// board "AB C", stored CRC 0x1A98.
const QByteArray intestazione_s("\x07sxy\x01\x02\x02\x1AzAB C\x1A\x98", 15);

} // namespace

class TestFirmwareFile : public QObject
{
    Q_OBJECT

private slots:
    // The device's CRC16 of known data, from the register's two bytes; the
    // commands past 256 pages; the byte limits of the CPU types; a version's
    // decimal point is the locale's.
    void checksums_commands_and_limits()
    {
        RegistroCrc registro{0xFF, 0xFF, 0};
        ::crc16_calc(registro, "abc");
        QCOMPARE((std::tuple{registro.crc_alto, registro.crc_basso, registro.crc16}), (std::tuple{0x0E, 0xB3, 0x0EB3}));
        registro = {0, 0, 0};
        ::crc16_calc(registro, "abc");
        QCOMPARE(registro.crc16, 0x065F);
        const QByteArray dati(128, '\x81');
        QCOMPARE(comando_mezza_pagina(*cerca_tipo_cpu('t'), 300 * 256 + 128, dati), QByteArray("PGP\x01\x2C\x80") + dati + '\x80');
        QCOMPARE(comando_mezza_pagina(*cerca_tipo_cpu('W'), 0x1234500, dati), QByteArray("PGp\x23\x45\x00", 6) + dati + '\x80');
        QCOMPARE(comando_verifica(*cerca_tipo_cpu('s'), 300, 0x1A, 0x98), QByteArray("PGX\x01\x2C\x1A\x98"));
        QCOMPARE(cerca_tipo_cpu('W')->byte_massimi(), 756 * 1024);
        QCOMPARE(tipo_cpu_sconosciuto().byte_massimi(), 32767 * 256);
        QCOMPARE(testo_versione_bootloader(13, QLocale(QLocale::German)), QStringLiteral("1,3"));
    }

    // The nibbles of the firmware's minor number are shown in decimal, the
    // CRC16 unpadded; bootloaders 1.2 and 1.3 are supported.
    void header_fields_data()
    {
        QTest::addColumn<QByteArray>("intestazione");
        QTest::addColumn<QString>("campi"); // what it shows
        const auto bootloader = [](int intero, int decimi) {
            return QByteArray(intestazione_s).replace(4, 2, QByteArray(1, char(intero)) + char(decimi));
        };
        QTest::newRow("header and image") << intestazione_s + "IMAGE" << "s|Booloader: v.1.2|Firmware: v.2.110|AB C|1A98|yes";
        QTest::newRow("no low CRC byte") << intestazione_s.first(14) << "s|Booloader: v.1.2|Firmware: v.2.110|AB C|1A00|yes";
        QTest::newRow("half a board") << intestazione_s.first(11) << "s|Booloader: v.1.2|Firmware: v.2.110|AB|0|yes";
        QTest::newRow("empty") << QByteArray() << QString(QChar(0)) + "|Booloader: v.0|Firmware: v.0.00||0|no";
        QTest::newRow("bootloader 1.1") << bootloader(1, 1) << "s|Booloader: v.1.1|Firmware: v.2.110|AB C|1A98|no";
        QTest::newRow("bootloader 1.3") << bootloader(1, 3) << "s|Booloader: v.1.3|Firmware: v.2.110|AB C|1A98|yes";
        QTest::newRow("bootloader 1.4") << bootloader(1, 4) << "s|Booloader: v.1.4|Firmware: v.2.110|AB C|1A98|no";
        QTest::newRow("bootloader 2.0 shown as 2") << bootloader(2, 0) << "s|Booloader: v.2|Firmware: v.2.110|AB C|1A98|no";
    }
    void header_fields()
    {
        QFETCH(QByteArray, intestazione);
        const IntestazioneFirmware h = leggi_intestazione(intestazione);
        QTEST((QStringList{QString(QChar(h.tipo_cpu)), etichetta_bootloader(h.versione_bootloader, QLocale::c()),
                           etichetta_firmware_file(h.fw_maggiore, h.fw_minore), QString::fromLatin1(h.scheda_file),
                           testo_crc(h.crc16()), bootloader_supportato(h.versione_bootloader) ? "yes" : "no"})
                  .join(u'|'),
              "campi");
    }

    void image_read_again_data()
    {
        // The file at transfer time (empty: gone), its CPU type, what is refused.
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<int>("codice_cpu");
        QTest::addColumn<QString>("errore");
        const QString cambiato = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        const QString grande = QStringLiteral("Errore: file firmware troppo grande");
        const QByteArray &s = intestazione_s;
        QTest::newRow("unchanged") << s + "IMAGE" << 2 << QString();
        QTest::newRow("gone") << QByteArray() << 2 << cambiato;
        QTest::newRow("another CPU type") << QByteArray(s).replace(1, 1, "W") + "IMAGE" << 2 << cambiato;
        QTest::newRow("header only") << s << 2 << "Errore: file firmware senza dati";
        QTest::newRow("t: 64 KB") << s + QByteArray(65536, 'x') << 1 << QString();
        QTest::newRow("t: a byte over 64 KB") << s + QByteArray(65537, 'x') << 1 << grande;
    }
    void image_read_again()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, errore);
        QTemporaryDir cartella;
        const QString percorso = cartella.filePath("FW.BIN");
        if (!contenuto.isEmpty())
            scrivi_file(percorso, contenuto);
        QFETCH(int, codice_cpu);
        const FileFirmware file
            = leggi_file_firmware(percorso_di(percorso), intestazione_s, tipi_cpu()[codice_cpu - 1].byte_massimi());
        QCOMPARE(file.letto() ? QString() : stato_file_firmware(file.problema).in(0), errore);
        QCOMPARE(file.immagine, errore.isEmpty() ? contenuto.sliced(15) : QByteArray());
    }

    // What a name turns out to be, looked at before anything is opened.
    void what_a_name_is_data()
    {
        QTest::addColumn<QString>("come");
        QTest::addColumn<ProblemaFile>("problema");
        QTest::newRow("no such file") << "missing" << ProblemaFile::Inesistente;
        QTest::newRow("empty") << "empty" << ProblemaFile::Vuoto;
        QTest::newRow("a folder") << "folder" << ProblemaFile::Cartella;
        QTest::newRow("a FIFO, never opened") << "fifo" << ProblemaFile::NonRegolare;
        QTest::newRow("a loop of links") << "loop" << ProblemaFile::Ciclo;
        QTest::newRow("a link to a firmware file") << "link" << ProblemaFile::Nessuno;
    }
    void what_a_name_is()
    {
        QFETCH(QString, come);
        QTemporaryDir cartella;
        const std::filesystem::path radice = percorso_di(cartella.path());
        scrivi_file(cartella.filePath("FW.BIN"), intestazione_s + "IMAGE");
        scrivi_file(cartella.filePath("empty"), {});
        QVERIFY2(QDir(cartella.path()).mkdir("folder"), "the test could not make the folder");
        QCOMPARE(mkfifo(QFile::encodeName(cartella.filePath("fifo")).constData(), 0600), 0);
        std::filesystem::create_symlink("loop", radice / "loop");
        std::filesystem::create_symlink("FW.BIN", radice / "link");

        const FileFirmware file = leggi_intestazione_firmware(radice / come.toStdString());
        QTEST(file.problema, "problema");
        QVERIFY2(file.motivo.isEmpty(), "no words of the system's");
        QCOMPARE(file.intestazione, file.letto() ? intestazione_s : QByteArray());
        QCOMPARE(file.byte_immagine, file.letto() ? 5 : 0);
    }
};

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "test_firmware_file.moc"
