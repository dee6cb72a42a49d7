#include "image/checksums.h"
#include "image/cpu_types.h"
#include "image/firmware_header.h"
#include "programming/commands.h"
#include "programming/firmware_image.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A header whose fields all differ: CPU "s", bootloader 1.2, firmware 2.13,
// board "AB C", stored CRC 0x1A98.
const QByteArray intestazione_completa("\x07sxy\x01\x02\x02\x13zAB C\x1A\x98", 15);

QByteArray intestazione_di(char cpu)
{
    return QByteArray(intestazione_completa).replace(1, 1, QByteArray(1, cpu));
}

QString scrivi(const QTemporaryDir &cartella, const QByteArray &contenuto)
{
    QFile file(cartella.filePath(QStringLiteral("FW.BIN")));
    if (!file.open(QIODevice::WriteOnly) || file.write(contenuto) != contenuto.size())
        qFatal("cannot write the firmware file");
    return file.fileName();
}

} // namespace

class TestImage : public QObject
{
    Q_OBJECT

private slots:
    void crc16_calc_data()
    {
        QTest::addColumn<quint16>("iniziale");
        QTest::addColumn<QByteArray>("byte");
        QTest::addColumn<quint16>("crc16");
        QTest::newRow("abc") << quint16(0xFFFF) << QByteArray("abc") << quint16(0x0EB3);
        QTest::newRow("A") << quint16(0xFFFF) << QByteArray("A") << quint16(0x1D84);
        QTest::newRow("abc from 0") << quint16(0) << QByteArray("abc") << quint16(0x065F);
        QTest::newRow("a page of zeros") << quint16(0xFFFF) << QByteArray(256, '\0') << quint16(0x1A98);
        QTest::newRow("00") << quint16(0xFFFF) << QByteArray(1, '\0') << quint16(0x127B);
        QTest::newRow("FF") << quint16(0xFFFF) << QByteArray(1, '\xFF') << quint16(0x00FF);
        QTest::newRow("empty leaves the register") << quint16(0xFFFF) << QByteArray() << quint16(0xFFFF);
        QTest::newRow("bytes above 0x7F") << quint16(0xFFFF) << QByteArray("\x80\xC3\xFE") << quint16(0x09F5);
    }
    void crc16_calc()
    {
        QFETCH(quint16, iniziale);
        QFETCH(QByteArray, byte);
        RegistroCrc registro{iniziale >> 8, iniziale & 0xFF, 0};
        ::crc16_calc(registro, byte);
        QTEST(quint16(registro.crc16), "crc16");
        QCOMPARE(registro.crc_alto * 256 + registro.crc_basso, registro.crc16);
    }

    void crc16_calc_continues_between_calls()
    {
        RegistroCrc registro{0xFF, 0xFF, 0};
        ::crc16_calc(registro, "ab");
        QCOMPARE(registro.crc16, 0x0EBC);
        ::crc16_calc(registro, "c");
        QCOMPARE(registro.crc16, 0x0EB3);
        QCOMPARE(registro.crc_alto, 0x0E);
        QCOMPARE(registro.crc_basso, 0xB3);
    }

    void check_calc_data()
    {
        QTest::addColumn<QByteArray>("byte");
        QTest::addColumn<int>("somma");
        QTest::newRow("abc") << QByteArray("abc") << 0x26;
        QTest::newRow("128 times FF") << QByteArray(128, '\xFF') << 0x80;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("wraps at 256") << QByteArray("\x80\x80\x01") << 1;
    }
    void check_calc()
    {
        QFETCH(QByteArray, byte);
        QTEST(::check_calc(byte), "somma");
    }

