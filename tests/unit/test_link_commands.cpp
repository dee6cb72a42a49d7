#include "link/commands.h"
#include "link/hex_format.h"
#include "link/identity.h"
#include "programming/commands.h"

#include <QTest>

#include <limits>

namespace {

// An identification reply: "FWI=", firmware 2.21 (hex 15), board "BRD1",
// file name "FILENAME", date 5 March 2018, then bytes that must be ignored.
QByteArray risposta_completa()
{
    return QByteArray("FWI=\x02\x15" "BRD1" "FILENAME" "\x24\x65" "tail", 24);
}

QByteArray byte(std::initializer_list<int> valori)
{
    QByteArray dati;
    for (const int valore : valori)
        dati += char(valore);
    return dati;
}

QByteArray da_0_a_127()
{
    QByteArray dati;
    for (int i = 0; i < dimensione_mezza_pagina; ++i)
        dati += char(i);
    return dati;
}

} // namespace

class TestLinkCommands : public QObject
{
    Q_OBJECT

private slots:
    void formatta_hex_data();
    void formatta_hex();

    void identita_completa();
    void identita_ignora_dopo_il_ventesimo();
    void identita_non_disponibile_data();
    void identita_non_disponibile();
    void identita_corta_data();
    void identita_corta();
    void data_dispositivo_data();
    void data_dispositivo();
    void etichetta_firmware_data();
    void etichetta_firmware();

    void comandi_modulo_data();
    void comandi_modulo();

    void cancellazione_a_blocchi_data();
    void cancellazione_a_blocchi();
    void kb_da_cancellare_data();
    void kb_da_cancellare();
    void comandi_cancellazione();
    void mezza_pagina_data();
    void mezza_pagina();
    void verifica_data();
    void verifica();
};

void TestLinkCommands::formatta_hex_data()
{
    QTest::addColumn<float>("valore");
    QTest::addColumn<int>("cifre");
    QTest::addColumn<QString>("testo");

    const float infinito = std::numeric_limits<float>::infinity();
    QTest::newRow("10") << 10.0f << 2 << "0A";
    QTest::newRow("255") << 255.0f << 2 << "FF";
    QTest::newRow("0") << 0.0f << 2 << "00";
    QTest::newRow("4660 ultime due") << 4660.0f << 2 << "34";
    QTest::newRow("4660 quattro") << 4660.0f << 4 << "1234";
    QTest::newRow("4660 sei") << 4660.0f << 6 << "001234";
    QTest::newRow("4660 una") << 4660.0f << 1 << "4";
    QTest::newRow("0.5 pari") << 0.5f << 2 << "00";
    QTest::newRow("1.5 pari") << 1.5f << 2 << "02";
    QTest::newRow("2.5 pari") << 2.5f << 2 << "02";
    QTest::newRow("3.5 pari") << 3.5f << 2 << "04";
    QTest::newRow("2.4") << 2.4f << 2 << "02";
    QTest::newRow("2.6") << 2.6f << 2 << "03";
    QTest::newRow("255.5 sale a 100") << 255.5f << 2 << "00";
    QTest::newRow("-1 due") << -1.0f << 2 << "FF";
    QTest::newRow("-1 otto") << -1.0f << 8 << "FFFFFFFF";
    QTest::newRow("-1 dieci") << -1.0f << 10 << "00FFFFFFFF";
    QTest::newRow("-2^31") << -2147483648.0f << 8 << "80000000";
    QTest::newRow("2^24 - 1") << 16777215.0f << 8 << "00FFFFFF";
    QTest::newRow("2^32 bit bassi") << 4294967296.0f << 2 << "00";
    QTest::newRow("1e30") << 1e30f << 2 << "00";
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 2 << "00";
    QTest::newRow("+inf") << infinito << 2 << "00";
    QTest::newRow("-inf") << -infinito << 2 << "00";
    QTest::newRow("zero cifre") << 10.0f << 0 << "";
    QTest::newRow("cifre negative") << 10.0f << -1 << "";
}

void TestLinkCommands::formatta_hex()
{
    QFETCH(float, valore);
    QFETCH(int, cifre);
    QFETCH(QString, testo);
    QCOMPARE(::formatta_hex(valore, cifre), testo);
}

void TestLinkCommands::identita_completa()
{
    const IdentitaDispositivo identita = leggi_identita(risposta_completa());
    QVERIFY(identita.info_disponibile);
    QCOMPARE(identita.maggiore, 2);
    QCOMPARE(identita.minore, 0x15);
    QCOMPARE(identita.scheda, QByteArray("BRD1"));
    QCOMPARE(identita.nome_file, QByteArray("FILENAME"));
    QCOMPARE(identita.giorno, 5);
    QCOMPARE(identita.mese, 3);
    QCOMPARE(identita.anno, 18);
    QCOMPARE(etichetta_firmware_dispositivo(identita), "Firmware: v.2.15");
    QCOMPARE(testo_data(identita), "05.03.18");
}

