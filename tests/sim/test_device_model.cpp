// The simulator's device model against known answers: its CRC16 and sums are
// its own, so these values hold it apart from the updater's checksum code.

#include "sim/device_model.h"

#include <QTest>

Q_DECLARE_METATYPE(IdentitaSimulata)

namespace {

// "PGP", the offset in three bytes, 128 data bytes and a sum: their own, or
// one off when `somma_giusta` is false.
QByteArray mezza_pagina(quint32 offset, const QByteArray &dati, bool somma_giusta = true)
{
    quint8 somma = 0;
    for (const char c : dati)
        somma += quint8(c);
    return "PGP" + QByteArray(1, char(offset >> 16)) + char(offset >> 8) + char(offset) + dati
           + char(somma_giusta ? somma : somma + 1);
}

QByteArray verifica(int pagine, int crc16)
{
    return "PGX" + QByteArray(1, char(pagine >> 8)) + char(pagine) + char(crc16 >> 8) + char(crc16);
}

// The image in half pages from offset 0, the last filled up with 0xFF.
QList<QByteArray> mezze_pagine(QByteArray immagine)
{
    immagine.resize((immagine.size() + 127) / 128 * 128, '\xFF');
    QList<QByteArray> comandi;
    for (qsizetype offset = 0; offset < immagine.size(); offset += 128)
        comandi.append(mezza_pagina(quint32(offset), immagine.sliced(offset, 128)));
    return comandi;
}

QByteArray ff(qsizetype n)
{
    return QByteArray(n, '\xFF');
}

const QByteArray trecento = [] {
    QByteArray byte;
    for (int i = 0; i < 300; ++i)
        byte.append(char(i));
    return byte;
}();

} // namespace

class TestDeviceModel : public QObject
{
    Q_OBJECT

private slots:
    void crc16_data()
    {
        QTest::addColumn<int>("iniziale");
        QTest::addColumn<QByteArray>("byte");
        QTest::addColumn<int>("crc16");
        QTest::newRow("abc") << 0xFFFF << QByteArray("abc") << 0x0EB3;
        QTest::newRow("A") << 0xFFFF << QByteArray("A") << 0x1D84;
        QTest::newRow("abc from 0x0000") << 0x0000 << QByteArray("abc") << 0x065F;
        QTest::newRow("256 bytes 0x00") << 0xFFFF << QByteArray(256, '\0') << 0x1A98;
        QTest::newRow("one byte 0x00") << 0xFFFF << QByteArray(1, '\0') << 0x127B;
        QTest::newRow("one byte 0xFF") << 0xFFFF << ff(1) << 0x00FF;
        QTest::newRow("no bytes: the register as it was") << 0xFFFF << QByteArray() << 0xFFFF;
    }
    void crc16()
    {
        QFETCH(int, iniziale);
        QFETCH(QByteArray, byte);
        QTEST(int(crc16_dispositivo(byte, quint16(iniziale))), "crc16");
    }

    void crc16_of_whole_pages_data()
    {
        QTest::addColumn<QByteArray>("immagine");
        QTest::addColumn<int>("crc16");
        QTest::newRow("one whole page: nothing added") << QByteArray(256, '\0') << 0x1A98;
        QTest::newRow("abc, filled with 0xFF to a page") << QByteArray("abc") << 0x0CAF;
        QTest::newRow("300 bytes, the second page filled with 0xFF") << trecento << 0x155E;
        QTest::newRow("no image: no pages") << QByteArray() << 0xFFFF;
    }
    void crc16_of_whole_pages()
    {
        QFETCH(QByteArray, immagine);
        QTEST(int(crc16_pagine(immagine)), "crc16");
    }

    void sum_data()
    {
        QTest::addColumn<QByteArray>("byte");
        QTest::addColumn<int>("somma");
        QTest::newRow("abc") << QByteArray("abc") << 0x26;
        QTest::newRow("128 x 0xFF: modulo 256") << ff(128) << 0x80;
        QTest::newRow("256 x 0x01: wraps to 0") << QByteArray(256, '\x01') << 0x00;
    }
    void sum()
    {
        QFETCH(QByteArray, byte);
        QTEST(int(somma_dispositivo(byte)), "somma");
    }

    void half_pages_data()
    {
        QTest::addColumn<QList<QByteArray>>("comandi");
        QTest::addColumn<QByteArray>("risposte");
        QTest::addColumn<QByteArray>("flash");
        QTest::addColumn<int>("ripetute");
        const QByteArray a(128, 'a');
        const QByteArray b(128, 'b');
        QTest::newRow("first half: written, the page filled with 0xFF")
            << QList<QByteArray>{mezza_pagina(0, a)} << QByteArray("A") << a + ff(128) << 0;
        QTest::newRow("second half only: the first stays 0xFF")
            << QList<QByteArray>{mezza_pagina(128, b)} << QByteArray("A") << ff(128) + b << 0;
        QTest::newRow("wrong sum: C and nothing written")
            << QList<QByteArray>{mezza_pagina(0, a, false)} << QByteArray("C") << QByteArray() << 0;
        QTest::newRow("wrong sum, then right: the resend is written and counted")
            << QList<QByteArray>{mezza_pagina(0, a, false), mezza_pagina(0, a)} << QByteArray("CA") << a + ff(128)
            << 1;
        QTest::newRow("a later half page over an earlier one")
            << QList<QByteArray>{mezza_pagina(0, a), mezza_pagina(0, b)} << QByteArray("AA") << b + ff(128) << 1;
        QTest::newRow("third page: the pages before stay 0xFF")
            << QList<QByteArray>{mezza_pagina(0x000280, a)} << QByteArray("A") << ff(640) + a << 0;
        QTest::newRow("a command cut short: C")
            << QList<QByteArray>{mezza_pagina(0, a).chopped(1)} << QByteArray("C") << QByteArray() << 0;
    }
    void half_pages()
    {
        QFETCH(QList<QByteArray>, comandi);
        ModelloDispositivo dispositivo;
        QByteArray risposte;
        for (const QByteArray &comando : comandi)
            risposte += dispositivo.scrivi_mezza_pagina(comando);
        QTEST(risposte, "risposte");
        QTEST(dispositivo.flash(), "flash");
        QTEST(dispositivo.mezze_pagine_ripetute(), "ripetute");
    }

