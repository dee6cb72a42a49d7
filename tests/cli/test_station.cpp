// kestra-flash as an unattended station runs it, against kestra-sim, each a
// process of its own, with the update history in a temporary data folder.

#include "testing/programs.h"
#include "testing/files.h"
#include "testing/simulator_process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// A port of 127.0.0.1 that nothing listens on now.
quint16 porta_libera()
{
    QTcpServer prova;
    return prova.listen(QHostAddress::LocalHost, 0) ? prova.serverPort() : 0;
}

struct Stazione
{
    QTemporaryDir dati; // XDG_DATA_HOME: where the history is kept
    QString firmware = scrivi_file(dati.filePath("FW.BIN"), firmware_integro('s', dati_di_prova(20000)));

    void avvia(QProcess &flash, quint16 porta, const QStringList &opzioni) const
    {
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("XDG_DATA_HOME"), dati.path());
        flash.setProcessEnvironment(ambiente);
        flash.start(kestra_flash(),
                    QStringList{"--json", "--yes", "--language", "en", "-a", "127.0.0.1", "--ap-address", "127.0.0.1",
                                "-p", QString::number(porta)}
                        + opzioni);
    }

    // Runs kestra-flash to its end; its exit code, its JSON events by name and its standard error.
    int esegui(quint16 porta, const QStringList &opzioni, QHash<QString, QJsonObject> *eventi = nullptr,
               QByteArray *errori = nullptr) const
    {
        QProcess flash;
        avvia(flash, porta, opzioni);
        if (!flash.waitForFinished(60000))
            return -1;
        if (errori)
            *errori = flash.readAllStandardError();
        for (const QByteArray &riga : flash.readAllStandardOutput().split('\n')) {
            const QJsonObject evento = QJsonDocument::fromJson(riga).object();
            if (eventi && !evento.isEmpty())
                eventi->insert(evento.value("event").toString(), evento);
        }
        return flash.exitCode();
    }

    // The history, newest first.
    QList<QJsonObject> storico() const
    {
        QProcess flash;
        avvia(flash, 7999, {"--history"}); // the address and port are not used
        flash.waitForFinished();
        QList<QJsonObject> record;
        for (const QByteArray &riga : flash.readAllStandardOutput().split('\n')) {
            if (!riga.isEmpty())
                record.append(QJsonDocument::fromJson(riga).object());
        }
        return record;
    }
};

} // namespace

class TestStation : public QObject
{
    Q_OBJECT

private slots:
    void an_update_is_recorded_with_its_file_and_device()
    {
        Stazione stazione;
        ProcessoSimulatore sim({"--fault", "PGP#5:reply:C", "--board", "KR01"});
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QCOMPARE(stazione.esegui(sim.porta(), {stazione.firmware}), 0);
        const QList<QJsonObject> storico = stazione.storico();
        QCOMPARE(storico.size(), 1);
        const QJsonObject &r = storico.first();
        const QByteArray file = leggi_file(stazione.firmware);
        QCOMPARE((QStringList{r["front_end"].toString(), r["class"].toString(), r["file"].toString(),
                              r["firmware"].toString(), r["device_firmware"].toString(), r["crc16"].toString(),
                              r["file_sha256"].toString(), r["text"].toString()}),
                 (QStringList{"cli", "completed", "FW.BIN", "2.13", "2.15", r["crc16_stored"].toString(),
                              QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex(),
                              "Programming started..."}));
        QCOMPARE((QList<int>{r["exit_code"].toInt(), r["resends"].toInt(), r["pages"].toInt(), r["port"].toInt()}),
                 (QList<int>{0, 1, 79, sim.porta()}));
        QVERIFY2(r["completed"].isString() && !r["erased"].toBool(), "completed, and not left erased");
        QVERIFY2(QFile::exists(stazione.dati.filePath("kestra-updater/history.sqlite")), "no history in the window's data folder"); // the window's too
    }

    void a_damaged_history_is_told_and_the_update_goes_on()
    {
        Stazione stazione;
        QDir(stazione.dati.path()).mkpath("kestra-updater");
        scrivi_file(stazione.dati.filePath("kestra-updater/history.sqlite"), QByteArray(4096, 'x'));
        ProcessoSimulatore sim;
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QHash<QString, QJsonObject> eventi;
        QByteArray errori;
        QCOMPARE(stazione.esegui(sim.porta(), {stazione.firmware}, &eventi, &errori), 0);
        QVERIFY2(errori.contains("kestra-flash: history ") && errori.contains(" was damaged: moved aside"),
                 errori.constData());
        QVERIFY2(eventi["warning"]["text"].toString().startsWith("history "), qPrintable(eventi["warning"]["text"].toString()));
        QCOMPARE(stazione.storico().size(), 1);
    }

