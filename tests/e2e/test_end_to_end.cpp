#include "link/command_channel.h"
#include "programming/updater.h"
#include "sim/module_simulator.h"
#include "tests/support/recorded_report.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray immagine(int lunghezza, quint32 seme)
{
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (int i = 0; i < lunghezza; ++i)
        dati[i] = char((i * 131 + seme * 17 + i / 256) % 256);
    return dati;
}

} // namespace

// Whole updates by the engine over TCP, against the simulator on loopback.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void update_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<QList<Guasto>>("guasti");
        QTest::addColumn<bool>("stazione");
        QTest::newRow("t, 64 KB") << 't' << 64 * 1024 << QList<Guasto>{} << false;
        QTest::newRow("s, past 256 pages") << 's' << 300 * 256 + 77 << QList<Guasto>{} << false;
        QTest::newRow("W, from station mode") << 'W' << 5000 << QList<Guasto>{} << true;
        QTest::newRow("faults that cost retries only")
            << 's' << 3000
            << QList<Guasto>{{"PGP", 3, Guasto::Tipo::Risposta, "C", 0},
                             {"PGP", 6, Guasto::Tipo::NessunaRisposta, {}, 0},
                             {"PGP", 9, Guasto::Tipo::Dividi, {}, 0},
                             {"FWI", 1, Guasto::Tipo::Dividi, {}, 20},
                             {"PGS", 2, Guasto::Tipo::Ritardo, {}, 300}}
            << false;
    }
    void update()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QFETCH(QList<Guasto>, guasti);
        QFETCH(bool, stazione);

        OpzioniSimulatore opzioni;
        opzioni.guasti = guasti;
        opzioni.modo = stazione ? OpzioniSimulatore::Modo::Stazione : OpzioniSimulatore::Modo::AccessPoint;
        SimulatoreModulo sim(opzioni);
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        CanaleComandi canale;
        RapportoRegistrato rapporto;
        // In station mode the module is first reached at another address,
        // then at its Access Point address once switched.
        Aggiornatore aggiornatore(canale, rapporto, QLatin1String(stazione ? "localhost" : "127.0.0.1"),
                                  sim.serverPort());
        aggiornatore.imposta_indirizzo(QStringLiteral("127.0.0.1"));
        rapporto.password = {QStringLiteral("40718253")};
        rapporto.risposte = {risposta_si, risposta_si};
        aggiornatore.connetti();
        if (stazione) {
            QCOMPARE(sim.comandi("MOP=").size(), 1);
            QTRY_COMPARE(sim.opzioni().modo, OpzioniSimulatore::Modo::AccessPoint);
            aggiornatore.connetti();
        }

        QTemporaryDir cartella;
        const QByteArray dati = immagine(lunghezza, quint32(cpu));
        QFile file(cartella.filePath("FW.BIN"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\0?\0\0\x01\x03\x01\x00\0KR01\0\0", 15).replace(1, 1, QByteArray(1, cpu)) + dati);
        file.close();
        aggiornatore.apri(file.fileName());
        aggiornatore.identifica();
        aggiornatore.trasferisci();
        aggiornatore.aggiorna();

        QCOMPARE(rapporto.stati.last(), QStringLiteral("Programmazione avviata..."));
        QCOMPARE(rapporto.messaggi.last(), QStringLiteral("Aggiornamento|Aggiornamento terminato."));
        QVERIFY(sim.ultima_verifica_ok());
        QByteArray attesa = dati;
        attesa.resize((dati.size() + 255) / 256 * 256, '\xFF');
        QCOMPARE(sim.flash(), attesa);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