    void cpu_types_data()
    {
        QTest::addColumn<char>("lettera");
        QTest::addColumn<QString>("didascalia"); // empty: unknown
        QTest::addColumn<int>("codice");
        QTest::addColumn<int>("kb");
        QTest::newRow("t") << 't' << "CPU: STM32F0 64K (256B)" << 1 << 64;
        QTest::newRow("s") << 's' << "CPU: STM32F1 128K (256B)" << 2 << 128;
        QTest::newRow("W") << 'W' << "CPU: WGM110 1M (128B)" << 3 << 756;
        QTest::newRow("T") << 'T' << QString() << 0 << 0;
        QTest::newRow("w") << 'w' << QString() << 0 << 0;
        QTest::newRow("0") << '\0' << QString() << 0 << 0;
    }
    void cpu_types()
    {
        QFETCH(char, lettera);
        QFETCH(QString, didascalia);
        QFETCH(int, codice);
        QFETCH(int, kb);
        const TipoCpu *tipo = cerca_tipo_cpu(lettera);
        QCOMPARE(tipo ? QString::fromUtf8(tipo->didascalia) : QString(), didascalia);
        QCOMPARE(tipo ? tipo->codice : 0, codice);
        QCOMPARE(kb_da_cancellare(codice, 7), codice ? kb : 7);
        QCOMPARE(cancellazione_a_blocchi(codice), codice == 1 || codice == 2);
        QCOMPARE(byte_area_cpu(codice), codice ? kb * 1024 : 32767 * 256);
    }

    void header_fields_data()
    {
        QTest::addColumn<int>("lunghezza"); // of the file
        QTest::addColumn<QStringList>("campi");
        QTest::newRow("whole header, an image after it")
            << 20 << QStringList{"s", "Booloader: v.1.2", "Firmware: v.2.13", "AB C", "1A98"};
        QTest::newRow("14 bytes: the low CRC byte is 0")
            << 14 << QStringList{"s", "Booloader: v.1.2", "Firmware: v.2.13", "AB C", "1A00"};
        QTest::newRow("11 bytes: half a board") << 11 << QStringList{"s", "Booloader: v.1.2", "Firmware: v.2.13",
                                                                     "AB", "0"};
        QTest::newRow("5 bytes: only the whole of the version")
            << 5 << QStringList{"s", "Booloader: v.1", "Firmware: v.0.00", "", "0"};
        QTest::newRow("empty") << 0 << QStringList{QString(QChar(0)), "Booloader: v.0", "Firmware: v.0.00", "", "0"};
    }
    void header_fields()
    {
        QFETCH(int, lunghezza);
        const IntestazioneFirmware h = leggi_intestazione((intestazione_completa + "IMAGE").first(lunghezza));
        const QStringList campi{QString(QChar(h.tipo_cpu)), etichetta_bootloader(h.versione_bootloader, QLocale::c()),
                                etichetta_firmware_file(h.fw_maggiore, h.fw_minore), QString::fromLatin1(h.scheda_file),
                                testo_crc(h.crc16())};
        QTEST(campi, "campi");
    }

    void header_texts_data()
    {
        QTest::addColumn<int>("versione");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("bootloader");
        QTest::addColumn<bool>("supportato");
        const QLocale c = QLocale::c();
        QTest::newRow("1.1") << 11 << c << "1.1" << false;
        QTest::newRow("1.2") << 12 << c << "1.2" << true;
        QTest::newRow("1.3") << 13 << c << "1.3" << true;
        QTest::newRow("1.4") << 14 << c << "1.4" << false;
        QTest::newRow("2, no decimals") << 20 << c << "2" << false;
        QTest::newRow("100, no group separator") << 1000 << QLocale(QLocale::English) << "100" << false;
        QTest::newRow("280.5") << 2805 << c << "280.5" << false;
        QTest::newRow("German decimal comma") << 12 << QLocale(QLocale::German) << "1,2" << true;
    }
    void header_texts()
    {
        QFETCH(int, versione);
        QFETCH(QLocale, locale);
        QTEST(testo_versione_bootloader(versione, locale), "bootloader");
        QTEST(bootloader_supportato(versione), "supportato");
    }

    void firmware_version_and_crc_texts()
    {
        QCOMPARE(etichetta_firmware_file(1, 0x05), QStringLiteral("Firmware: v.1.05"));
        QCOMPARE(etichetta_firmware_file(3, 0x1A), QStringLiteral("Firmware: v.3.110"));
        QCOMPARE(etichetta_firmware_file(255, 0xFF), QStringLiteral("Firmware: v.255.1515"));
        QCOMPARE(testo_crc(0x0EB3), QStringLiteral("EB3"));
        QCOMPARE(testo_crc(0x000F), QStringLiteral("F"));
        QCOMPARE(testo_crc(0xFFFF), QStringLiteral("FFFF"));
    }

