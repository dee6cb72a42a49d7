#include "core/hex_format.h"
#include "core/identity.h"
#include "core/labels.h"
#include "core/captions.h"

#include <QTest>

class TestTextsAndIdentity : public QObject
{
    Q_OBJECT

private slots:
    void formatta_hex_data()
    {
        QTest::addColumn<float>("valore");
        QTest::addColumn<int>("cifre");
        QTest::addColumn<QString>("testo");
        QTest::newRow("a leading zero") << 10.0f << 2 << "0A";
        QTest::newRow("the last two digits") << 4660.0f << 2 << "34";
        QTest::newRow("2.5: halves to even") << 2.5f << 2 << "02";
        QTest::newRow("-1: two's complement") << -1.0f << 8 << "FFFFFFFF";
        QTest::newRow("a float beyond 2^62") << 0x1p70f << 2 << "00";
        QTest::newRow("no digits") << 10.0f << 0 << "";
    }
    void formatta_hex()
    {
        QFETCH(float, valore);
        QFETCH(int, cifre);
        QTEST(::formatta_hex(valore, cifre), "testo");
    }

    // Bytes 1..20 of an identification reply: firmware 2.15, board "BRD1",
    // file "FILENAME", date 05.03.18.
    void identity_data()
    {
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<QString>("mostrata");
        const QByteArray intera("FWI=\x02\x15" "BRD1FILENAME\x24\x65", 20);
        QTest::newRow("whole") << intera << "Firmware: v.2.15|BRD1|FILENAME|05.03.18";
        QTest::newRow("FWI=???") << QByteArray("FWI=???") << "no information";
        QTest::newRow("FWI=??? and a byte") << QByteArray("FWI=???x") << "Firmware: v.63.3F|?x||00.00.00";
        QTest::newRow("half a board") << intera.first(8) << "Firmware: v.2.15|BR||00.00.00";
        QTest::newRow("the month from both bytes, no date checked")
            << intera.first(18) + "\xC9\xFF" << "Firmware: v.2.15|BRD1|FILENAME|31.15.100";
    }
    void identity()
    {
        QFETCH(QByteArray, risposta);
        const IdentitaDispositivo identita = leggi_identita(risposta);
        const QStringList campi{etichetta_firmware_dispositivo(identita), QString::fromLatin1(identita.scheda),
                                QString::fromLatin1(identita.nome_file), testo_data(identita)};
        QTEST(identita.info_disponibile ? campi.join(u'|') : QStringLiteral("no information"), "mostrata");
    }

    void prefix_swap_data()
    {
        QTest::addColumn<QString>("didascalia");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("attesa");
        QTest::newRow("to English") << "Scheda: AB12" << 1 << "Board: AB12";
        QTest::newRow("to Italian, blanks kept") << "Board:  K 1 " << 0 << "Scheda:  K 1 ";
        QTest::newRow("the same language: prefix only") << "Scheda: AB" << 0 << "Scheda:";
    }
    void prefix_swap()
    {
        QFETCH(QString, didascalia);
        QFETCH(int, lingua);
        QTEST(scambia_prefisso(didascalia, prefisso::scheda, lingua), "attesa");
    }
};

QTEST_GUILESS_MAIN(TestTextsAndIdentity)
#include "test_texts_and_identity.moc"