void TestLinkCommands::identita_ignora_dopo_il_ventesimo()
{
    const IdentitaDispositivo venti = leggi_identita(risposta_completa().first(20));
    const IdentitaDispositivo lunga = leggi_identita(risposta_completa() + QByteArray(1000, '\xFF'));
    QCOMPARE(lunga.maggiore, venti.maggiore);
    QCOMPARE(lunga.minore, venti.minore);
    QCOMPARE(lunga.scheda, venti.scheda);
    QCOMPARE(lunga.nome_file, venti.nome_file);
    QCOMPARE(testo_data(lunga), testo_data(venti));
}

void TestLinkCommands::identita_non_disponibile_data()
{
    QTest::addColumn<QByteArray>("risposta");
    QTest::addColumn<bool>("info_disponibile");

    QTest::newRow("esatta") << QByteArray("FWI=???") << false;
    QTest::newRow("con un byte in piu") << QByteArray("FWI=???x") << true;
    QTest::newRow("minuscola") << QByteArray("fwi=???") << true;
    QTest::newRow("troncata") << QByteArray("FWI=??") << true;
}

void TestLinkCommands::identita_non_disponibile()
{
    QFETCH(QByteArray, risposta);
    QFETCH(bool, info_disponibile);

    const IdentitaDispositivo identita = leggi_identita(risposta);
    QCOMPARE(identita.info_disponibile, info_disponibile);
    if (!info_disponibile) {
        QVERIFY(identita.scheda.isEmpty());
        QVERIFY(identita.nome_file.isEmpty());
    }
}

void TestLinkCommands::identita_corta_data()
{
    QTest::addColumn<int>("lunghezza");
    QTest::addColumn<int>("maggiore");
    QTest::addColumn<int>("minore");
    QTest::addColumn<QByteArray>("scheda");
    QTest::addColumn<QByteArray>("nome_file");
    QTest::addColumn<QString>("data");

    const QString nessuna = QStringLiteral("00.00.00");
    for (int lunghezza = 0; lunghezza <= 4; ++lunghezza)
        QTest::addRow("%d", lunghezza) << lunghezza << 0 << 0 << QByteArray() << QByteArray() << nessuna;
    QTest::newRow("5") << 5 << 2 << 0 << QByteArray() << QByteArray() << nessuna;
    QTest::newRow("6") << 6 << 2 << 0x15 << QByteArray() << QByteArray() << nessuna;
    QTest::newRow("7") << 7 << 2 << 0x15 << QByteArray("B") << QByteArray() << nessuna;
    QTest::newRow("9") << 9 << 2 << 0x15 << QByteArray("BRD") << QByteArray() << nessuna;
    QTest::newRow("10") << 10 << 2 << 0x15 << QByteArray("BRD1") << QByteArray() << nessuna;
    QTest::newRow("11") << 11 << 2 << 0x15 << QByteArray("BRD1") << QByteArray("F") << nessuna;
    QTest::newRow("17") << 17 << 2 << 0x15 << QByteArray("BRD1") << QByteArray("FILENAM") << nessuna;
    QTest::newRow("18") << 18 << 2 << 0x15 << QByteArray("BRD1") << QByteArray("FILENAME") << nessuna;
    // Byte 19 alone: year 18 and the high bit of the month (0 here).
    QTest::newRow("19") << 19 << 2 << 0x15 << QByteArray("BRD1") << QByteArray("FILENAME") << "00.00.18";
}

void TestLinkCommands::identita_corta()
{
    QFETCH(int, lunghezza);
    QFETCH(int, maggiore);
    QFETCH(int, minore);
    QFETCH(QByteArray, scheda);
    QFETCH(QByteArray, nome_file);
    QFETCH(QString, data);

    const IdentitaDispositivo identita = leggi_identita(risposta_completa().first(lunghezza));
    QVERIFY(identita.info_disponibile);
    QCOMPARE(identita.maggiore, maggiore);
    QCOMPARE(identita.minore, minore);
    QCOMPARE(identita.scheda, scheda);
    QCOMPARE(identita.nome_file, nome_file);
    QCOMPARE(testo_data(identita), data);
}

