#include "link/hex_format.h"
#include "link/identity.h"
#include "texts/captions.h"
#include "texts/statuses.h"

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

const Testo &prefisso_di(const char *etichetta)
{
    for (const EtichettaConPrefisso &voce : etichette_con_prefisso())
        if (qstrcmp(voce.controllo, etichetta) == 0)
            return voce.prefisso;
    qFatal("no label %s", etichetta);
}

} // namespace

class TestLinkAndTexts : public QObject
{
    Q_OBJECT

private slots:
    void formatta_hex_data()
    {
        QTest::addColumn<float>("valore");
        QTest::addColumn<int>("cifre");
        QTest::addColumn<QString>("testo");
        QTest::newRow("10") << 10.0f << 2 << "0A";
        QTest::newRow("255") << 255.0f << 2 << "FF";
        QTest::newRow("4660: the last two digits") << 4660.0f << 2 << "34";
        QTest::newRow("2.5: halves to even") << 2.5f << 2 << "02";
        QTest::newRow("3.5: halves to even") << 3.5f << 2 << "04";
        QTest::newRow("-1: two's complement") << -1.0f << 8 << "FFFFFFFF";
        QTest::newRow("-1 in ten") << -1.0f << 10 << "00FFFFFFFF";
        QTest::newRow("2^32 wraps to 0") << 4294967296.0f << 2 << "00";
        QTest::newRow("2^32 + 2^9 keeps its low bits") << 4294967808.0f << 4 << "0200";
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
        QTest::newRow("FWI=??? exactly") << QByteArray("FWI=???") << "no information";
        QTest::newRow("FWI=??? and more") << QByteArray("FWI=???x") << "Firmware: v.63.3F|?x||00.00.00";
        QTest::newRow("minor 10 as hex") << QByteArray(identita_intera).replace(4, 2, "\x01\x0A")
                                         << "Firmware: v.1.0A|BRD1|FILENAME|05.03.18";
        QTest::newRow("cut in the board") << identita_intera.first(8) << "Firmware: v.2.15|BR||00.00.00";
        QTest::newRow("no date low byte") << identita_intera.first(19) << "Firmware: v.2.15|BRD1|FILENAME|00.00.18";
        QTest::newRow("month from both bytes") << con_data(1, 0x20) << "Firmware: v.2.15|BRD1|FILENAME|00.09.00";
        QTest::newRow("year 100, unchecked") << con_data(201, 255) << "Firmware: v.2.15|BRD1|FILENAME|31.15.100";
        QTest::newRow("empty") << QByteArray() << "Firmware: v.0.00|||00.00.00";
    }
    void identity()
    {
        QFETCH(QByteArray, risposta);
        QTEST(identita_in_chiaro(leggi_identita(risposta)), "mostrata");
    }

    void prefix_swap_data()
    {
        QTest::addColumn<QByteArray>("etichetta");
        QTest::addColumn<QString>("didascalia");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("attesa");
        QTest::newRow("it to en keeps the board") << QByteArray("Label7") << "Scheda: AB12" << 1 << "Board: AB12";
        QTest::newRow("en to it keeps the blanks") << QByteArray("Label12") << "Board:  K 1 " << 0 << "Scheda:  K 1 ";
        QTest::newRow("en to it, file name") << QByteArray("Label13") << "File name: FW_01" << 0 << "Nome file: FW_01";
        QTest::newRow("en to it, date") << QByteArray("Label14") << "Date: 05.03.18" << 0 << "Data: 05.03.18";
        QTest::newRow("language 2 is English") << QByteArray("Label7") << "Scheda: AB" << 2 << "Board: AB";
        QTest::newRow("same language: bare prefix") << QByteArray("Label7") << "Scheda: AB" << 0 << "Scheda:";
        QTest::newRow("shorter than the prefix") << QByteArray("Label7") << "Sche" << 1 << "Board:";
        QTest::newRow("empty") << QByteArray("Label14") << "" << 0 << "Data:";
        QTest::newRow("case counts") << QByteArray("Label7") << "scheda: AB" << 1 << "Board:";
        QTest::newRow("prefix not at the start") << QByteArray("Label14") << " Data: 1" << 1 << "Date:";
    }
    void prefix_swap()
    {
        QFETCH(QByteArray, etichetta);
        QFETCH(QString, didascalia);
        QFETCH(int, lingua);
        QTEST(scambia_prefisso(didascalia, prefisso_di(etichetta.constData()), lingua), "attesa");
    }

    void status_swap_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("atteso");
        const std::pair<const char *, const char *> stati[] = {
            {"Attesa connessione...", "Waiting for connection..."},
            {"Connesso...", "Connected..."},
            {"Trasferimento in corso...", "Transfering..."},
            {"Trasferimento OK", "Transfer OK"},
            {"Verifica CRC16 in corso...", "Checking CRC16..."},
            {"Programmazione avviata...", "Programming started..."},
        };
        for (const auto &[it, en] : stati) {
            QTest::addRow("%s", it) << QString(it) << 1 << QString(en);
            QTest::addRow("%s", en) << QString(en) << 0 << QString(it);
            QTest::addRow("%s, already Italian", it) << QString(it) << 0 << QString(it);
        }
        QTest::newRow("not a status") << "Connesso: INFO non disponibile" << 1 << "Connesso: INFO non disponibile";
        QTest::newRow("double r is not a status") << "Transferring..." << 0 << "Transferring...";
        QTest::newRow("case counts") << "transfer OK" << 0 << "transfer OK";
    }
    void status_swap()
    {
        QFETCH(QString, testo);
        QFETCH(int, lingua);
        QTEST(scambia_stato(testo, lingua), "atteso");
    }

};

QTEST_GUILESS_MAIN(TestLinkAndTexts)
#include "test_link_and_texts.moc"
