// The simulator's faults: how --fault is read, and what a cut reply puts on
// the wire, against the simulator on a free port of 127.0.0.1.

#include "sim/fault_option.h"
#include "sim/module_simulator.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("testo");
        QTest::addColumn<QString>("errore"); // empty: read
        QTest::addColumn<QByteArray>("comando");
        QTest::addColumn<int>("occorrenza");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<int>("ritardo_ms");
        QTest::addColumn<int>("taglio");
        const auto letto = [](const char *nome, const char *testo, const char *comando, int occorrenza,
                              Guasto::Tipo tipo, const QByteArray &risposta, int ritardo_ms, int taglio) {
            QTest::newRow(nome) << QByteArray(testo) << QString() << QByteArray(comando) << occorrenza << int(tipo)
                                << risposta << ritardo_ms << taglio;
        };
        const auto rifiutato = [](const char *nome, const char *testo, const char *errore) {
            QTest::newRow(nome) << QByteArray(testo) << QString::fromLatin1(errore) << QByteArray() << 0 << 0
                                << QByteArray() << 0 << 0;
        };
        letto("cut: bytes at once, milliseconds before the rest", "FWI:cut:6,700", "FWI", 0, Guasto::Tipo::Taglia,
              {}, 700, 6);
        letto("cut of the third half page, the rest at once", "PGP#3:cut:1,0", "PGP", 3, Guasto::Tipo::Taglia, {},
              0, 1);
        letto("split, milliseconds left out", "FWI:split", "FWI", 0, Guasto::Tipo::Dividi, {}, 0, 0);
        letto("reply with an escape", "PGP#3:reply:\\x43", "PGP", 3, Guasto::Tipo::Risposta, "C", 0, 0);
        letto("none of the challenge", "PAS?:none", "PAS?", 0, Guasto::Tipo::NessunaRisposta, {}, 0, 0);
        rifiutato("cut without its argument", "FWI:cut",
                  "cut needs BYTES,MS: the bytes sent at once and the milliseconds before the rest");
        rifiutato("cut without milliseconds", "FWI:cut:6",
                  "cut needs BYTES,MS: the bytes sent at once and the milliseconds before the rest");
        rifiutato("cut of no bytes", "FWI:cut:0,700", "the bytes cut needs to send at once must be a number from 1");
        rifiutato("cut of words", "FWI:cut:six,700", "the bytes cut needs to send at once must be a number from 1");
        rifiutato("cut, negative milliseconds", "FWI:cut:6,-1", "milliseconds must be a number from 0");
        rifiutato("cut, milliseconds missing after the comma", "FWI:cut:6,", "milliseconds must be a number from 0");
        rifiutato("an unknown kind", "FWI:chop:6,700", "unknown kind \"chop\"");
        rifiutato("an unknown command", "FWX:cut:6,700", "unknown command \"FWX\"");
        rifiutato("no kind", "FWI", "expected HEAD[#N]:KIND[:ARG]");
    }
    void reading()
    {
        QFETCH(QByteArray, testo);
        QFETCH(QString, errore);
        QString detto;
        const std::optional<Guasto> guasto = leggi_guasto(testo, detto);
        QCOMPARE(detto, errore);
        QCOMPARE(guasto.has_value(), errore.isEmpty());
        if (!guasto)
            return;
        QTEST(guasto->comando, "comando");
        QTEST(guasto->occorrenza, "occorrenza");
        QTEST(int(guasto->tipo), "tipo");
        QTEST(guasto->risposta, "risposta");
        QTEST(guasto->ritardo_ms, "ritardo_ms");
        QTEST(guasto->taglio, "taglio");
    }

    void a_cut_reply_data()
    {
        QTest::addColumn<QByteArrayList>("guasti");
        QTest::addColumn<QByteArray>("comandi"); // in one write
        QTest::addColumn<QByteArrayList>("scritture");
        const QByteArray identita("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);
        QTest::newRow("the identity in two, the erase behind it")
            << QByteArrayList{"FWI:cut:6,300"} << QByteArray("FWI" "PGS\0", 7)
            << QByteArrayList{identita.first(6), identita.sliced(6), "A"};
        QTest::newRow("a cut past the end: the reply whole")
            << QByteArrayList{"FWI:cut:20,300"} << QByteArray("FWI" "PGS\0", 7) << QByteArrayList{identita, "A"};
        QTest::newRow("only the second identity cut")
            << QByteArrayList{"FWI#2:cut:4,100"} << QByteArray("FWIFWI")
            << QByteArrayList{identita, identita.first(4), identita.sliced(4)};
        QTest::newRow("a one-byte reply cut: the identity still waits behind it")
            << QByteArrayList{"PGS:cut:1,300"} << QByteArray("PGS\0" "FWI", 7) << QByteArrayList{"A", identita};
    }
    void a_cut_reply()
    {
        QFETCH(QByteArrayList, guasti);
        QFETCH(QByteArray, comandi);
        QFETCH(QByteArrayList, scritture);
        OpzioniSimulatore opzioni;
        for (const QByteArray &testo : guasti) {
            QString errore;
            const std::optional<Guasto> guasto = leggi_guasto(testo, errore);
            QVERIFY2(guasto, qPrintable(errore));
            opzioni.guasti.append(*guasto);
        }
        SimulatoreModulo simulatore(opzioni);
        QVERIFY2(simulatore.listen(QHostAddress::LocalHost, 0), qPrintable(simulatore.errorString()));
        QSignalSpy scritto(&simulatore, &SimulatoreModulo::risposta_inviata);
        QTcpSocket cliente;
        cliente.connectToHost(QHostAddress::LocalHost, simulatore.serverPort());
        QVERIFY2(cliente.waitForConnected(5000), qPrintable(cliente.errorString()));
        cliente.write(comandi);
        QByteArray ricevuto;
        connect(&cliente, &QTcpSocket::readyRead, this, [&] { ricevuto += cliente.readAll(); });
        QTRY_COMPARE(ricevuto, scritture.join());
        QByteArrayList pezzi;
        for (const QList<QVariant> &argomenti : std::as_const(scritto))
            pezzi.append(argomenti.first().toByteArray());
        QCOMPARE(pezzi, scritture);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