void TestLinkCommands::data_dispositivo_data()
{
    QTest::addColumn<int>("alto");
    QTest::addColumn<int>("basso");
    QTest::addColumn<int>("giorno");
    QTest::addColumn<int>("mese");
    QTest::addColumn<int>("anno");
    QTest::addColumn<QString>("testo");

    QTest::newRow("5 marzo 2018") << 36 << 101 << 5 << 3 << 18 << "05.03.18";
    QTest::newRow("zero") << 0 << 0 << 0 << 0 << 0 << "00.00.00";
    QTest::newRow("mese dal bit alto") << 1 << 0x20 << 0 << 9 << 0 << "00.09.00";
    QTest::newRow("anno 100") << 200 << 0 << 0 << 0 << 100 << "00.00.100";
    QTest::newRow("tutti 1, nessun controllo") << 255 << 255 << 31 << 15 << 127 << "31.15.127";
}

void TestLinkCommands::data_dispositivo()
{
    QFETCH(int, alto);
    QFETCH(int, basso);
    QFETCH(int, giorno);
    QFETCH(int, mese);
    QFETCH(int, anno);
    QFETCH(QString, testo);

    QByteArray risposta = risposta_completa();
    risposta[18] = char(alto);
    risposta[19] = char(basso);
    const IdentitaDispositivo identita = leggi_identita(risposta);
    QCOMPARE(identita.giorno, giorno);
    QCOMPARE(identita.mese, mese);
    QCOMPARE(identita.anno, anno);
    QCOMPARE(testo_data(identita), testo);
}

void TestLinkCommands::etichetta_firmware_data()
{
    QTest::addColumn<int>("maggiore");
    QTest::addColumn<int>("minore");
    QTest::addColumn<QString>("etichetta");

    QTest::newRow("2.15") << 2 << 21 << "Firmware: v.2.15";
    QTest::newRow("1.0A") << 1 << 10 << "Firmware: v.1.0A";
    QTest::newRow("0.00") << 0 << 0 << "Firmware: v.0.00";
    QTest::newRow("255.FF") << 255 << 255 << "Firmware: v.255.FF";
}

void TestLinkCommands::etichetta_firmware()
{
    QFETCH(int, maggiore);
    QFETCH(int, minore);
    QFETCH(QString, etichetta);

    QByteArray risposta = risposta_completa();
    risposta[4] = char(maggiore);
    risposta[5] = char(minore);
    QCOMPARE(etichetta_firmware_dispositivo(leggi_identita(risposta)), etichetta);
}

void TestLinkCommands::comandi_modulo_data()
{
    QTest::addColumn<QByteArray>("comando");
    QTest::addColumn<QByteArray>("byte_attesi");

    QTest::newRow("password") << comando_password("40718253") << QByteArray("PAS=40718253");
    QTest::newRow("password vuota") << comando_password("") << QByteArray("PAS=");
    QTest::newRow("password latin-1") << comando_password(QString::fromUtf8("caff\u00e8")) << QByteArray("PAS=caff\xe8");
    QTest::newRow("password con spazi") << comando_password(" a b ") << QByteArray("PAS= a b ");
    QTest::newRow("access point") << comando_access_point() << byte({0x4D, 0x4F, 0x50, 0x3D, 0x02});
    QTest::newRow("reset") << comando_reset() << QByteArray("RST!");
    QTest::newRow("identificazione") << comando_identificazione() << QByteArray("FWI");
}

void TestLinkCommands::comandi_modulo()
{
    QFETCH(QByteArray, comando);
    QFETCH(QByteArray, byte_attesi);
    QCOMPARE(comando, byte_attesi);
}

void TestLinkCommands::cancellazione_a_blocchi_data()
{
    QTest::addColumn<int>("codice");
    QTest::addColumn<bool>("a_blocchi");

    QTest::newRow("sconosciuto") << 0 << false;
    QTest::newRow("STM32F0") << 1 << true;
    QTest::newRow("STM32F1") << 2 << true;
    QTest::newRow("WGM110") << 3 << false;
    QTest::newRow("4") << 4 << false;
}

void TestLinkCommands::cancellazione_a_blocchi()
{
    QFETCH(int, codice);
    QFETCH(bool, a_blocchi);
    QCOMPARE(::cancellazione_a_blocchi(codice), a_blocchi);
}

void TestLinkCommands::kb_da_cancellare_data()
{
    QTest::addColumn<int>("codice");
    QTest::addColumn<int>("precedente");
    QTest::addColumn<int>("kb");

    QTest::newRow("STM32F0") << 1 << 0 << 64;
    QTest::newRow("STM32F1") << 2 << 0 << 128;
    QTest::newRow("WGM110") << 3 << 0 << 756;
    QTest::newRow("STM32F0 dopo WGM110") << 1 << 756 << 64;
    QTest::newRow("sconosciuto al primo") << 0 << 0 << 0;
    QTest::newRow("sconosciuto tiene il precedente") << 0 << 128 << 128;
    QTest::newRow("4 tiene il precedente") << 4 << 64 << 64;
}

