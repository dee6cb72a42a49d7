#include "image/checksums.h"
#include "image/cpu_types.h"
#include "image/firmware_header.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {

RegistroCrc registro_da(quint16 valore)
{
    return RegistroCrc{valore >> 8, valore & 0xFF, 0};
}

QByteArray casuali(int lunghezza, quint32 seme)
{
    QRandomGenerator generatore(seme);
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (char &c : dati)
        c = char(generatore.bounded(256));
    return dati;
}

// A header whose every field holds a distinct value: CPU "s", bootloader 1.2,
// firmware 2.13, board "AB C", stored CRC 0x1A98.
QByteArray intestazione_completa()
{
    return QByteArray("\x07sxy\x01\x02\x02\x13zAB C\x1A\x98", 15);
}

} // namespace

class TestImage : public QObject
{
    Q_OBJECT

private slots:
    void crc16_valori_di_controllo_data();
    void crc16_valori_di_controllo();
    void crc16_continua_tra_chiamate_data();
    void crc16_continua_tra_chiamate();
    void crc16_vuoto_aggiorna_solo_crc16();
    void crc16_resta_sotto_0x2000();
    void check_calc_somma_a_8_bit_data();
    void check_calc_somma_a_8_bit();

    void tipo_cpu_data();
    void tipo_cpu();

    void intestazione_campi();
    void intestazione_corta_data();
    void intestazione_corta();
    void bootloader_supportato_data();
    void bootloader_supportato();
    void testo_bootloader_data();
    void testo_bootloader();
    void testo_bootloader_mai_separatori_ne_esponente_data();
    void testo_bootloader_mai_separatori_ne_esponente();
    void etichetta_firmware_data();
    void etichetta_firmware();
    void testo_crc_data();
    void testo_crc();
};

void TestImage::crc16_valori_di_controllo_data()
{
    QTest::addColumn<int>("iniziale");
    QTest::addColumn<QByteArray>("dati");
    QTest::addColumn<int>("atteso");

    QTest::newRow("abc da FFFF") << 0xFFFF << QByteArray("abc") << 0x0EB3;
    QTest::newRow("abc da 0") << 0x0000 << QByteArray("abc") << 0x065F;
    QTest::newRow("256 zeri") << 0xFFFF << QByteArray(256, '\0') << 0x1A98;
    QTest::newRow("A") << 0xFFFF << QByteArray("A") << 0x1D84;
    QTest::newRow("00") << 0xFFFF << QByteArray(1, '\0') << 0x127B;
    QTest::newRow("FF") << 0xFFFF << QByteArray(1, '\xFF') << 0x00FF;
    QTest::newRow("ab") << 0xFFFF << QByteArray("ab") << 0x0EBC;
    QTest::newRow("vuoto da FFFF") << 0xFFFF << QByteArray() << 0xFFFF;
}

void TestImage::crc16_valori_di_controllo()
{
    QFETCH(int, iniziale);
    QFETCH(QByteArray, dati);
    QFETCH(int, atteso);

    RegistroCrc registro = registro_da(quint16(iniziale));
    crc16_calc(registro, dati);
    QCOMPARE(registro.crc16, atteso);
    QCOMPARE(registro.crc_alto, atteso >> 8);
    QCOMPARE(registro.crc_basso, atteso & 0xFF);
}

void TestImage::crc16_continua_tra_chiamate_data()
{
    QTest::addColumn<QByteArray>("dati");
    QTest::addColumn<int>("taglio");

    QTest::newRow("ab + c") << QByteArray("abc") << 2;
    QTest::newRow("vuoto + abc") << QByteArray("abc") << 0;
    QTest::newRow("pagina + pagina") << casuali(512, 1) << 256;
    QTest::newRow("taglio dispari") << casuali(1000, 2) << 333;
}

