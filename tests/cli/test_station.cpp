// kestra-flash as a process against kestra-sim, as an unattended station
// runs it, with the update history in a temporary data folder.

#include "tests/cli/json_events.h"
#include "testing/files.h"
#include "testing/programs.h"
#include "testing/simulator_process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

namespace {

const QString perso = QStringLiteral("header connected identity erase progress erased error done");
const QByteArray grande = firmware_integro('s', dati_di_prova(60000));
const QByteArray interrotto = "Interrupted.\nThe device is erased and must be updated again.\nkestra-flash: exit ";

struct Caso
{
    const char *nome;
    QStringList simulatore{}, opzioni{};
    QByteArray file = firmware_integro('s', dati_di_prova(20000)); // firmware 2.13, the simulator's device 2.15
    int codice = 0;                                                // -1: it did not end by itself
    QString eventi = fatto;
    QString record = QStringLiteral("completed"); // their classes, newest first: "-" not completed, "+" erased
    QByteArray errori{};                          // on standard error
    QByteArray nel_registro{};                    // in the transcript
    int segnale = 0;                              // sent at the first progress event
    int simulatore_dopo_ms = 0;                   // it starts so late; -1: never
    bool storico_danneggiato = false;
};

const Caso casi[] = {
    {.nome = "t", .file = firmware_integro('t', dati_di_prova(3000))},
    {.nome = "W", .file = firmware_integro('W', dati_di_prova(12345))},
    {.nome = "faults that cost resends only",
     .simulatore = {"--fault", "PGP#3:reply:C", "--fault", "FWI:split:5", "--fault", "PGS:delay:300"},
     .nel_registro = "<- 43"},
    // A reply that never comes is owed for good: the transfer fails, it is never judged a success.
    {.nome = "a half page never answered", .simulatore = {"--fault", "PGP#6:none"}, .codice = 9, .eventi = perso,
     .record = "transfer+"},
    {.nome = "the link lost during the transfer", .simulatore = {"--fault", "PGP#6:drop-before"}, .codice = 9,
     .eventi = perso, .record = "transfer+", .nel_registro = "-> 50 47 50"},
    // In station mode the device is out of reach until the password is accepted (here the challenge is lost on
    // its way, so none is sent).
    {.nome = "station, challenge lost", .simulatore = {"--mode", "station", "--fault", "PAS?:none"}, .codice = 7,
     .eventi = "header connected error done", .record = "", .nel_registro = "-> 46 57 49"},
    {.nome = "station, wrong password", .simulatore = {"--mode", "station"},
     .opzioni = {"--ap-address", "127.0.0.2", "--password", "sbagliata"}, .codice = 5,
     .eventi = "header connected challenge error done", .record = "", .nel_registro = "-> PAS=***"},
    {.nome = "--retries after a dropped link", .simulatore = {"--fault", "PGP#30:drop-before"},
     .opzioni = {"--retries", "2"}, .eventi = "header connected identity erase progress retry " + fatto.sliced(7),
     .record = "completed transfer+", .errori = "\nTrying again (2 of 3): the device is erased.\n"},
    {.nome = "--wait, the module comes late", .opzioni = {"--wait", "20"}, .simulatore_dopo_ms = 1500},
    {.nome = "--wait, the module never comes", .opzioni = {"--wait", "1"}, .codice = 4, .eventi = "header error done",
     .record = "", .simulatore_dopo_ms = -1},
    {.nome = "a damaged history: told, the update goes on", .eventi = "warning " + fatto,
     .errori = "kestra-flash: history ", .storico_danneggiato = true},
    {.nome = "--skip-if-current, the same version", .simulatore = {"--minor", "0x13"}, .opzioni = {"--skip-if-current"},
     .eventi = "header connected identity done", .record = "skipped",
     .errori = "The device is already at firmware 2.13: nothing was erased."},
    {.nome = "--skip-if-current, another version", .opzioni = {"--skip-if-current"}},
    // 0x1A: "2.110" in the file's label, "2.1A" in the device's; the same byte.
    {.nome = "--skip-if-current, a nibble above 9: the bytes compared", .simulatore = {"--minor", "0x1A"},
     .opzioni = {"--skip-if-current"}, .file = firmware_integro('s', dati_di_prova(20000)).replace(7, 1, "\x1A"),
     .eventi = "header connected identity done", .record = "skipped",
     .errori = "The device is already at firmware 2.1A: nothing was erased."},
    {.nome = "SIGINT during the transfer", .simulatore = {"--write-ms", "5"}, .file = grande, .codice = 130,
     .eventi = perso, .record = "interrupted+", .errori = interrotto + "130", .segnale = SIGINT},
    {.nome = "SIGTERM during the transfer", .simulatore = {"--write-ms", "5"}, .file = grande, .codice = 143,
     .eventi = perso, .record = "interrupted+", .errori = interrotto + "143", .segnale = SIGTERM},
    {.nome = "killed during the transfer", .simulatore = {"--write-ms", "5"}, .file = grande, .codice = -1,
     .eventi = "header connected identity erase progress", .record = "-+", .segnale = SIGKILL},
};

// kestra-flash to its end, its history and transcript in `cartella`; `durante` acts on it once started. Its exit
// code (-1: it did not end by itself), its standard output and error.
std::tuple<int, QByteArray, QByteArray> flash(const QString &cartella, const QStringList &opzioni,
                                              const std::function<void(QProcess &)> &durante = {})
{
    QProcess flash;
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("XDG_DATA_HOME"), cartella);
    flash.setProcessEnvironment(ambiente);
    flash.start(kestra_flash(), QStringList{"--json", "--yes", "--language", "en", "-a", "127.0.0.1", "--ap-address",
                                            "127.0.0.1", "--log", cartella + "/kestra.log"} + opzioni);
    if (durante)
        durante(flash);
    const bool finito = flash.waitForFinished(30000) && flash.exitStatus() == QProcess::NormalExit;
    return {finito ? flash.exitCode() : -1, flash.readAllStandardOutput(), flash.readAllStandardError()};
}

} // namespace

