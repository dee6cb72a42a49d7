#include "testing/simulator_process.h"
#include "cli/flash_run.h"
#include "cli/transcript.h"
#include "tests/engine/engine_bench.h"

#include <QBuffer>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

namespace {

using Script = QList<std::tuple<QByteArray, int, Risposta>>;
const QByteArray nessuna_risposta; // null: --yes, no questions asked

// The names of the JSON events, each run of one name once; `ultimi` gets the
// last event of each name.
QString eventi(const QByteArray &uscita, QHash<QString, QJsonObject> *ultimi = nullptr)
{
    QStringList nomi;
    for (const QByteArray &riga : uscita.split('\n')) {
        const QJsonDocument evento = QJsonDocument::fromJson(riga);
        const QString nome = evento.object().value("event").toString();
        if (!riga.isEmpty() && (evento.isNull() || nome.isEmpty()))
            return QStringLiteral("not an event: ") + riga;
        if (!riga.isEmpty() && (nomi.isEmpty() || nomi.last() != nome))
            nomi.append(nome);
        if (ultimi && !nome.isEmpty())
            ultimi->insert(nome, evento.object());
    }
    return nomi.join(u' ');
}

// An image of whole and half pages, as the simulator saves it: filled with 0xFF to a whole page.
QByteArray in_pagine(const QByteArray &dati)
{
    return dati + QByteArray((256 - dati.size() % 256) % 256, char(0xFF));
}

} // namespace

