#include "core/hex_format.h"
#include "core/identity.h"
#include "core/labels.h"
#include "core/captions.h"

#include <QTest>

#include <limits>

namespace {

// Bytes 1..20 of an identification reply: firmware 2.15, board "BRD1",
// file "FILENAME", date 05.03.18.
const QByteArray identita_intera("FWI=\x02\x15" "BRD1FILENAME\x24\x65", 20);

QString identita_in_chiaro(const IdentitaDispositivo &identita)
{
    if (!identita.info_disponibile)
        return QStringLiteral("no information");
    return QStringList{etichetta_firmware_dispositivo(identita), QString::fromLatin1(identita.scheda),
                       QString::fromLatin1(identita.nome_file), testo_data(identita)}
        .join(u'|');
}

const Testo &prefisso_di(const QString &etichetta)
{
    for (const EtichettaConPrefisso &voce : etichette_con_prefisso())
        if (QLatin1String(voce.controllo) == etichetta)
            return voce.prefisso;
    qFatal("no label %s", qPrintable(etichetta));
}

} // namespace

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
        QTest::newRow("2.5: halves to even, down") << 2.5f << 2 << "02";
        QTest::newRow("3.5: halves to even, up") << 3.5f << 2 << "04";
        QTest::newRow("-1: two's complement") << -1.0f << 8 << "FFFFFFFF";
        QTest::newRow("2^32 wraps") << 4294967296.0f << 2 << "00";
        QTest::newRow("past 2^32: the low bits kept") << 4294967808.0f << 4 << "0200";
        QTest::newRow("a float beyond 2^62") << 0x1p70f << 2 << "00";
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 2 << "00";
        QTest::newRow("no digits") << 10.0f << 0 << "";
    }
    void formatta_hex()
    {
        QFETCH(float, valore);
        QFETCH(int, cifre);
        QTEST(::formatta_hex(valore, cifre), "testo");
    }

    void identity_data()
    {
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<QString>("mostrata");
        const auto con_data = [](int alto, int basso) {
            QByteArray risposta = identita_intera;
            risposta[18] = char(alto);
            risposta[19] = char(basso);
            return risposta;
        };
        QTest::newRow("whole") << identita_intera << "Firmware: v.2.15|BRD1|FILENAME|05.03.18";
        QTest::newRow("FWI=???") << QByteArray("FWI=???") << "no information";
        QTest::newRow("FWI=??? and a byte") << QByteArray("FWI=???x") << "Firmware: v.63.3F|?x||00.00.00";
        QTest::newRow("minor in hex") << QByteArray(identita_intera).replace(4, 2, "\x01\x0A")
                                      << "Firmware: v.1.0A|BRD1|FILENAME|05.03.18";
        QTest::newRow("half a board") << identita_intera.first(8) << "Firmware: v.2.15|BR||00.00.00";
        QTest::newRow("the month from both bytes") << con_data(1, 0x20) << "Firmware: v.2.15|BRD1|FILENAME|00.09.00";
        QTest::newRow("no date checked") << con_data(201, 255) << "Firmware: v.2.15|BRD1|FILENAME|31.15.100";
        QTest::newRow("empty") << QByteArray() << "Firmware: v.0.00|||00.00.00";
    }
    void identity()
    {
        QFETCH(QByteArray, risposta);
        QTEST(identita_in_chiaro(leggi_identita(risposta)), "mostrata");
    }

    void prefix_swap_data()
    {
        QTest::addColumn<QString>("etichetta");
        QTest::addColumn<QString>("didascalia");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("attesa");
        QTest::newRow("Label7 to English") << "Label7" << "Scheda: AB12" << 1 << "Board: AB12";
        QTest::newRow("Label12 to Italian, blanks kept") << "Label12" << "Board:  K 1 " << 0 << "Scheda:  K 1 ";
        QTest::newRow("Label13 to Italian") << "Label13" << "File name: FW_01" << 0 << "Nome file: FW_01";
        QTest::newRow("the same language: prefix only") << "Label7" << "Scheda: AB" << 0 << "Scheda:";
        QTest::newRow("shorter than the prefix") << "Label7" << "Sche" << 1 << "Board:";
        QTest::newRow("a blank before the prefix") << "Label14" << " Data: 1" << 1 << "Date:";
    }
    void prefix_swap()
    {
        QFETCH(QString, etichetta);
        QFETCH(QString, didascalia);
        QFETCH(int, lingua);
        QTEST(scambia_prefisso(didascalia, prefisso_di(etichetta), lingua), "attesa");
    }
};

QTEST_GUILESS_MAIN(TestTextsAndIdentity)
#include "test_texts_and_identity.moc"