    void a_run_that_is_killed_leaves_a_record_not_completed()
    {
        Stazione stazione;
        ProcessoSimulatore sim({"--write-ms", "5"});
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QProcess flash;
        stazione.avvia(flash, sim.porta(), {stazione.firmware});
        QByteArray uscita;
        while (!uscita.contains("\"progress\"") && flash.waitForReadyRead(10000))
            uscita += flash.readAllStandardOutput();
        flash.kill();
        QVERIFY2(flash.waitForFinished(), "kestra-flash did not end");
        const QList<QJsonObject> storico = stazione.storico();
        QCOMPARE(storico.size(), 1);
        QVERIFY2(!storico.first()["completed"].toBool(), "a killed run is not completed");
        QVERIFY2(storico.first()["duration_ms"].isNull(), "a killed run has no duration");
        QVERIFY2(storico.first()["erased"].toBool(), "a killed run's record says the receiver may be erased");
    }

    void wait_for_a_module_that_comes_late()
    {
        Stazione stazione;
        const quint16 porta = porta_libera();
        QProcess flash;
        stazione.avvia(flash, porta, {"--wait", "20", stazione.firmware});
        QTest::qWait(2500); // two tries or so find nothing
        ProcessoSimulatore sim({}, porta);
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QVERIFY2(flash.waitForFinished(30000), "kestra-flash did not end");
        QCOMPARE(flash.exitCode(), 0);
        QVERIFY2(!flash.readAllStandardOutput().contains("\"warning\""), "a warning while the module was waited for");
    }

    void wait_gives_up_in_time()
    {
        Stazione stazione;
        QElapsedTimer orologio;
        orologio.start();
        QCOMPARE(stazione.esegui(porta_libera(), {"--wait", "2", stazione.firmware}), 4);
        QVERIFY2(orologio.elapsed() >= 2000, qPrintable(QStringLiteral("gave up after %1 ms").arg(orologio.elapsed())));
        QVERIFY2(stazione.storico().isEmpty(), "nothing was erased: no record"); // nothing was erased
    }

    void retries_after_a_link_dropped_once()
    {
        Stazione stazione;
        ProcessoSimulatore sim({"--fault", "PGP#30:drop-before"});
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QHash<QString, QJsonObject> eventi;
        QByteArray errori;
        QCOMPARE(stazione.esegui(sim.porta(), {"--retries", "2", stazione.firmware}, &eventi, &errori), 0);
        QVERIFY2(errori.contains("\nTrying again (2 of 3): the device is erased.\n"), errori.constData());
        QCOMPARE((QList<int>{eventi["retry"]["try"].toInt(), eventi["retry"]["of"].toInt()}), (QList<int>{2, 3}));
        const QList<QJsonObject> storico = stazione.storico();
        QCOMPARE(storico.size(), 2);
        QCOMPARE((QStringList{storico[0]["class"].toString(), storico[1]["class"].toString()}),
                 (QStringList{"completed", "transfer"}));
        QCOMPARE((QList<bool>{storico[0]["erased"].toBool(), storico[1]["erased"].toBool()}),
                 (QList<bool>{false, true}));
        QCOMPARE(storico[1]["exit_code"].toInt(), 9);
    }

    void skip_if_current_data()
    {
        QTest::addColumn<int>("file_minore"); // the file's minor version byte (two decimal digits)
        QTest::addColumn<QString>("minore");  // the device's minor version byte
        QTest::addColumn<QString>("versione"); // as the device's label shows it
        QTest::addColumn<bool>("saltato");
        QTest::newRow("the same version: nothing erased") << 0x13 << "0x13" << "2.13" << true;
        QTest::newRow("another version: updated") << 0x13 << "0x15" << "2.15" << false;
        // 0x1A: "2.110" in the file's label, "2.1A" in the device's; the same byte.
        QTest::newRow("a nibble above 9: the bytes are compared") << 0x1A << "0x1A" << "2.1A" << true;
    }
    void skip_if_current()
    {
        QFETCH(int, file_minore);
        QFETCH(QString, minore);
        QFETCH(QString, versione);
        QFETCH(bool, saltato);
        Stazione stazione;
        scrivi_file(stazione.firmware, leggi_file(stazione.firmware).replace(7, 1, QByteArray(1, char(file_minore))));
        ProcessoSimulatore sim({"--major", "2", "--minor", minore});
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QHash<QString, QJsonObject> eventi;
        QByteArray errori;
        QCOMPARE(stazione.esegui(sim.porta(), {"--skip-if-current", stazione.firmware}, &eventi, &errori), 0);
        QCOMPARE(eventi["done"]["skipped"].toBool(), saltato);
        QCOMPARE(errori.contains("The device is already at firmware " + versione.toUtf8() + ": nothing was erased."),
                 saltato);
        QCOMPARE(eventi.contains("erase"), !saltato);
        // The device left alone is in the books too, erased nothing.
        const QList<QJsonObject> storico = stazione.storico();
        QCOMPARE(storico.size(), 1);
        QCOMPARE(storico.first()["class"].toString(), saltato ? "skipped" : "completed");
        QCOMPARE(storico.first()["erased"].toBool(), false);
    }
};

QTEST_GUILESS_MAIN(TestStation)
#include "test_station.moc"
