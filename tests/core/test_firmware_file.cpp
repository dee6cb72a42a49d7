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

// A header whose fields all differ: CPU "s", bootloader 1.2, firmware 2.1A,
// board "AB C", stored CRC 0x1A98.
const QByteArray intestazione_s("\x07sxy\x01\x02\x02\x1AzAB C\x1A\x98", 15);

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
        const QByteArray &s = intestazione_s;
        QTest::newRow("header and image") << s + "IMAGE" << "s|Booloader: v.1.2|Firmware: v.2.110|AB C|1A98|yes";
        QTest::newRow("no low CRC byte") << s.first(14) << "s|Booloader: v.1.2|Firmware: v.2.110|AB C|1A00|yes";
        QTest::newRow("half a board") << s.first(11) << "s|Booloader: v.1.2|Firmware: v.2.110|AB|0|yes";
        QTest::newRow("bootloader 1.1") << bootloader(1, 1) << "s|Booloader: v.1.1|Firmware: v.2.110|AB C|1A98|no";
        QTest::newRow("bootloader 1.3") << bootloader(1, 3) << "s|Booloader: v.1.3|Firmware: v.2.110|AB C|1A98|yes";
        QTest::newRow("bootloader 1.4") << bootloader(1, 4) << "s|Booloader: v.1.4|Firmware: v.2.110|AB C|1A98|no";
        QTest::newRow("bootloader 2.0: 2") << bootloader(2, 0) << "s|Booloader: v.2|Firmware: v.2.110|AB C|1A98|no";
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

    // What a name turns out to be, looked at before anything is opened; then
    // the image read again at transfer time against the header opened.
    void what_a_name_is_data()
    {
        QTest::addColumn<QString>("come"); // what FW.BIN is
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<ProblemaFile>("problema");
        QTest::addColumn<QString>("errore"); // of the image read again, as a "t" file's (up to 64 KB)
        const QString cambiato = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        const QString illeggibile = stato_file_firmware(ProblemaFile::Illeggibile).in(0);
        const QByteArray &s = intestazione_s;
        QTest::newRow("unchanged") << "file" << s + "IMAGE" << ProblemaFile::Nessuno << QString();
        QTest::newRow("gone") << "missing" << QByteArray() << ProblemaFile::Inesistente << cambiato;
        QTest::newRow("empty") << "file" << QByteArray() << ProblemaFile::Vuoto << cambiato;
        QTest::newRow("a folder") << "folder" << QByteArray() << ProblemaFile::Cartella << illeggibile;
        QTest::newRow("a FIFO, never opened") << "fifo" << QByteArray() << ProblemaFile::NonRegolare << illeggibile;
        QTest::newRow("a loop of links") << "loop" << QByteArray() << ProblemaFile::Ciclo << illeggibile;
        QTest::newRow("a link to a firmware file") << "link" << s + "IMAGE" << ProblemaFile::Nessuno << QString();
        QTest::newRow("another CPU type") << "file" << QByteArray(s).replace(1, 1, "W") + "IMAGE"
                                          << ProblemaFile::Nessuno << cambiato;
        QTest::newRow("header only") << "file" << s << ProblemaFile::Nessuno << "Errore: file firmware senza dati";
        QTest::newRow("t: 64 KB") << "file" << s + QByteArray(65536, 'x') << ProblemaFile::Nessuno << QString();
        QTest::newRow("t: a byte over 64 KB") << "file" << s + QByteArray(65537, 'x') << ProblemaFile::Nessuno
                                              << "Errore: file firmware troppo grande";
    }
    void what_a_name_is()
    {
        QFETCH(QString, come);
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, errore);
        QTemporaryDir cartella;
        const QString nome = cartella.filePath("FW.BIN");
        const std::filesystem::path percorso = percorso_di(nome);
        if (come == "file")
            scrivi_file(nome, contenuto);
        else if (come == "folder")
            QVERIFY2(QDir().mkdir(nome), "the test could not make the folder");
        else if (come == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(nome).constData(), 0600), 0);
        else if (come == "loop")
            std::filesystem::create_symlink("FW.BIN", percorso);
        else if (come == "link")
            std::filesystem::create_symlink(percorso_di(scrivi_file(nome + ".1", contenuto)), percorso);

        const FileFirmware file = leggi_intestazione_firmware(percorso);
        QTEST(file.problema, "problema");
        QVERIFY2(file.motivo.isEmpty(), "no words of the system's");
        QCOMPARE(file.intestazione, contenuto.first(file.letto() ? 15 : 0));
        QCOMPARE(file.byte_immagine, file.letto() ? contenuto.size() - 15 : 0);
        const FileFirmware immagine = leggi_file_firmware(percorso, intestazione_s, 64 * 1024);
        QCOMPARE(immagine.letto() ? QString() : stato_file_firmware(immagine.problema).in(0), errore);
        QCOMPARE(immagine.immagine, errore.isEmpty() ? contenuto.sliced(15) : QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "test_firmware_file.moc"