void TestLinkCommands::kb_da_cancellare()
{
    QFETCH(int, codice);
    QFETCH(int, precedente);
    QFETCH(int, kb);
    QCOMPARE(::kb_da_cancellare(codice, precedente), kb);
}

void TestLinkCommands::comandi_cancellazione()
{
    QCOMPARE(comando_cancella_blocco(0), byte({0x50, 0x47, 0x53, 0x00}));
    QCOMPARE(comando_cancella_blocco(1), byte({0x50, 0x47, 0x53, 0x01}));
    QCOMPARE(comando_cancella_tutto(), byte({0x50, 0x47, 0x46, 0x00}));
}

void TestLinkCommands::mezza_pagina_data()
{
    QTest::addColumn<int>("codice");
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<QByteArray>("dati");
    QTest::addColumn<QByteArray>("testa");
    QTest::addColumn<int>("checksum");

    const QByteArray crescenti = da_0_a_127(); // sum 8128 = 0x1FC0
    const QByteArray pieni = QByteArray(dimensione_mezza_pagina, '\xFF');
    QTest::newRow("pagina 300, seconda meta")
        << 1 << quint32(300 * 256 + 128) << crescenti << byte({'P', 'G', 'P', 0x01, 0x2C, 0x80}) << 0xC0;
    QTest::newRow("prima pagina, STM32F1")
        << 2 << quint32(0) << pieni << byte({'P', 'G', 'P', 0x00, 0x00, 0x00}) << 0x80;
    QTest::newRow("WGM110 minuscola")
        << 3 << quint32(0x012300) << crescenti << byte({'P', 'G', 'p', 0x01, 0x23, 0x00}) << 0xC0;
    QTest::newRow("CPU sconosciuta minuscola")
        << 0 << quint32(128) << pieni << byte({'P', 'G', 'p', 0x00, 0x00, 0x80}) << 0x80;
    QTest::newRow("ultimo offset ammesso")
        << 1 << quint32(0x7FFF80) << crescenti << byte({'P', 'G', 'P', 0x7F, 0xFF, 0x80}) << 0xC0;
}

void TestLinkCommands::mezza_pagina()
{
    QFETCH(int, codice);
    QFETCH(quint32, offset);
    QFETCH(QByteArray, dati);
    QFETCH(QByteArray, testa);
    QFETCH(int, checksum);

    const QByteArray comando = comando_mezza_pagina(codice, offset, dati);
    QCOMPARE(comando.size(), 135);
    QCOMPARE(comando.first(6), testa);
    QCOMPARE(comando.sliced(6, dimensione_mezza_pagina), dati);
    QCOMPARE(int(quint8(comando.back())), checksum);
}

void TestLinkCommands::verifica_data()
{
    QTest::addColumn<int>("codice");
    QTest::addColumn<int>("pagine");
    QTest::addColumn<int>("crc_alto");
    QTest::addColumn<int>("crc_basso");
    QTest::addColumn<QByteArray>("comando");
    QTest::addColumn<int>("attesa_ms");

    QTest::newRow("300 pagine STM32F0")
        << 1 << 300 << 0x0E << 0xB3 << byte({'P', 'G', 'X', 0x01, 0x2C, 0x0E, 0xB3}) << 5000;
    QTest::newRow("STM32F1") << 2 << 4 << 0x1A << 0x98 << byte({'P', 'G', 'X', 0x00, 0x04, 0x1A, 0x98}) << 5000;
    QTest::newRow("WGM110") << 3 << 300 << 0x0E << 0xB3 << byte({'P', 'G', 'W', 0x01, 0x2C, 0x0E, 0xB3}) << 20000;
    QTest::newRow("sconosciuta") << 0 << 0 << 0 << 0 << byte({'P', 'G', 'X', 0x00, 0x00, 0x00, 0x00}) << 5000;
    QTest::newRow("massimo di pagine")
        << 1 << 32767 << 0x1F << 0xFF << byte({'P', 'G', 'X', 0x7F, 0xFF, 0x1F, 0xFF}) << 5000;
}

void TestLinkCommands::verifica()
{
    QFETCH(int, codice);
    QFETCH(int, pagine);
    QFETCH(int, crc_alto);
    QFETCH(int, crc_basso);
    QFETCH(QByteArray, comando);
    QFETCH(int, attesa_ms);

    QCOMPARE(comando_verifica(codice, pagine, crc_alto, crc_basso), comando);
    QCOMPARE(attesa_verifica_ms(codice), attesa_ms);
}

QTEST_APPLESS_MAIN(TestLinkCommands)
#include "test_link_commands.moc"