void TestImage::crc16_continua_tra_chiamate()
{
    QFETCH(QByteArray, dati);
    QFETCH(int, taglio);

    RegistroCrc intero = registro_da(0xFFFF);
    crc16_calc(intero, dati);

    RegistroCrc a_pezzi = registro_da(0xFFFF);
    crc16_calc(a_pezzi, QByteArrayView(dati).first(taglio));
    crc16_calc(a_pezzi, QByteArrayView(dati).sliced(taglio));

    QCOMPARE(a_pezzi.crc16, intero.crc16);
    QCOMPARE(a_pezzi.crc_alto, intero.crc_alto);
    QCOMPARE(a_pezzi.crc_basso, intero.crc_basso);
}

void TestImage::crc16_vuoto_aggiorna_solo_crc16()
{
    RegistroCrc registro{0x12, 0x34, 0};
    crc16_calc(registro, QByteArrayView());
    QCOMPARE(registro.crc_alto, 0x12);
    QCOMPARE(registro.crc_basso, 0x34);
    QCOMPARE(registro.crc16, 0x1234);
}

void TestImage::crc16_resta_sotto_0x2000()
{
    for (quint32 seme = 0; seme < 64; ++seme) {
        RegistroCrc registro = registro_da(quint16(QRandomGenerator(seme).bounded(0x10000)));
        crc16_calc(registro, casuali(1 + int(seme) * 7, seme));
        QVERIFY2(registro.crc16 <= 0x1FFF, qPrintable(QString::number(registro.crc16, 16)));
    }
}

void TestImage::check_calc_somma_a_8_bit_data()
{
    QTest::addColumn<QByteArray>("dati");
    QTest::addColumn<int>("atteso");

    QTest::newRow("abc") << QByteArray("abc") << 38;
    QTest::newRow("128 x FF") << QByteArray(128, '\xFF') << 128;
    QTest::newRow("vuoto") << QByteArray() << 0;
    QTest::newRow("256 x 01 gira a 0") << QByteArray(256, '\x01') << 0;
    QTest::newRow("80 senza segno") << QByteArray(1, '\x80') << 0x80;
}

void TestImage::check_calc_somma_a_8_bit()
{
    QFETCH(QByteArray, dati);
    QFETCH(int, atteso);

    QCOMPARE(check_calc(dati), atteso);
    QCOMPARE(check_calc(dati), atteso); // each call starts again from 0
}

void TestImage::tipo_cpu_data()
{
    QTest::addColumn<char>("lettera");
    QTest::addColumn<QString>("didascalia");
    QTest::addColumn<int>("codice");

    QTest::newRow("t") << 't' << "CPU: STM32F0 64K (256B)" << 1;
    QTest::newRow("s") << 's' << "CPU: STM32F1 128K (256B)" << 2;
    QTest::newRow("W") << 'W' << "CPU: WGM110 1M (128B)" << 3;
    QTest::newRow("T maiuscola") << 'T' << QString() << 0;
    QTest::newRow("S maiuscola") << 'S' << QString() << 0;
    QTest::newRow("w minuscola") << 'w' << QString() << 0;
    QTest::newRow("byte 0") << '\0' << QString() << 0;
    QTest::newRow("byte FF") << '\xFF' << QString() << 0;
}

void TestImage::tipo_cpu()
{
    QFETCH(char, lettera);
    QFETCH(QString, didascalia);
    QFETCH(int, codice);

    const TipoCpu *tipo = cerca_tipo_cpu(lettera);
    if (didascalia.isEmpty()) {
        QCOMPARE(tipo, nullptr);
        QCOMPARE(QString(didascalia_cpu_sconosciuta), QStringLiteral("CPU:"));
        return;
    }
    QVERIFY(tipo);
    QCOMPARE(tipo->lettera, lettera);
    QCOMPARE(QString(tipo->didascalia), didascalia);
    QCOMPARE(tipo->codice, codice);
}

