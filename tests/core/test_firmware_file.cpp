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
    void crc16_calc_data()
    {
        QTest::addColumn<int>("iniziale");
        QTest::addColumn<QByteArray>("byte");
        QTest::addColumn<int>("crc16");
        QTest::newRow("abc") << 0xFFFF << QByteArray("abc") << 0x0EB3;
        QTest::newRow("abc from 0") << 0 << QByteArray("abc") << 0x065F;
        QTest::newRow("no bytes: unchanged") << 0xFFFF << QByteArray() << 0xFFFF;
    }
    void crc16_calc()
    {
        QFETCH(int, iniziale);
        QFETCH(QByteArray, byte);
        RegistroCrc registro{iniziale >> 8, iniziale & 0xFF, 0};
        ::crc16_calc(registro, byte);
        QTEST(registro.crc16, "crc16");
        QCOMPARE(registro.crc_alto * 256 + registro.crc_basso, registro.crc16);
    }

    void cpu_types_data()
    {
        QTest::addColumn<char>("lettera");
        QTest::addColumn<QByteArray>("didascalia"); // null: no row
        QTest::addColumn<int>("codice");
        QTest::addColumn<int>("kb");
        QTest::newRow("t: STM32F0") << 't' << QByteArray("CPU: STM32F0 64K (256B)") << 1 << 64;
        QTest::newRow("s: STM32F1") << 's' << QByteArray("CPU: STM32F1 128K (256B)") << 2 << 128;
        QTest::newRow("W: WGM110") << 'W' << QByteArray("CPU: WGM110 1M (128B)") << 3 << 756;
        QTest::newRow("T: the case counts") << 'T' << QByteArray() << 0 << 0;
    }
    void cpu_types()
    {
        QFETCH(char, lettera);
        QFETCH(QByteArray, didascalia);
        QFETCH(int, codice);
        QFETCH(int, kb);
        const TipoCpu *tipo = cerca_tipo_cpu(lettera);
        QCOMPARE(tipo ? tipo->didascalia : nullptr, didascalia.isNull() ? nullptr : didascalia.constData());
        const TipoCpu &riga = tipo ? *tipo : tipo_cpu_sconosciuto();
        QCOMPARE(riga.codice, codice);
        QCOMPARE(riga.kb_area, kb);
        QCOMPARE(riga.cancellazione_a_blocchi, codice == 1 || codice == 2);
        QCOMPARE(riga.byte_massimi(), codice ? kb * 1024 : 32767 * 256);
    }

    // The nibbles of the firmware's minor number are shown in decimal, the CRC16 unpadded.
    void header_fields_data()
    {
        QTest::addColumn<int>("lunghezza"); // of the file
        QTest::addColumn<QStringList>("campi"); // what its header shows
        const QString v12 = QStringLiteral("Booloader: v.1.2"), v2110 = QStringLiteral("Firmware: v.2.110");
        QTest::newRow("header and image") << 20 << QStringList{"s", v12, v2110, "AB C", "1A98"};
        QTest::newRow("no low CRC byte") << 14 << QStringList{"s", v12, v2110, "AB C", "1A00"};
        QTest::newRow("half a board") << 11 << QStringList{"s", v12, v2110, "AB", "0"};
        QTest::newRow("empty") << 0 << QStringList{QString(QChar(0)), "Booloader: v.0", "Firmware: v.0.00", "", "0"};
    }
    void header_fields()
    {
        QFETCH(int, lunghezza);
        const IntestazioneFirmware h = leggi_intestazione((intestazione_s + "IMAGE").first(lunghezza));
        QTEST((QStringList{QString(QChar(h.tipo_cpu)), etichetta_bootloader(h.versione_bootloader, QLocale::c()),
                           etichetta_firmware_file(h.fw_maggiore, h.fw_minore), QString::fromLatin1(h.scheda_file),
                           testo_crc(h.crc16())}),
              "campi");
    }

    void header_texts_data()
    {
        QTest::addColumn<int>("versione");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("supportato");
        const QLocale c = QLocale::c();
        QTest::newRow("1.1") << 11 << c << "1.1" << false;
        QTest::newRow("1.2") << 12 << c << "1.2" << true;
        QTest::newRow("1.4") << 14 << c << "1.4" << false;
        QTest::newRow("2.0 shown as 2") << 20 << c << "2" << false;
        QTest::newRow("1.3 in German") << 13 << QLocale(QLocale::German) << "1,3" << true;
    }
    void header_texts()
    {
        QFETCH(int, versione);
        QFETCH(QLocale, locale);
        QTEST(testo_versione_bootloader(versione, locale), "testo");
        QTEST(bootloader_supportato(versione), "supportato");
    }

    void commands_past_256_pages()
    {
        const QByteArray dati(128, '\x81');
        QCOMPARE(comando_mezza_pagina(*cerca_tipo_cpu('t'), 300 * 256 + 128, dati), QByteArray("PGP\x01\x2C\x80") + dati + '\x80');
        QCOMPARE(comando_mezza_pagina(*cerca_tipo_cpu('W'), 0x1234500, dati), QByteArray("PGp\x23\x45\x00", 6) + dati + '\x80');
        QCOMPARE(comando_verifica(*cerca_tipo_cpu('s'), 300, 0x1A, 0x98), QByteArray("PGX\x01\x2C\x1A\x98"));
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