class TestStation : public QObject
{
    Q_OBJECT

private slots:
    void end_to_end_data()
    {
        QTest::addColumn<Caso>("caso");
        for (const Caso &caso : casi)
            QTest::newRow(caso.nome) << caso;
    }
    void end_to_end()
    {
        QFETCH(Caso, caso);
        QTemporaryDir dati;
        if (caso.storico_danneggiato && QDir(dati.path()).mkpath("kestra-updater"))
            scrivi_file(dati.filePath("kestra-updater/history.sqlite"), QByteArray(4096, 'x'));
        QTcpServer libera; // a port nothing listens on now
        QVERIFY2(libera.listen(QHostAddress::LocalHost), "no free port");
        const quint16 porta = libera.serverPort();
        libera.close();
        std::optional<ProcessoSimulatore> sim;
        caso.simulatore << "--save-image" << dati.filePath("received.bin");
        const auto avvia = [&] { sim.emplace(caso.simulatore, porta); };
        if (caso.simulatore_dopo_ms == 0)
            avvia();
        const auto durante = [&](QProcess &processo) {
            if (caso.simulatore_dopo_ms > 0) {
                QTest::qWait(caso.simulatore_dopo_ms);
                avvia();
            }
            while (caso.segnale && !processo.peek(1 << 20).contains("progress") && processo.waitForReadyRead(10000)) {
            }
            QVERIFY2(!caso.segnale || ::kill(processo.processId(), caso.segnale) == 0, "it ended before the signal");
        };
        const QStringList stazione{"-p", QString::number(porta), "--station", "banco-7", "--unit", "SN 42"};
        const QString firmware = scrivi_file(dati.filePath("FW.BIN"), caso.file);
        const auto [codice, uscita, errori]
            = flash(dati.path(), caso.opzioni + stazione + QStringList{firmware}, durante);
        QCOMPARE(codice, caso.codice);
        QHash<QString, QJsonObject> e;
        QCOMPARE(eventi(uscita, e), caso.eventi);
        const QJsonObject done = e.value("done");
        const QString classe = caso.codice ? e.value("error")["class"].toString() : caso.record.section(u' ', 0, 0);
        QCOMPARE(done["skipped"].toBool(), classe == "skipped");
        QVERIFY2(errori.contains(caso.errori) && (codice <= 0 || errori.endsWith(
                     QStringLiteral("kestra-flash: exit %1 (%2)\n").arg(codice).arg(classe).toUtf8())),
                 errori.constData());
        // The pages in events, and as the simulator verified and kept them.
        const QByteArray pagine = a_pagine_intere(caso.file.sliced(15));
        QCOMPARE(leggi_file(dati.filePath("received.bin")), e.contains("verified") ? pagine : QByteArray("(none)"));
        if (e.contains("verified"))
            QCOMPARE((QList<qint64>{e["erase"]["block"].toInteger(), e["progress"]["bytes"].toInteger(),
                                    e["progress"]["total"].toInteger(), e["progress"]["percent"].toInteger()}),
                     (QList<qint64>{e["erase"]["of"].toInteger(), pagine.size(), pagine.size(), 100}));
        // The transcript: the run named, each line the milliseconds since the start, the way and the bytes, the
        // result last; never the password.
        const QByteArray registro = leggi_file(dati.filePath("kestra.log"));
        const QString fine = codice < 0 ? "" : QStringLiteral("# exit %1 \\(%2\\)\n").arg(codice).arg(classe);
        const QString forma = QStringLiteral("^# \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ  kestra-flash "
                                             "\\d+\\.\\d+\\.\\d+  127\\.0\\.0\\.1:%1  FW\\.BIN\n"
                                             "( +\\d+\\.\\d{3} ms (->|<-|--) [^\n]+\n)+%2$").arg(porta).arg(fine);
        QVERIFY2(QRegularExpression(forma).match(registro).hasMatch() && registro.contains(caso.nel_registro)
                     && !registro.contains("sbagliata") && !registro.contains(QByteArray("sbagliata").toHex(' ')),
                 registro.constData());
        const QByteArray rinvii = ' ' + QByteArray::number(done["resends"].toInt()) + " half pages sent again";
        QVERIFY2(!e.contains("transferred") || sim->uscita("sent again").contains(rinvii), "not the simulator's count");
        const QString scritti = QStringLiteral("\nWrote %1 bytes in \\d+\\.\\d s \\(\\d+\\.\\d KB/s\\),%2\n")
                                    .arg(done["bytes"].toInteger()).arg(QString::fromUtf8(rinvii));
        QVERIFY2(QRegularExpression(scritti).match(QString::fromUtf8(errori)).hasMatch() == e.contains("transferred"),
                 errori.constData());

        // The records, newest first: their classes, "-" for one not completed, "+" for one that says erased; the
        // last one's fields as the run told them.
        QStringList classi;
        QList<QJsonValue> campi;
        const QByteArray listati = std::get<1>(flash(dati.path(), {"--history", "--station", "banco-7"}));
        for (const QByteArray &riga : listati.trimmed().split('\n')) {
            const QJsonObject r = QJsonDocument::fromJson(riga).object();
            if (r.isEmpty())
                continue;
            classi.append((r["completed"].isString() ? r["class"].toString() : "-")
                          + (r["erased"].toBool() ? "+" : ""));
            if (campi.isEmpty())
                campi = {r["front_end"], r["station"], r["unit"], r["file"], r["file_sha256"], r["port"], r["resends"],
                         r["exit_code"]};
        }
        QCOMPARE(classi.join(u' '), caso.record);
        const QString sha256 = QCryptographicHash::hash(caso.file, QCryptographicHash::Sha256).toHex();
        if (!campi.isEmpty())
            QCOMPARE(campi, (QList<QJsonValue>{"cli", "banco-7", "SN 42", "FW.BIN", e.contains("erase") ? sha256 : "",
                                               porta, done["resends"].toInt(), codice < 0 ? QJsonValue() : codice}));
    }
};

QTEST_GUILESS_MAIN(TestStation)
#include "test_station.moc"