void TestImage::intestazione_campi()
{
    // The image that follows the header does not change it.
    const IntestazioneFirmware intestazione = leggi_intestazione(intestazione_completa() + "IMAGE");
    QCOMPARE(intestazione.tipo_cpu, 's');
    QCOMPARE(intestazione.versione_bootloader, 12);
    QCOMPARE(intestazione.fw_maggiore, 2);
    QCOMPARE(intestazione.fw_minore, 0x13);
    QCOMPARE(intestazione.scheda_file, QByteArray("AB C"));
    QCOMPARE(intestazione.crc_alto, 0x1A);
    QCOMPARE(intestazione.crc_basso, 0x98);
    QCOMPARE(intestazione.crc16(), 0x1A98);
    QCOMPARE(etichetta_bootloader(intestazione.versione_bootloader, QLocale::c()), "Booloader: v.1.2");
    QCOMPARE(etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore), "Firmware: v.2.13");
    QCOMPARE(::testo_crc(intestazione.crc16()), "1A98");

    const IntestazioneFirmware alti = leggi_intestazione(QByteArray(15, '\xFF'));
    QCOMPARE(alti.versione_bootloader, 2805);
    QCOMPARE(alti.fw_maggiore, 255);
    QCOMPARE(alti.crc16(), 0xFFFF);
}

void TestImage::intestazione_corta_data()
{
    QTest::addColumn<int>("lunghezza");
    QTest::addColumn<char>("tipo_cpu");
    QTest::addColumn<int>("versione_bootloader");
    QTest::addColumn<int>("fw_maggiore");
    QTest::addColumn<int>("fw_minore");
    QTest::addColumn<QByteArray>("scheda_file");
    QTest::addColumn<int>("crc16");

    QTest::newRow("0") << 0 << '\0' << 0 << 0 << 0 << QByteArray() << 0;
    QTest::newRow("1") << 1 << '\0' << 0 << 0 << 0 << QByteArray() << 0;
    QTest::newRow("2") << 2 << 's' << 0 << 0 << 0 << QByteArray() << 0;
    QTest::newRow("5") << 5 << 's' << 10 << 0 << 0 << QByteArray() << 0;
    QTest::newRow("6") << 6 << 's' << 12 << 0 << 0 << QByteArray() << 0;
    QTest::newRow("7") << 7 << 's' << 12 << 2 << 0 << QByteArray() << 0;
    QTest::newRow("8") << 8 << 's' << 12 << 2 << 0x13 << QByteArray() << 0;
    QTest::newRow("9") << 9 << 's' << 12 << 2 << 0x13 << QByteArray() << 0;
    QTest::newRow("10") << 10 << 's' << 12 << 2 << 0x13 << QByteArray("A") << 0;
    QTest::newRow("12") << 12 << 's' << 12 << 2 << 0x13 << QByteArray("AB ") << 0;
    QTest::newRow("13") << 13 << 's' << 12 << 2 << 0x13 << QByteArray("AB C") << 0;
    QTest::newRow("14") << 14 << 's' << 12 << 2 << 0x13 << QByteArray("AB C") << 0x1A00;
}

void TestImage::intestazione_corta()
{
    QFETCH(int, lunghezza);
    QFETCH(char, tipo_cpu);
    QFETCH(int, versione_bootloader);
    QFETCH(int, fw_maggiore);
    QFETCH(int, fw_minore);
    QFETCH(QByteArray, scheda_file);
    QFETCH(int, crc16);

    const IntestazioneFirmware intestazione = leggi_intestazione(intestazione_completa().first(lunghezza));
    QCOMPARE(intestazione.tipo_cpu, tipo_cpu);
    QCOMPARE(intestazione.versione_bootloader, versione_bootloader);
    QCOMPARE(intestazione.fw_maggiore, fw_maggiore);
    QCOMPARE(intestazione.fw_minore, fw_minore);
    QCOMPARE(intestazione.scheda_file, scheda_file);
    QCOMPARE(intestazione.crc16(), crc16);
}

void TestImage::bootloader_supportato_data()
{
    QTest::addColumn<int>("versione");
    QTest::addColumn<bool>("supportato");

    QTest::newRow("1.1") << 11 << false;
    QTest::newRow("1.2") << 12 << true;
    QTest::newRow("1.3") << 13 << true;
    QTest::newRow("1.4") << 14 << false;
    QTest::newRow("2") << 20 << false;
    QTest::newRow("0") << 0 << false;
}

