// The simulator's faults: how --fault is read, and what a cut reply puts on
// the wire, against the simulator on a free port of 127.0.0.1.

#include "sim/fault_option.h"
#include "sim/module_simulator.h"

#include <QHash>
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
        QTest::addColumn<QString>("letto"); // command, occurrence, kind, reply, ms and bytes; or the error
        const auto riga = [](const char *nome, const char *testo, const char *letto) {
            QTest::newRow(nome) << QByteArray(testo) << QString::fromLatin1(letto);
        };
        riga("cut: bytes at once, milliseconds before the rest", "FWI:cut:6,700", "FWI 0 cut - 700 6");
        riga("reply with an escape", "PGP#3:reply:\\x43", "PGP 3 reply C 0 0");
        riga("none of the challenge", "PAS?:none", "PAS? 0 none - 0 0");
        riga("cut without its argument", "FWI:cut",
             "cut needs BYTES,MS: the bytes sent at once and the milliseconds before the rest");
        riga("cut, negative milliseconds", "FWI:cut:6,-1", "milliseconds must be a number from 0");
        riga("an unknown kind", "FWI:chop:6,700", "unknown kind \"chop\"");
        riga("no kind", "FWI", "expected HEAD[#N]:KIND[:ARG]");
    }
    void reading()
    {
        QFETCH(QByteArray, testo);
        QString letto;
        const std::optional<Guasto> g = leggi_guasto(testo, letto);
        static const QHash<Guasto::Tipo, QString> tipi{{Guasto::Tipo::Taglia, "cut"}, {Guasto::Tipo::Dividi, "split"},
                                                       {Guasto::Tipo::Risposta, "reply"},
                                                       {Guasto::Tipo::NessunaRisposta, "none"}};
        if (g)
            letto = QStringLiteral("%1 %2 %3 %4 %5 %6")
                        .arg(QString::fromLatin1(g->comando))
                        .arg(g->occorrenza)
                        .arg(tipi.value(g->tipo, "?"), g->risposta.isEmpty() ? "-" : QString::fromLatin1(g->risposta))
                        .arg(g->ritardo_ms)
                        .arg(g->taglio);
        QTEST(letto, "letto");
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