class TestFlash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qunsetenv("KESTRA_PASSWORD"); }

    void esito_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<QByteArray>("file"); // empty: no file argument
        QTest::addColumn<QByteArray>("alla_connessione");
        QTest::addColumn<Script>("script");
        QTest::addColumn<int>("errore_in_attesa"); // the link fails in this wait (from 1)
        QTest::addColumn<int>("ctrl_c_in_attesa");
        QTest::addColumn<QByteArray>("risposte"); // typed at the prompts
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("eventi");

        const QByteArray s = firmware('s', dati_di_prova(3000));
        const QStringList altrove{"-a", "module"};
        const QString fatto = "header connected identity erase progress transferred verified done";
        const auto riga = [&](const char *nome, QStringList opzioni, QByteArray file, Script script, int codice,
                              QString eventi, QByteArray alla_connessione = {}) {
            QTest::newRow(nome) << opzioni << file << alla_connessione << script << 0 << 0 << nessuna_risposta
                                << codice << eventi;
        };
        riga("updated", {}, s, {}, 0, fatto);
        riga("file missing", {QDir::tempPath() + "/missing/FW.BIN"}, {}, {}, 3, "error done");
        riga("bootloader 2.0", {}, firmware('s', "x", 2, 0), {}, 3, "header error done");
        riga("unknown CPU", {}, firmware('x', "x"), {}, 3, "header error done");
        riga("no data", {}, firmware('s', {}), {}, 3, "header error done");
        riga("too large for its CPU", {}, firmware('t', dati_di_prova(64 * 1024 + 1)), {}, 3, "header error done");
        riga("password refused", altrove, s, {{"PAS=", 0, CollegamentoScriptato::risposta("PAS=ERR")}}, 5,
             "header connected challenge error done", "PAS?");
        riga("password empty", altrove + QStringList{"--password="}, s, {}, 5,
             "header connected challenge error done", "PAS?");
        riga("not in Access Point mode", altrove, s, {}, 6, "header connected challenge error done", "PAS?");
        riga("switched to Access Point mode", altrove + QStringList{"--switch-to-ap"}, s, {}, 6,
             "header connected challenge error done", "PAS?");
        riga("identification unanswered", {}, s, {{"FWI", 0, CollegamentoScriptato::silenzio()}}, 7,
             "header connected error done");
        riga("identification unanswered elsewhere: no reset", altrove, s,
             {{"FWI", 0, CollegamentoScriptato::silenzio()}}, 7, "header connected error done");
        riga("erase refused", {}, s, {{"PGS", 2, CollegamentoScriptato::risposta("N")}}, 8,
             "header connected identity erase error done");
        riga("checksum refused three times", {}, s, {{"PGP", 0, CollegamentoScriptato::risposta("C")}}, 9,
             "header connected identity erase error done");
        riga("write failure", {}, s, {{"PGP", 3, CollegamentoScriptato::risposta("N")}}, 9,
             "header connected identity erase progress error done");
        riga("module closes the link", {}, s, {{"PGP", 5, {{}, true}}}, 9,
             "header connected identity erase progress error done");
        riga("CRC16 error", {}, s, {{"PGX", 0, CollegamentoScriptato::risposta("E")}}, 10,
             "header connected identity erase progress transferred error done");
        riga("verification unanswered", {}, s, {{"PGX", 0, CollegamentoScriptato::silenzio()}}, 10,
             "header connected identity erase progress transferred error done");
        riga("identify, no file", {"--identify"}, {}, {}, 0, "connected identity done");
        riga("identify, no information", {"--identify"}, {}, {{"FWI", 0, CollegamentoScriptato::risposta("FWI=???")}},
             7, "connected error done");
        riga("reset acknowledged", {"--reset"}, {}, {}, 0, "connected done");
        riga("reset unanswered", {"--reset"}, {}, {{"RST!", 0, CollegamentoScriptato::silenzio()}}, 1,
             "connected error done");
        riga("check only", {"--check"}, s, {}, 0, "header done");
        riga("a warning, then the update", {}, firmware('W', dati_di_prova(300)),
             {{"FWI", 0, CollegamentoScriptato::risposta("FWI=???")}}, 0,
             "header connected warning erase progress transferred verified done");
        QTest::newRow("refused at the Access Point: seen while identifying")
            << QStringList{} << s << QByteArray() << Script{} << 1 << 0 << nessuna_risposta << 4
            << "header connected error done";
        QTest::newRow("link broken during the transfer") << QStringList{} << s << QByteArray() << Script{} << 6 << 0
            << nessuna_risposta << 9 << "header connected identity erase progress error done";
        QTest::newRow("Ctrl-C during the transfer") << QStringList{} << s << QByteArray() << Script{} << 0 << 6
            << nessuna_risposta << 130 << "header connected identity erase progress error done";
        QTest::newRow("no terminal, no --yes") << QStringList{} << s << QByteArray() << Script{} << 0 << 0
            << QByteArray("") << 2 << "error done";
        QTest::newRow("erase declined") << QStringList{} << s << QByteArray() << Script{} << 0 << 0
            << QByteArray("n\n") << 1 << "header connected identity error done";
        QTest::newRow("both questions answered yes") << QStringList{} << s << QByteArray() << Script{} << 0 << 0
            << QByteArray("y\nsì\n") << 0 << fatto;
    }
    void esito()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, alla_connessione);
        QFETCH(Script, script);
        QFETCH(int, errore_in_attesa);
        QFETCH(int, ctrl_c_in_attesa);
        QFETCH(QByteArray, risposte);

        Motore banco; // for its folder
        QStringList argomenti{"kestra-flash", "--json", "--language", "it", "-a", ap, "--ap-address", ap};
        if (risposte.isNull())
            argomenti.append("--yes");
        argomenti += opzioni;
        if (!file.isEmpty())
            argomenti.append(banco.scrivi_firmware(file));
        const Richiesta richiesta = leggi_opzioni(argomenti);
        QVERIFY2(richiesta.opzioni, qPrintable(richiesta.testo));

        CollegamentoScriptato link;
        if (!alla_connessione.isEmpty())
            link.alla_connessione = {{1, alla_connessione}};
        for (const auto &[testa, occorrenza, risposta] : script)
            link.script(testa, occorrenza, risposta);
        QByteArray uscita, errori;
        QBuffer canale_uscita(&uscita), canale_errori(&errori), ingresso(&risposte);
        for (QBuffer *canale : {&canale_uscita, &canale_errori, &ingresso})
            canale->open(QIODevice::ReadWrite);
        Console console({canale_uscita, canale_errori, ingresso}, {true, false, !risposte.isEmpty(), 0});
        Esecuzione esecuzione(*richiesta.opzioni, link, console);
        link.durante_attesa = [&](int n) {
            if (n == errore_in_attesa) {
                emit link.errore();
                link.chiudi();
            }
            if (n == ctrl_c_in_attesa)
                esecuzione.interrompi();
        };
        QTEST(esecuzione.esegui(), "codice");
        QHash<QString, QJsonObject> ultimi;
        QTEST(eventi(uscita, &ultimi), "eventi");
        QVERIFY(!ultimi.contains("error") || !ultimi["error"]["text"].toString().isEmpty());
        // Only away from the Access Point is the module's first data waited for.
        QCOMPARE(std::any_of(link.attese.begin(), link.attese.end(), [](const Attesa &a) { return a.timer == 2; }),
                 opzioni.contains("module"));
        QVERIFY(!uscita.contains("40718253") && !errori.contains("40718253"));
        QCOMPARE(link.comandi.contains("RST!"), opzioni.contains("--reset")); // never a reset nobody asked for
        if (ctrl_c_in_attesa)
            QCOMPARE(link.comandi.size(), ctrl_c_in_attesa); // the command of that wait is the last
    }

    void a_module_out_of_reach_is_a_connection_failure_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<QList<Attesa>>("attese");
        const Attesa collegamento{1, 5000, 5000};
        const QList<Attesa> altrove{{2, 5000, 5000}, collegamento};
        QTest::newRow("update at the Access Point") << QStringList{"firmware"} << QList<Attesa>{collegamento};
        QTest::newRow("update elsewhere") << QStringList{"firmware", "-a", "module"} << altrove;
        QTest::newRow("identify") << QStringList{"--identify"} << QList<Attesa>{collegamento};
        QTest::newRow("reset at the Access Point") << QStringList{"--reset"} << QList<Attesa>{collegamento};
        QTest::newRow("reset elsewhere") << QStringList{"--reset", "-a", "module"} << altrove;
    }
    void a_module_out_of_reach_is_a_connection_failure()
    {
        QFETCH(QStringList, opzioni);
        Motore banco; // for its folder
        QStringList argomenti{"kestra-flash", "--json", "--yes", "--language", "en", "-a", ap, "--ap-address", ap};
        if (opzioni.removeAll("firmware"))
            argomenti.append(banco.scrivi_firmware(firmware('s', dati_di_prova(300))));
        const Richiesta richiesta = leggi_opzioni(argomenti + opzioni);
        QVERIFY2(richiesta.opzioni, qPrintable(richiesta.testo));

        CollegamentoScriptato link;
        link.mai_collegato = true;
        QByteArray uscita, errori, ingresso, registro;
        QBuffer canale_uscita(&uscita), canale_errori(&errori), canale_ingresso(&ingresso), canale_registro(&registro);
        for (QBuffer *canale : {&canale_uscita, &canale_errori, &canale_ingresso, &canale_registro})
            canale->open(QIODevice::ReadWrite);
        Trascrizione trascrizione(link, canale_registro);
        Console console({canale_uscita, canale_errori, canale_ingresso}, {true, false, false, 1});
        Esecuzione esecuzione(*richiesta.opzioni, link, console);

        QCOMPARE(esecuzione.esegui(), 4);
        QVERIFY(link.comandi.isEmpty());
        QTEST(link.attese, "attese");
        const QString indirizzo = richiesta.opzioni->indirizzo + QStringLiteral(":7999");
        QVERIFY2(errori.contains(indirizzo.toUtf8()), errori.constData());
        QVERIFY2(!errori.contains("Cloud"), errori.constData()); // no offer to reset a module never reached
        QVERIFY2(registro.endsWith(" ms -- connection failed\n") && !registro.contains("->"), registro.constData());
    }

    void on_a_terminal_a_progress_bar_and_questions()
    {
        QByteArray uscita, errori, ingresso("sì\nno\n");
        QBuffer canale_uscita(&uscita), canale_errori(&errori), canale_ingresso(&ingresso);
        for (QBuffer *canale : {&canale_uscita, &canale_errori, &canale_ingresso})
            canale->open(QIODevice::ReadWrite);
        Console console({canale_uscita, canale_errori, canale_ingresso}, {false, true, true, 1});
        console.barra("transfer", 64, 3 * 1024 * 1024, 200 * 1024);
        console.barra("transfer", 70, 1, 200 * 1024); // too soon after the last: not drawn
        console.barra("transfer", 100, 0, 0);         // nothing left: drawn at once
        console.avviso("done");
        QCOMPARE(errori, QByteArray("\rtransfer       [###################...........]  64%  200.0 KB/s  0:16 left"
                                    "\rtransfer       [##############################] 100%" + QByteArray(23, ' ')
                                    + "\ndone\n"));
        QVERIFY(console.chiedi("Erase?"));
        QVERIFY(!console.chiedi("Update?"));
        QVERIFY(errori.endsWith("Erase? [y/N] Update? [y/N] "));
        console.risultato("identity", {{"firmware", "2.15", "Firmware: v.2.15"}, {"board", "KR01", "Board: KR01"}});
        QCOMPARE(uscita, QByteArray("Firmware: v.2.15  Board: KR01\n"));
    }

    void help_version_and_usage()
    {
        const std::tuple<QStringList, int, const char *> casi[] = {
            {{"--help"}, 0, "\n  130  interrupted by Ctrl-C\n"},
            {{"--help"}, 0, "The firmware file, to update or to --check."},
            {{"--version"}, 0, "kestra-flash "},
            {{"--bogus"}, 2, "Try 'kestra-flash --help'."}, {{}, 2, "kestra-flash: "},
        };
        for (const auto &[opzioni, codice, testo] : casi) {
            const Richiesta richiesta = leggi_opzioni(QStringList{"kestra-flash"} + opzioni);
            QVERIFY(!richiesta.opzioni);
            QCOMPARE(richiesta.codice, codice);
            QVERIFY2(richiesta.testo.contains(QLatin1String(testo)), qPrintable(richiesta.testo));
        }
    }

    // kestra-flash itself against kestra-sim, each a process of its own.
    void di_processo()
    {
        const QString fatto = "header connected identity erase progress transferred verified done";
        const QByteArray s = firmware('s', dati_di_prova(5000));
        const QStringList nessuna;
        // The simulator's options, kestra-flash's, the file, the exit code, the events, a line of the transcript.
        const std::tuple<QStringList, QStringList, QByteArray, int, QString, QByteArray> casi[] = {
            {nessuna, nessuna, firmware('t', dati_di_prova(3000)), 0, fatto, "<- 41"},
            {nessuna, nessuna, firmware('s', dati_di_prova(3000)), 0, fatto, "<- 41"},
            {nessuna, nessuna, firmware('W', dati_di_prova(12345)), 0, fatto, "<- 41"},
            {nessuna, {"--ap-address", "127.0.0.2"}, s, 0, fatto, "<- 41"}, // a module silent for the first 5 s
            {{"--fault", "PGP#3:reply:C", "--fault", "FWI:split:20", "--fault", "PGS:delay:300"},
             nessuna, s, 0, fatto, "<- 43"}, // faults that cost retries only
            // A module on a slow link: replies in order, 2 ms a half page, one stall of up to 2.5 s.
            {{"--write-ms", "2", "--fault", "PGP#30:stall:2500"}, nessuna, s, 0, fatto, "(late"},
            {{"--write-ms", "2", "--fault", "PGP#7:stall:1500", "--fault", "PGX:reply:E"}, nessuna, s, 10,
             "header connected identity erase progress transferred error done", "(late"},
            // A reply that never comes is owed for good: the transfer fails, it is never judged a success.
            {{"--fault", "PGP#6:none"}, nessuna, s, 9, "header connected identity erase progress error done", ""},
            // In station mode the device is out of reach until the password is accepted (here the
            // challenge is lost on its way, so none is sent).
            {{"--mode", "station", "--fault", "PAS?:none"}, nessuna, s, 7, "header connected error done", "-> 46 57 49"},
            {{"--mode", "station"}, {"--ap-address", "127.0.0.2", "--password", "sbagliata"}, s, 5,
             "header connected challenge error done", "-> PAS=***"},
            {nessuna, nessuna, firmware('s', "x", 2, 0), 3, "header error done", ""},
            {{"--fault", "PGP:reply:C"}, nessuna, s, 9, "header connected identity erase error done", "<- 43"},
            {{"--fault", "PGP#5:drop-before"}, nessuna, s, 9, "header connected identity erase progress error done", ""},
        };
        for (const auto &[simulatore, opzioni, file, codice, attesi, nel_registro] : casi) {
            Motore banco; // for its folder
            const QString immagine = banco.cartella.filePath("received.bin");
            const QString registro = banco.cartella.filePath("kestra.log");
            ProcessoSimulatore sim;
            QString errore;
            QVERIFY2(sim.avvia(errore, simulatore + QStringList{"--save-image", immagine}), qPrintable(errore));
            QProcess flash;
            flash.start(QCoreApplication::applicationDirPath() + "/kestra-flash",
                        QStringList{"--json", "--yes", "-a", "127.0.0.1", "--ap-address", "127.0.0.1", "-p",
                                    QString::number(sim.porta()), "--log", registro}
                            + opzioni + QStringList{banco.scrivi_firmware(file)});
            QVERIFY(flash.waitForFinished(30000));
            QCOMPARE(flash.exitCode(), codice);
            QHash<QString, QJsonObject> ultimi;
            QCOMPARE(eventi(flash.readAllStandardOutput(), &ultimi), attesi);
            const QByteArray pagine = in_pagine(file.sliced(lunghezza_intestazione));
            if (codice == 0) {
                const QJsonObject erase = ultimi["erase"], progress = ultimi["progress"];
                QCOMPARE(ultimi["header"]["cpu"].toString(), QString(QChar(file[1])));
                QCOMPARE((QList<qint64>{erase["block"].toInteger(), progress["bytes"].toInteger(),
                                        progress["total"].toInteger(), progress["percent"].toInteger()}),
                         (QList<qint64>{erase["of"].toInteger(), pagine.size(), pagine.size(), 100}));
                QCOMPARE(ultimi["identity"]["date"].toString(), QStringLiteral("05.03.18"));
            }
            const QByteArray righe = leggi_file(registro);
            QVERIFY2(righe.contains(nel_registro), righe.constData());
            // Each line: the milliseconds since the start, right-aligned, then the way and the bytes.
            QVERIFY(righe.isEmpty()
                    || QRegularExpression("^[ \\d]{6}\\d\\.\\d{3} ms (->|<-|--) \\S", QRegularExpression::MultilineOption)
                           .match(righe).hasMatch());
            QVERIFY(!righe.contains("sbagliata") && !righe.contains(QByteArray("sbagliata").toHex(' ')));
            // The simulator keeps what it verified, also when a fault changes its verdict.
            const bool verificata = codice == 0 || simulatore.join(u' ').contains("PGX:reply:");
            QCOMPARE(leggi_file(immagine), verificata ? pagine : QByteArray("(none)"));
        }
        QProcess versione;
        versione.start(QCoreApplication::applicationDirPath() + "/kestra-flash", {"--version"});
        QVERIFY(versione.waitForFinished());
        QVERIFY(QRegularExpression("^kestra-flash \\d+\\.\\d+\\.\\d+\n$").match(versione.readAll()).hasMatch());
    }
};

QTEST_GUILESS_MAIN(TestFlash)
#include "test_flash.moc"