void TestImage::bootloader_supportato()
{
    QFETCH(int, versione);
    QFETCH(bool, supportato);
    QCOMPARE(::bootloader_supportato(versione), supportato);
}

void TestImage::testo_bootloader_data()
{
    QTest::addColumn<int>("versione");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("testo");

    const QLocale c = QLocale::c();
    const QLocale tedesco(QLocale::German, QLocale::Germany);
    QTest::newRow("1.2") << 12 << c << "1.2";
    QTest::newRow("2") << 20 << c << "2";
    QTest::newRow("25.5") << 255 << c << "25.5";
    QTest::newRow("0") << 0 << c << "0";
    QTest::newRow("0.1") << 1 << c << "0.1";
    QTest::newRow("100 senza separatore") << 1000 << c << "100";
    QTest::newRow("280.5") << 2805 << c << "280.5";
    QTest::newRow("1,2 tedesco") << 12 << tedesco << "1,2";
    QTest::newRow("2 tedesco") << 20 << tedesco << "2";
}

void TestImage::testo_bootloader()
{
    QFETCH(int, versione);
    QFETCH(QLocale, locale);
    QFETCH(QString, testo);

    QCOMPARE(testo_versione_bootloader(versione, locale), testo);
    QCOMPARE(etichetta_bootloader(versione, locale), "Booloader: v." + testo);
}

void TestImage::testo_bootloader_mai_separatori_ne_esponente_data()
{
    QTest::addColumn<QLocale>("locale");

    QTest::newRow("C") << QLocale::c();
    QTest::newRow("inglese") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("tedesco") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("francese") << QLocale(QLocale::French, QLocale::France);
    QTest::newRow("arabo") << QLocale(QLocale::Arabic, QLocale::Egypt);
}

void TestImage::testo_bootloader_mai_separatori_ne_esponente()
{
    QFETCH(QLocale, locale);

    const QRegularExpression forma(
        QStringLiteral("^[0-9]+(%1[1-9])?$").arg(QRegularExpression::escape(locale.decimalPoint())));
    for (int versione = 0; versione <= 2805; ++versione) {
        const QString testo = testo_versione_bootloader(versione, locale);
        QVERIFY2(forma.match(testo).hasMatch(), qPrintable(testo));
        QCOMPARE(testo.section(locale.decimalPoint(), 0, 0).toInt(), versione / 10);
    }
}

void TestImage::etichetta_firmware_data()
{
    QTest::addColumn<int>("maggiore");
    QTest::addColumn<int>("minore");
    QTest::addColumn<QString>("etichetta");

    QTest::newRow("2.13") << 2 << 0x13 << "Firmware: v.2.13";
    QTest::newRow("1.05") << 1 << 0x05 << "Firmware: v.1.05";
    QTest::newRow("3.110") << 3 << 0x1A << "Firmware: v.3.110";
    QTest::newRow("0.00") << 0 << 0x00 << "Firmware: v.0.00";
    QTest::newRow("255.1515") << 255 << 0xFF << "Firmware: v.255.1515";
}

void TestImage::etichetta_firmware()
{
    QFETCH(int, maggiore);
    QFETCH(int, minore);
    QFETCH(QString, etichetta);
    QCOMPARE(etichetta_firmware_file(maggiore, minore), etichetta);
}

void TestImage::testo_crc_data()
{
    QTest::addColumn<int>("crc16");
    QTest::addColumn<QString>("testo");

    QTest::newRow("1A98") << 0x1A98 << "1A98";
    QTest::newRow("EB3") << 0x0EB3 << "EB3";
    QTest::newRow("F") << 0x000F << "F";
    QTest::newRow("0") << 0 << "0";
    QTest::newRow("8000") << 0x8000 << "8000";
    QTest::newRow("FFFF") << 0xFFFF << "FFFF";
}

void TestImage::testo_crc()
{
    QFETCH(int, crc16);
    QFETCH(QString, testo);
    QCOMPARE(::testo_crc(crc16), testo);
}

QTEST_APPLESS_MAIN(TestImage)
#include "test_image.moc"