    void verification_data()
    {
        QTest::addColumn<QByteArray>("immagine"); // written in half pages
        QTest::addColumn<QByteArray>("comando");
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<QByteArray>("verificata"); // null: none
        QTest::newRow("abc, right CRC16") << QByteArray("abc") << verifica(1, 0x0CAF) << QByteArray("A")
                                          << QByteArray("abc") + ff(253);
        QTest::newRow("abc, wrong CRC16") << QByteArray("abc") << verifica(1, 0x0CAE) << QByteArray("E")
                                          << QByteArray();
        QTest::newRow("256 x 0x00, right CRC16")
            << QByteArray(256, '\0') << verifica(1, 0x1A98) << QByteArray("A") << QByteArray(256, '\0');
        QTest::newRow("300 bytes in two pages")
            << trecento << verifica(2, 0x155E) << QByteArray("A") << trecento + ff(212);
        QTest::newRow("one page counted of two written: only it is checked")
            << trecento << verifica(1, 0x1EF0) << QByteArray("A") << trecento.first(256);
        QTest::newRow("two pages counted, one written: the second is 0xFF")
            << QByteArray("abc") << verifica(2, 0x1A31) << QByteArray("A") << QByteArray("abc") + ff(509);
        QTest::newRow("nothing written: an erased page")
            << QByteArray() << verifica(1, 0x1E44) << QByteArray("A") << ff(256);
        QTest::newRow("the high and low CRC16 bytes swapped")
            << QByteArray("abc") << verifica(1, 0xAF0C) << QByteArray("E") << QByteArray();
        QTest::newRow("a command cut short: E")
            << QByteArray("abc") << verifica(1, 0x0CAF).chopped(1) << QByteArray("E") << QByteArray();
    }
    void verification()
    {
        QFETCH(QByteArray, immagine);
        QFETCH(QByteArray, comando);
        QFETCH(QByteArray, verificata);
        ModelloDispositivo dispositivo;
        QCOMPARE(dispositivo.cancella(), QByteArray("A"));
        for (const QByteArray &mezza : mezze_pagine(immagine))
            QCOMPARE(dispositivo.scrivi_mezza_pagina(mezza), QByteArray("A"));
        QTEST(dispositivo.verifica(comando), "risposta");
        QCOMPARE(dispositivo.immagine_verificata().value_or(QByteArray()), verificata);
        QCOMPARE(dispositivo.immagine_verificata().has_value(), !verificata.isNull());
    }

    void an_erase_forgets_what_was_written_and_verified()
    {
        ModelloDispositivo dispositivo;
        for (const QByteArray &mezza : mezze_pagine("abc") + mezze_pagine("abc"))
            dispositivo.scrivi_mezza_pagina(mezza);
        QCOMPARE(dispositivo.verifica(verifica(1, 0x0CAF)), QByteArray("A"));
        QCOMPARE(dispositivo.mezze_pagine_ripetute(), 1);
        QCOMPARE(dispositivo.cancella(), QByteArray("A"));
        QVERIFY2(dispositivo.flash().isEmpty(), "the flash is erased");
        QVERIFY2(!dispositivo.immagine_verificata(), "nothing is verified after an erase");
        QCOMPARE(dispositivo.mezze_pagine_ripetute(), 0);
        QCOMPARE(dispositivo.verifica(verifica(1, 0x1E44)), QByteArray("A"));
    }

    void identity_data()
    {
        QTest::addColumn<IdentitaSimulata>("identita");
        QTest::addColumn<QByteArray>("risposta");
        const IdentitaSimulata solita;
        QTest::newRow("as the simulator starts: 20 bytes")
            << solita << QByteArray("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);
        IdentitaSimulata corta = solita;
        corta.scheda = "K";
        corta.nome_file = "AB";
        QTest::newRow("short fields padded with blanks")
            << corta << QByteArray("FWI=\x02\x15K   AB      \x24\x65", 20);
        IdentitaSimulata lunga = solita;
        lunga.scheda = "KR0123";
        lunga.nome_file = "KESTRA0123";
        lunga.fw_maggiore = 0;
        lunga.data_bassa = 0xFF;
        QTest::newRow("long fields cut, zero and 0xFF bytes")
            << lunga << QByteArray("FWI=\x00\x15KR01KESTRA01\x24\xFF", 20);
        IdentitaSimulata ignota = solita;
        ignota.info_non_disponibile = true;
        QTest::newRow("no information") << ignota << QByteArray("FWI=???");
    }
    void identity()
    {
        QFETCH(IdentitaSimulata, identita);
        QTEST(risposta_identita(identita), "risposta");
    }
};

QTEST_GUILESS_MAIN(TestDeviceModel)
#include "test_device_model.moc"