    void commands_data()
    {
        QTest::addColumn<QByteArray>("comando");
        QTest::addColumn<QByteArray>("atteso");
        const QByteArray dati(128, '\x81');
        QTest::newRow("erase block 1") << comando_cancella_blocco(1) << QByteArray("PGS\x01", 4);
        QTest::newRow("erase all") << comando_cancella_tutto() << QByteArray("PGF\x00", 4);
        QTest::newRow("second half of page 300, t")
            << comando_mezza_pagina(1, 300 * 256 + 128, dati) << QByteArray("PGP\x01\x2C\x80") + dati + '\x80';
        QTest::newRow("first half, W") << comando_mezza_pagina(3, 0x1234500, dati)
                                       << QByteArray("PGp\x23\x45\x00", 6) + dati + '\x80';
        QTest::newRow("unknown type writes as W") << comando_mezza_pagina(0, 256, dati)
                                                  << QByteArray("PGp\x00\x01\x00", 6) + dati + '\x80';
        QTest::newRow("check, 300 pages") << comando_verifica(2, 300, 0x1A, 0x98) << QByteArray("PGX\x01\x2C\x1A\x98");
        QTest::newRow("check, W") << comando_verifica(3, 4, 0, 0xFF) << QByteArray("PGW\x00\x04\x00\xFF", 7);
    }
    void commands()
    {
        QFETCH(QByteArray, comando);
        QTEST(comando, "atteso");
        QCOMPARE(attesa_verifica_ms(3), 20000);
        QCOMPARE(attesa_verifica_ms(2), 5000);
    }

    void image_read_again_data()
    {
        QTest::addColumn<QByteArray>("contenuto"); // empty: no file at all
        QTest::addColumn<QByteArray>("aperta");    // the header when it was opened
        QTest::addColumn<int>("codice_cpu");
        QTest::addColumn<QString>("errore");
        const QString cambiato = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        const QString grande = QStringLiteral("Errore: file firmware troppo grande");
        const QByteArray s = intestazione_di('s');
        QTest::newRow("sound") << s + "IMAGE" << s << 2 << QString();
        QTest::newRow("gone") << QByteArray() << s << 2 << cambiato;
        QTest::newRow("another CPU type") << intestazione_di('W') + "IMAGE" << s << 2 << cambiato;
        QTest::newRow("cut inside the header") << s.first(10) << s << 2 << cambiato;
        QTest::newRow("header only") << s << s << 2 << "Errore: file firmware senza dati";
        QTest::newRow("t: 64 KB fits") << s + QByteArray(65536, 'x') << s << 1 << QString();
        QTest::newRow("t: 64 KB + 1") << s + QByteArray(65537, 'x') << s << 1 << grande;
        QTest::newRow("s: 128 KB + 1") << s + QByteArray(131073, 'x') << s << 2 << grande;
        QTest::newRow("W: 756 KB fits") << s + QByteArray(774144, 'x') << s << 3 << QString();
        QTest::newRow("W: 756 KB + 1") << s + QByteArray(774145, 'x') << s << 3 << grande;
        QTest::newRow("unknown type: past 32767 pages") << s + QByteArray(32767 * 256 + 1, 'x') << s << 0 << grande;
    }
    void image_read_again()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(QByteArray, aperta);
        QFETCH(int, codice_cpu);
        QFETCH(QString, errore);
        QTemporaryDir cartella;
        const QString percorso = contenuto.isEmpty() ? cartella.filePath("NO.BIN") : scrivi(cartella, contenuto);
        const ImmagineFirmware immagine = leggi_immagine(percorso, aperta, codice_cpu);
        QCOMPARE(immagine.errore ? immagine.errore->in(0) : QString(), errore);
        QCOMPARE(immagine.dati, errore.isEmpty() ? contenuto.sliced(15) : QByteArray());
    }

    void an_unreadable_image_is_refused_in_both_languages()
    {
        QTemporaryDir cartella;
        QVERIFY(QDir(cartella.path()).mkdir("FW.BIN"));
        const ImmagineFirmware immagine = leggi_immagine(cartella.filePath("FW.BIN"), {}, 1);
        QCOMPARE(immagine.errore->in(0), QStringLiteral("Errore: file firmware non leggibile"));
        QCOMPARE(immagine.errore->in(1), QStringLiteral("Error: firmware file cannot be read"));
    }
};

QTEST_GUILESS_MAIN(TestImage)
#include "test_image.moc"
