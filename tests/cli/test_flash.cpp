#include "testing/programs.h"
#include "cli/outcomes.h"
#include "cli/run.h"
#include "cli/transcript.h"
#include "history/history_db.h"
#include "tests/engine/engine_bench.h"
#include "testing/simulator_process.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <csignal>

#include <sys/stat.h>

namespace {

using Script = QList<std::tuple<QByteArray, int, Replica>>;
const QByteArray nessuna_risposta; // null: --yes, no questions asked
const QString fatto = QStringLiteral("header connected identity erase progress transferred verified done");

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

// The programming commands of a transcript that left again, identical to
// one that left before: the half pages sent again.
int comandi_ripetuti(const QByteArray &registro)
{
    QSet<QByteArray> inviati;
    int ripetuti = 0;
    for (const QByteArray &riga : registro.split('\n')) {
        const qsizetype inizio = riga.indexOf(" ms -> 50 47 ");
        if (inizio < 0)
            continue;
        const QByteArray comando = riga.sliced(inizio);
        ripetuti += inviati.contains(comando);
        inviati.insert(comando);
    }
    return ripetuti;
}

// kestra-flash on the scripted link, its standard output, error and input in memory.
struct Corsa
{
    Corsa(const QStringList &opzioni, QByteArray risposte = nessuna_risposta, int lingua = 0)
        : ingresso(std::move(risposte))
    {
        QStringList argomenti{"kestra-flash", "--json", "--language", lingua == 0 ? "it" : "en", "-a", ap,
                              "--ap-address", ap};
        if (ingresso.isNull())
            argomenti.append("--yes");
        const Richiesta richiesta = leggi_opzioni(argomenti + opzioni);
        if (!richiesta.opzioni)
            qFatal("%s", qPrintable(richiesta.testo));
        opzioni_lette = *richiesta.opzioni;
        for (QBuffer *canale : {&canale_uscita, &canale_errori, &canale_ingresso, &canale_registro})
            canale->open(QIODevice::ReadWrite);
        modo.lingua = lingua;
    }

    int esegui()
    {
        Trascrizione trascrizione(link, canale_registro);
        Console console({canale_uscita, canale_errori, canale_ingresso}, modo);
        Esecuzione esecuzione(opzioni_lette, link, console, {&storico});
        link.durante_attesa = [&](int n) {
            if (n == errore_in_attesa) {
                emit link.errore();
                link.chiudi();
                link.mai_collegato = modulo_perso;
            }
            if (n == segnale_in_attesa.first)
                esecuzione.interrompi(segnale_in_attesa.second);
            if (!link.comandi.isEmpty() && link.comandi.last().startsWith("PGX"))
                for (int segnale = 0; segnale < segnali_al_verdetto; ++segnale)
                    esecuzione.interrompi(SIGTERM, segnale > 0);
        };
        return esecuzione.esegui();
    }

    QByteArray uscita, errori, ingresso, registro;
    QBuffer canale_uscita{&uscita}, canale_errori{&errori}, canale_ingresso{&ingresso}, canale_registro{&registro};
    Console::Modo modo{true, false, true, 0};
    Opzioni opzioni_lette;
    CollegamentoScriptato link;
    QTemporaryDir dati;
    StoricoSqlite storico{dati.filePath("history.sqlite"), [](const QString &avviso) { QFAIL(qPrintable(avviso)); }};
    int errore_in_attesa = 0;                 // the link fails in this wait (from 1)
    bool modulo_perso = false;                // and the module is never reached again
    int segnali_al_verdetto = 0;              // SIGTERMs while the verdict is on its way
    std::pair<int, int> segnale_in_attesa{0, 0}; // this wait, this signal
};

// The rows of kestra-flash run against kestra-sim, each a process of its own.
void righe_di_processo()
{
    QTest::addColumn<QStringList>("simulatore");
    QTest::addColumn<QStringList>("opzioni");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("codice");
    QTest::addColumn<QString>("eventi");
    QTest::addColumn<QByteArray>("nel_registro"); // a line of the transcript

    const QByteArray s = firmware_integro('s', dati_di_prova(5000));
    const QString perso = QStringLiteral("header connected identity erase progress erased error done");
    const auto riga = [](const char *nome, QStringList simulatore, QStringList opzioni, QByteArray file, int codice,
                         QString eventi, QByteArray nel_registro) {
        QTest::newRow(nome) << simulatore << opzioni << file << codice << eventi << nel_registro;
    };
    riga("t", {}, {}, firmware_integro('t', dati_di_prova(3000)), 0, fatto, "<- 41");
    riga("W", {}, {}, firmware_integro('W', dati_di_prova(12345)), 0, fatto, "<- 41");
    riga("faults that cost retries only",
         {"--fault", "PGP#3:reply:C", "--fault", "FWI:split:5", "--fault", "PGS:delay:300"}, {}, s, 0, fatto,
         "<- 43");
    // A reply that never comes is owed for good: the transfer fails, it is never judged a success.
    riga("a half page never answered", {"--fault", "PGP#6:none"}, {}, s, 9, perso, "");
    // In station mode the device is out of reach until the password is accepted (here the
    // challenge is lost on its way, so none is sent).
    riga("station, challenge lost", {"--mode", "station", "--fault", "PAS?:none"}, {}, s, 7,
         "header connected error done", "-> 46 57 49");
    riga("station, wrong password", {"--mode", "station"}, {"--ap-address", "127.0.0.2", "--password", "sbagliata"},
         s, 5, "header connected challenge error done", "-> PAS=***");
    riga("the link lost during the transfer", {"--fault", "PGP#6:drop-before"}, {}, s, 9, perso, "-> 50 47 50");
    riga("checksum always refused", {"--fault", "PGP:reply:C"}, {}, s, 9,
         "header connected identity erase erased error done", "<- 43");
    // An identity a byte every 100 ms is awaited whole: its board refuses the file, nothing is erased.
    riga("an identity a byte at a time, another board", {"--fault", "FWI:split:100"}, {},
         firmware_integro('s', dati_di_prova(5000), "KS01"), 12, "header connected identity error done", "<- 65");
}

// One row of righe_di_processo.
void di_processo()
{
    QFETCH(QStringList, simulatore);
    QFETCH(QStringList, opzioni);
    QFETCH(QByteArray, file);
    QFETCH(int, codice);
    QFETCH(QByteArray, nel_registro);

    Motore banco; // for its folder
    const QString immagine = banco.cartella.filePath("received.bin");
    const QString registro = banco.cartella.filePath("kestra.log");
    ProcessoSimulatore sim(simulatore + QStringList{"--save-image", immagine});
    QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
    QProcess flash;
    flash.start(kestra_flash(),
                QStringList{"--json", "--yes", "-a", "127.0.0.1", "--ap-address", "127.0.0.1", "-p",
                            QString::number(sim.porta()), "--log", registro}
                    + opzioni + QStringList{banco.scrivi_firmware(file)});
    QVERIFY2(flash.waitForFinished(30000), "kestra-flash did not end");
    QCOMPARE(flash.exitCode(), codice);
    QHash<QString, QJsonObject> ultimi;
    QTEST(eventi(flash.readAllStandardOutput(), &ultimi), "eventi");
    const QByteArray pagine = a_pagine_intere(file.sliced(lunghezza_intestazione));
    if (codice == 0) {
        const QJsonObject erase = ultimi["erase"], progress = ultimi["progress"];
        QCOMPARE(ultimi["header"]["cpu"].toString(), QString(QChar(file[1])));
        QCOMPARE((QList<qint64>{erase["block"].toInteger(), progress["bytes"].toInteger(),
                                progress["total"].toInteger(), progress["percent"].toInteger()}),
                 (QList<qint64>{erase["of"].toInteger(), pagine.size(), pagine.size(), 100}));
        QCOMPARE(ultimi["identity"]["date"].toString(), QStringLiteral("05.03.18"));
    }
    // The half pages sent again, as the simulator counted them.
    if (ultimi.contains("transferred")) {
        const QRegularExpressionMatch contati
            = QRegularExpression("(\\d+) half pages sent again").match(sim.uscita("sent again"));
        QVERIFY2(contati.hasMatch(), "the simulator did not count the resends");
        QCOMPARE(ultimi["done"]["resends"].toInt(), contati.captured(1).toInt());
    }
    const QByteArray righe = leggi_file(registro);
    QVERIFY2(righe.contains(nel_registro), righe.constData());
    QCOMPARE(ultimi["done"]["resends"].toInt(), comandi_ripetuti(righe));
    // The header names the run; each line the milliseconds since the start, the way and the bytes; the result last.
    const QString intestazione = QStringLiteral("^# \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ  kestra-flash "
                                                "\\d+\\.\\d+\\.\\d+  127\\.0\\.0\\.1:%1  FW\\.BIN\n")
                                     .arg(sim.porta());
    QVERIFY2(QRegularExpression(intestazione).match(righe).hasMatch(), righe.constData());
    QVERIFY2(righe.endsWith(QStringLiteral("\n# exit %1 (%2)\n")
                                .arg(codice)
                                .arg(codice ? ultimi["error"]["class"].toString() : "completed")
                                .toUtf8()),
             righe.constData());
    QVERIFY2(QRegularExpression("^[ \\d]{6}\\d\\.\\d{3} ms (->|<-|--) \\S", QRegularExpression::MultilineOption)
                .match(righe).hasMatch() || !righe.contains(" ms "), righe.constData());
    QVERIFY2(!righe.contains("sbagliata") && !righe.contains(QByteArray("sbagliata").toHex(' ')), "the password is in the transcript");
    // The simulator keeps what it verified, also when a fault changes its verdict.
    const bool verificata = codice == 0 || simulatore.join(u' ').contains("PGX:reply:");
    QCOMPARE(leggi_file(immagine), verificata ? pagine : QByteArray("(none)"));
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
        QTest::addColumn<int>("errore_in_attesa");
        QTest::addColumn<int>("segnale_in_attesa");
        QTest::addColumn<QByteArray>("risposte"); // typed at the prompts
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("eventi");

        const QByteArray s = firmware_integro('s', dati_di_prova(3000));
        const QByteArray altra_scheda = firmware_integro('s', dati_di_prova(3000), "KS01");
        const QByteArray troncato = s.first(s.size() - 100); // the header's CRC16 is the whole image's
        const QStringList altrove{"-a", "module"};
        const auto r = CollegamentoScriptato::risposta;
        const auto riga = [&](const char *nome, QStringList opzioni, QByteArray file, Script script, int codice,
                              QString eventi, QByteArray alla_connessione = {}) {
            QTest::newRow(nome) << opzioni << file << alla_connessione << script << 0 << 0 << nessuna_risposta
                                << codice << eventi;
        };
        riga("updated", {}, s, {}, 0, fatto);
        riga("file missing", {QDir::tempPath() + "/missing/FW.BIN"}, {}, {}, 3, "error done");
        riga("cut short: damaged", {}, troncato, {}, 3, "header error done");
        riga("cut short, --force", {"--force"}, troncato, {}, 0, "header warning connected identity erase progress "
                                                                 "transferred verified done");
        riga("cut short, checked only", {"--check"}, troncato, {}, 3, "header error done");
        riga("checked only", {"--check"}, s, {}, 0, "header done");
        riga("password refused", altrove, s, {{"PAS=", 0, r("PAS=ERR", 1)}}, 5, "header connected challenge error done",
             "PAS?");
        riga("not in Access Point mode", altrove, s, {}, 6, "header connected challenge error done", "PAS?");
        riga("switched to Access Point mode", altrove + QStringList{"--switch-to-ap"}, s, {}, 11,
             "header connected challenge error done", "PAS?");
        riga("identification unanswered", {}, s, {{"FWI", 0, Replica{}}}, 7, "header connected error done");
        riga("a device of another board", {}, altra_scheda, {}, 12, "header connected identity error done");
        riga("a device of another board, --force", {"--force"}, altra_scheda, {}, 0,
             "header connected identity warning erase progress transferred verified done");
        riga("a device that gives no board", {}, altra_scheda, {{"FWI", 0, r("FWI=???", 1)}}, 0,
             "header connected erase progress transferred verified done");
        riga("erase refused", {}, s, {{"PGS", 2, r("N", 1)}}, 8, "header connected identity erase erased error done");
        riga("checksum refused three times", {}, s, {{"PGP", 0, r("C", 1)}}, 9,
             "header connected identity erase erased error done");
        riga("CRC16 error", {}, s, {{"PGX", 0, r("E", 1)}}, 10,
             "header connected identity erase progress transferred erased error done");
        riga("identify, no file", {"--identify"}, {}, {}, 0, "connected identity done");
        riga("identify, no information", {"--identify"}, {}, {{"FWI", 0, r("FWI=???", 1)}}, 7, "connected error done");
        riga("reset acknowledged", {"--reset"}, {}, {}, 0, "connected done");
        riga("reset unanswered", {"--reset"}, {}, {{"RST!", 0, Replica{}}}, 1, "connected error done");
        riga("reset answered in 4 bytes, the shortest reply", {"--reset"}, {}, {{"RST!", 0, r("RST=", 1)}}, 0,
             "connected done");
        const auto con = [&](const char *nome, int errore, int segnale, QByteArray risposte, int codice,
                             const char *eventi) {
            QTest::newRow(nome) << QStringList{} << s << QByteArray() << Script{} << errore << segnale << risposte
                                << codice << QString(eventi);
        };
        con("refused at the Access Point: seen while identifying", 1, 0, nessuna_risposta, 4,
            "header connected error done");
        con("link broken during the transfer", 6, 0, nessuna_risposta, 9,
            "header connected identity erase progress erased error done");
        con("Ctrl-C during the transfer", 0, 6, nessuna_risposta, 130,
            "header connected identity erase progress erased error done");
        con("no terminal, no --yes", 0, 0, "", 2, "error done");
        con("erase declined", 0, 0, "n\n", 1, "header connected identity error done");
        con("update declined", 0, 0, "s\nn\n", 1,
            "header connected identity erase progress transferred erased error done");
    }
    void esito()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, alla_connessione);
        QFETCH(Script, script);
        QFETCH(QByteArray, risposte);
        QFETCH(int, segnale_in_attesa);

        Motore banco; // for its folder
        if (!file.isEmpty())
            opzioni.append(banco.scrivi_firmware(file));
        Corsa corsa(opzioni, risposte);
        corsa.modo.domande = !risposte.isEmpty();
        if (!alla_connessione.isEmpty())
            corsa.link.alla_connessione = {{1, alla_connessione}};
        for (const auto &[testa, occorrenza, risposta] : script)
            corsa.link.script(testa, occorrenza, risposta);
        QFETCH(int, errore_in_attesa);
        corsa.errore_in_attesa = errore_in_attesa;
        corsa.segnale_in_attesa = {segnale_in_attesa, SIGINT};

        QTEST(corsa.esegui(), "codice");
        QHash<QString, QJsonObject> ultimi;
        QTEST(eventi(corsa.uscita, &ultimi), "eventi");
        QVERIFY2(!ultimi.contains("error") || !ultimi["error"]["text"].toString().isEmpty(), "an error event without its text");
        const QJsonObject done = ultimi["done"];
        QCOMPARE(done["erased"].toBool(), ultimi.contains("erased"));
        QFETCH(int, codice);
        QCOMPARE((std::pair{done["exit_code"].toInt(), done["ok"].toBool()}), (std::pair{codice, codice == 0}));
        // An update that reached the erase, or a device it left alone for its board, is one record, ended
        // as the run ended; any other run, none.
        const QList<Tentativo> storico = corsa.storico.elenco(0).value();
        QCOMPARE(storico.size(),
                 int(ultimi.contains("erased") || ultimi.contains("verified") || ultimi["error"]["class"] == "board"));
        if (!storico.isEmpty()) {
            const Tentativo &t = storico.first();
            QCOMPARE((std::tuple{t.concluso(), t.codice_uscita.value_or(-1), t.classe}),
                     (std::tuple{true, codice, codice ? ultimi["error"]["class"].toString() : "completed"}));
        }
        // The image's size once the file was looked at: not for a mistake in the options.
        QCOMPARE(done["bytes"].toInteger(), file.isEmpty() || codice == 2 ? 0 : file.size() - 15);
        // Only away from the Access Point is the module's first data waited for.
        const QList<Attesa> &attese = corsa.link.attese;
        QCOMPARE(std::any_of(attese.begin(), attese.end(), [](const Attesa &a) { return a.timer == 2; }),
                 opzioni.contains("module"));
        QVERIFY2(!corsa.uscita.contains("40718253") && !corsa.errori.contains("40718253"), corsa.errori.constData());
        QVERIFY2(!corsa.errori.contains('\r'), corsa.errori.constData()); // no progress bar but on a terminal
        QVERIFY2(!risposte.isNull() || !corsa.errori.contains("/N] "), corsa.errori.constData()); // --yes asks nothing
        QCOMPARE(corsa.errori.contains("\nAggiornamento: Aggiornamento terminato.\n"), ultimi.contains("verified"));
        QCOMPARE(corsa.link.comandi.contains("RST!"), opzioni.contains("--reset")); // never a reset nobody asked for
        if (segnale_in_attesa)
            QCOMPARE(corsa.link.comandi.size(), segnale_in_attesa); // the command of that wait is the last
    }

    void a_yes_of_the_language_erases_anything_else_does_not_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QByteArray>("risposta");
        QTest::addColumn<bool>("cancellato");
        const std::tuple<const char *, int, const char *, bool> righe[] = {
            {"en: y", 1, "y", true},      {"en: yes", 1, "yes", true},   {"en: YES", 1, " YES ", true},
            {"en: Y", 1, "Y", true},      {"en: stop", 1, "stop", false}, {"en: skip", 1, "skip", false},
            {"en: sure", 1, "sure", false}, {"en: s", 1, "s", false},    {"en: yeah", 1, "yeah", false},
            {"en: nothing", 1, "", false}, {"it: s", 0, "s", true},      {"it: si", 0, "si", true},
            {"it: sì", 0, "sì", true},    {"it: SÌ", 0, "SÌ", true},     {"it: y", 0, "y", true},
            {"it: yes", 0, "Yes", true},  {"it: no", 0, "no", false},    {"it: sure", 0, "sure", false},
            {"it: sino", 0, "sino", false}, {"it: nothing", 0, "", false},
        };
        for (const auto &[nome, lingua, risposta, cancellato] : righe)
            QTest::newRow(nome) << lingua << QByteArray(risposta) << cancellato;
    }
    void a_yes_of_the_language_erases_anything_else_does_not()
    {
        QFETCH(int, lingua);
        QFETCH(QByteArray, risposta);
        QFETCH(bool, cancellato);
        Motore banco;
        Corsa corsa({banco.scrivi_firmware(firmware_integro('s', dati_di_prova(300)))}, risposta + "\ny\n", lingua);
        QCOMPARE(corsa.esegui(), cancellato ? 0 : 1);
        QCOMPARE(corsa.link.comandi.contains(QByteArray("PGS\0", 4)), cancellato);
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
        QTest::newRow("reset elsewhere") << QStringList{"--reset", "-a", "module"} << altrove;
    }
    void a_module_out_of_reach_is_a_connection_failure()
    {
        QFETCH(QStringList, opzioni);
        Motore banco; // for its folder
        if (opzioni.removeAll("firmware"))
            opzioni.append(banco.scrivi_firmware(firmware_integro('s', dati_di_prova(300))));
        Corsa corsa(opzioni, nessuna_risposta, 1);
        corsa.link.mai_collegato = true;

        QCOMPARE(corsa.esegui(), 4);
        QVERIFY2(corsa.link.comandi.isEmpty(), "nothing sent");
        QTEST(corsa.link.attese, "attese");
        const QString indirizzo = corsa.opzioni_lette.indirizzo + QStringLiteral(":7999");
        QVERIFY2(corsa.errori.contains(indirizzo.toUtf8()), corsa.errori.constData());
        QVERIFY2(!corsa.errori.contains("Cloud"), corsa.errori.constData()); // no offer to reset a module never reached
        QVERIFY2(corsa.registro.endsWith(" ms -- connection failed\n") && !corsa.registro.contains("->"),
                 corsa.registro.constData());
    }

    void what_to_try_next_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Script>("script");
        QTest::addColumn<QByteArray>("alla_connessione");
        QTest::addColumn<QString>("suggerimento");
        QTest::addColumn<QStringList>("opzioni");
        const QByteArray s = firmware_integro('s', dati_di_prova(3000));
        QTest::newRow("an unknown CPU: the letter found and those known")
            << firmware('x', "x") << Script{} << QByteArray() << "The file names CPU type \"x\"; the known types "
                                                                 "are \"t\", \"s\", \"W\"." << QStringList{};
        QTest::newRow("a page failure: the page")
            << s << Script{{"PGP", 5, CollegamentoScriptato::risposta("N", 1)}} << QByteArray()
            << "Page 3 of 12 was not written." << QStringList{};
        QTest::newRow("a wrong password: how to give it")
            << s << Script{{"PAS=", 0, CollegamentoScriptato::risposta("PAS=ERR", 1)}} << QByteArray("PAS?")
            << "Give the module's password with --password or in the KESTRA_PASSWORD variable." << QStringList{};
        QTest::newRow("not in Access Point mode: how to switch")
            << s << Script{} << QByteArray("PAS?") << "The module is not in Access Point mode: run again with "
                                                      "--switch-to-ap." << QStringList{};
        QTest::newRow("another board: --force")
            << firmware_integro('s', dati_di_prova(3000), "KS01") << Script{} << QByteArray()
            << "Nothing was erased. --force writes it all the same." << QStringList{};
    }
    void what_to_try_next()
    {
        QFETCH(QByteArray, file);
        QFETCH(Script, script);
        QFETCH(QByteArray, alla_connessione);
        QFETCH(QString, suggerimento);
        QFETCH(QStringList, opzioni);
        Motore banco;
        Corsa corsa(opzioni + QStringList{"-a", "module", banco.scrivi_firmware(file)}, nessuna_risposta, 1);
        for (const auto &[testa, occorrenza, risposta] : script)
            corsa.link.script(testa, occorrenza, risposta);
        if (!alla_connessione.isEmpty())
            corsa.link.alla_connessione = {{1, alla_connessione}};
        QVERIFY2(corsa.esegui() != 0, "the run did not fail");
        QHash<QString, QJsonObject> ultimi;
        eventi(corsa.uscita, &ultimi);
        QCOMPARE(ultimi["error"]["hint"].toString(), suggerimento);
        QVERIFY2(corsa.errori.contains(suggerimento.toUtf8()), corsa.errori.constData());
    }

    void on_a_terminal_a_progress_bar_and_questions()
    {
        Motore banco;
        // Yes to the erase, then the end of the input at the update: No, and its line ended.
        Corsa corsa({banco.scrivi_firmware(firmware_integro('s', dati_di_prova(3000)))}, "y\n", 1);
        corsa.modo = {false, true, true, 1};
        QCOMPARE(corsa.esegui(), 1);
        const QList<QByteArray> righe = corsa.errori.split('\r');
        const auto riga = [&](const char *inizio) {
            const auto trovata = std::find_if(righe.rbegin(), righe.rend(),
                                              [inizio](const QByteArray &r) { return r.startsWith(inizio); });
            return trovata == righe.rend() ? QByteArray() : trovata->split('\n').constFirst().trimmed();
        };
        // The erase in blocks and time, the pages with their speed and what is left.
        QVERIFY2(QRegularExpression("^erase +\\[#{30}\\] 100%  block 2 of 2, \\d+\\.\\d s$")
                     .match(QString::fromUtf8(riga("erase"))).hasMatch(), riga("erase").constData());
        QVERIFY2(QRegularExpression("^transfer +\\[#{30}\\] 100%  \\d+\\.\\d KB/s  0:00 left")
                     .match(QString::fromUtf8(riga("transfer"))).hasMatch(), riga("transfer").constData());
        // Drawn at once, then no more often than the eye follows: far less than this update takes.
        QVERIFY2(righe.contains("erase          [" + QByteArray(15, '#') + QByteArray(15, '.') + "]  50%  block 1 of 2, 0.0 s"),
                 corsa.errori.constData());
        QVERIFY2(righe.size() < 8, corsa.errori.constData()); // 12 pages
        QVERIFY2(corsa.errori.contains("Erase the device? [y/N] "), corsa.errori.constData());
        QVERIFY2(corsa.errori.contains("Do you want to proceed? [y/N] \n"), corsa.errori.constData());
        QVERIFY2(!corsa.link.comandi.last().startsWith("PGX"), "the update was sent after a No"); // "no" to the update
        QVERIFY2(corsa.uscita.startsWith("File: "), corsa.uscita.constData());
    }

    // kestra-flash as a process: what was asked for on standard output, a
    // mistake on standard error, before anything is sent (port 1 has no module).
    void help_version_and_usage_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("testo");
        QTest::newRow("help: the exit codes") << QStringList{"--help"} << 0 << "\nExit codes:\n    0  completed: ";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "kestra-flash ";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "Try 'kestra-flash --help'.";
        const auto rifiuto = [](const char *nome, QStringList opzioni, const char *testo) {
            QTest::newRow(nome) << opzioni << 2 << QStringLiteral("kestra-flash: %1\n").arg(testo);
        };
        rifiuto("two commands", {"--check", "--reset"},
                "--check --identify --reset --history --history-sync: one at most");
        rifiuto("a file too many", {"A.BIN", "B.BIN"}, "one firmware file expected");
        rifiuto("port 0", {"-p", "0", "A.BIN"}, "--port must be a number from 1 to 65535");
        rifiuto("wait past the limit", {"--wait", "100001", "A.BIN"}, "--wait must be a number from 0 to 100000");
        rifiuto("a mistyped option: the nearest", {"--retrys", "1", "A.BIN"},
                "Unknown option 'retrys'; did you mean --retries?");
        rifiuto("an address that is none", {"-a", "300.1.1.1", "A.BIN"},
                "--address: \"300.1.1.1\" is neither an IP address nor a host name");
        QTest::newRow("a transcript that cannot be written")
            << QStringList{"-p", "1", "--log", "/missing/kestra.log", "A.BIN"} << 2 << "kestra-flash: --log: ";
    }
    void help_version_and_usage()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(int, codice);
        QFETCH(QString, testo);
        QProcess flash;
        flash.start(kestra_flash(), QStringList{"-a", "127.0.0.1"} + opzioni);
        QVERIFY2(flash.waitForFinished(10000), "kestra-flash did not end");
        QCOMPARE(flash.exitCode(), codice);
        const QString uscita = flash.readAllStandardOutput(), errori = flash.readAllStandardError();
        QVERIFY2((codice == 0 ? uscita : errori).contains(testo), qPrintable(uscita + errori));
        QVERIFY2((codice == 0 ? errori : uscita).isEmpty(), qPrintable(uscita + errori));
        for (const QString &linea : (uscita + errori).split(u'\n'))
            QVERIFY2(linea.size() <= 80 || linea.startsWith("Usage: "), qPrintable(linea));
    }

    // The completion the package installs, as bash runs it: the options
    // --help lists, the languages, nothing for a number, .BIN files.
    void completion_in_bash_data()
    {
        QTest::addColumn<QStringList>("parole"); // the last is being typed
        QTest::addColumn<QString>("proposte");
        QTest::newRow("an option begun") << QStringList{"--ret"} << "--retries";
        QTest::newRow("a language") << QStringList{"--language", ""} << "en it";
        QTest::newRow("firmware files and folders") << QStringList{""} << "A.BIN b.bin cartella";
    }
    void completion_in_bash()
    {
        QFETCH(QStringList, parole);
        QTemporaryDir cartella;
        for (const char *nome : {"A.BIN", "b.bin", "c.txt"})
            scrivi_file(cartella.filePath(nome), "x");
        QVERIFY2(QDir(cartella.path()).mkdir("cartella"), "the test could not make the folder");
        const QString script = QStringLiteral(
            "source %1/packaging/kestra-flash.bash-completion; complete -p kestra-flash >/dev/null || exit 9; "
            "COMP_WORDS=(kestra-flash %2); COMP_CWORD=%3; COMPREPLY=(); _kestra_flash kestra-flash; "
            "printf '%s\\n' \"${COMPREPLY[@]}\" | sort -f | tr '\\n' ' '")
            .arg(QStringLiteral(KESTRA_SORGENTI), parole.join(u' ') + (parole.last().isEmpty() ? "''" : ""))
            .arg(parole.size());
        QProcess bash;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert("PATH", QFileInfo(kestra_flash()).path() + u':' + ambiente.value("PATH"));
        bash.setProcessEnvironment(ambiente);
        bash.setWorkingDirectory(cartella.path());
        bash.start("bash", {"-c", script});
        QVERIFY2(bash.waitForFinished(10000) && bash.exitCode() == 0, bash.readAllStandardError().constData());
        QTEST(QString::fromUtf8(bash.readAllStandardOutput()).trimmed(), "proposte");
    }

    // With --json a mistake is told on standard output too: an error, then the end of the run.
    void a_mistake_in_json()
    {
        QProcess flash;
        flash.start(kestra_flash(), {"--json", "--retrys", "2", "A.BIN"});
        QVERIFY2(flash.waitForFinished(10000), "kestra-flash did not end");
        QCOMPARE(flash.exitCode(), 2);
        QHash<QString, QJsonObject> ultimi;
        QCOMPARE(eventi(flash.readAllStandardOutput(), &ultimi), QStringLiteral("error done"));
        QCOMPARE(ultimi["error"]["class"].toString(), QStringLiteral("usage"));
        QCOMPARE(ultimi["error"]["text"].toString(), QStringLiteral("Unknown option 'retrys'; did you mean --retries?"));
        QCOMPARE(ultimi["done"]["exit_code"].toInt(), 2);
    }

    // Every kind of outcome has its class, its exit code, its line in --help
    // and its entry in the manual page's exit statuses.
    void every_outcome_is_told_data()
    {
        QTest::addColumn<int>("tipo");
        for (int tipo = 0; tipo < numero_tipi_esito; ++tipo)
            QTest::newRow(nome_tipo_esito(TipoEsito(tipo))) << tipo;
    }
    void every_outcome_is_told()
    {
        QFETCH(int, tipo);
        const QString classe = QLatin1String(nome_tipo_esito(TipoEsito(tipo)));
        const int codice = codice_uscita(TipoEsito(tipo));
        const QString aiuto = elenco_codici();
        // The code heads the line of its first class; the others follow it.
        int in_elenco = -1, codice_corrente = -1;
        for (const QString &linea : aiuto.split(u'\n')) {
            const QRegularExpressionMatch inizio = QRegularExpression("^ *(\\d+)  ").match(linea);
            if (inizio.hasMatch())
                codice_corrente = inizio.captured(1).toInt();
            if (linea.sliced(qMin<qsizetype>(7, linea.size())).startsWith(classe + QStringLiteral(": ")))
                in_elenco = codice_corrente;
        }
        QCOMPARE(in_elenco, codice);
        for (const QString &linea : aiuto.split(u'\n'))
            QVERIFY2(linea.size() <= 80, qPrintable(linea));
        const QByteArray manuale = leggi_file(QStringLiteral(KESTRA_SORGENTI "/packaging/kestra-flash.1.in"));
        const QByteArray stati = manuale.sliced(manuale.indexOf(".SH EXIT STATUS"));
        QVERIFY2(stati.contains("\n.B " + QByteArray::number(codice) + '\n')
                     || stati.contains("\n.BR " + QByteArray::number(codice) + ' '),
                 qPrintable(classe));
    }

    void options_at_their_bounds_data()
    {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<QList<int>>("numeri"); // port, --wait, --retries, --limit
        QTest::newRow("the lowest") << QStringList{"-p", "1", "--wait", "0", "--retries", "0", "A.BIN"}
                                    << QList<int>{1, 0, 0, 0};
        QTest::newRow("the highest") << QStringList{"-p", "65535", "--wait", "100000", "--retries", "100000", "A.BIN"}
                                     << QList<int>{65535, 100000, 100000, 0};
        QTest::newRow("a limit") << QStringList{"--history", "--limit", "100000"} << QList<int>{7999, 0, 0, 100000};
    }
    void options_at_their_bounds()
    {
        QFETCH(QStringList, argomenti);
        const Richiesta richiesta = leggi_opzioni(QStringList{"kestra-flash"} + argomenti);
        QVERIFY2(richiesta.opzioni, qPrintable(richiesta.testo));
        const Opzioni &o = *richiesta.opzioni;
        QTEST((QList<int>{o.porta, o.attesa_s, o.tentativi, int(o.filtro.limite)}), "numeri");
    }

    // An identity is whole or it is none: nothing is erased on a part of one.
    void an_identity_is_whole_or_none_data()
    {
        QTest::addColumn<Replica>("identita");
        QTest::addColumn<QByteArray>("scheda"); // the file's
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("eventi");
        QTest::addColumn<QList<Attesa>>("attese"); // the identification's
        const QByteArray intera("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);
        const Replica in_due{{{1, intera.first(6)}, {700, intera.sliced(6)}}};
        const QString rifiutato = QStringLiteral("header connected identity error done");
        const QList<Attesa> in_pezzi{{1, 500, 500}, {1, 1000, 200}};
        QTest::newRow("whole: the wait ends with it") << CollegamentoScriptato::risposta(intera, 3) << QByteArray("KS01")
                                                      << 12 << rifiutato << QList<Attesa>{{1, 500, 3}};
        QTest::newRow("in two pieces 700 ms apart, another board") << in_due << QByteArray("KS01") << 12 << rifiutato
                                                                   << in_pezzi;
        QTest::newRow("6 bytes and no more: no identity")
            << Replica{{{1, intera.first(6)}}} << QByteArray("KR01") << 7 << "header connected error done"
            << QList<Attesa>{{1, 500, 500}, {1, 1000, 1000}};
    }
    void an_identity_is_whole_or_none()
    {
        QFETCH(Replica, identita);
        QFETCH(QByteArray, scheda);
        QFETCH(QList<Attesa>, attese);
        Motore banco;
        Corsa corsa({banco.scrivi_firmware(firmware_integro('s', dati_di_prova(3000), scheda))});
        corsa.link.script("FWI", 0, identita);
        QTEST(corsa.esegui(), "codice");
        QTEST(eventi(corsa.uscita), "eventi");
        QCOMPARE(corsa.link.attese.mid(0, attese.size()), attese);
    }

    void a_signal_while_the_verdict_is_on_its_way_data()
    {
        QTest::addColumn<int>("segnali");
        QTest::addColumn<Replica>("verdetto");
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("eventi");
        QTest::addColumn<QJsonValue>("cancellato"); // as done tells it
        QTest::addColumn<QString>("classe");        // of the attempt's record
        const QString prima = QStringLiteral("header connected identity erase progress transferred ");
        QTest::newRow("one: the device's yes awaited") << 1 << CollegamentoScriptato::risposta("A", 3000) << 0
                                                        << prima + "verified done" << QJsonValue(false) << "completed";
        QTest::newRow("one: the device's no awaited") << 1 << CollegamentoScriptato::risposta("E", 3000) << 10
                                                       << prima + "erased error done" << QJsonValue(true)
                                                       << "verification";
        QTest::newRow("two: ended at once, the state unknown") << 2 << CollegamentoScriptato::risposta("A", 3000)
                                                                << 143 << prima + "error done" << QJsonValue()
                                                                << "interrupted";
    }
    void a_signal_while_the_verdict_is_on_its_way()
    {
        QFETCH(int, segnali);
        QFETCH(Replica, verdetto);
        Motore banco;
        Corsa corsa({banco.scrivi_firmware(firmware_integro('s', dati_di_prova(3000)))}, nessuna_risposta, 1);
        corsa.link.script("PGX", 0, verdetto);
        corsa.segnali_al_verdetto = segnali;
        QTEST(corsa.esegui(), "codice");
        QHash<QString, QJsonObject> ultimi;
        QTEST(eventi(corsa.uscita, &ultimi), "eventi");
        QFETCH(QJsonValue, cancellato);
        QCOMPARE(QJsonValue(ultimi["done"]["erased"]), cancellato);
        QVERIFY2(corsa.errori.contains("The device's verdict is on its way: waiting for it (at most 5 s)."),
                 corsa.errori.constData());
        QCOMPARE(corsa.errori.contains("The device's verdict did not come: it may be erased."), segnali == 2);
        const Tentativo t = corsa.storico.elenco(0).value().value(0);
        QTEST(t.classe, "classe");
        QVERIFY2(t.cancellato == (t.classe != "completed"), "the record says erased until the device said otherwise");
    }

    // The exit code of a run that leaves the device erased is the failure that
    // left it so, not that of a later try that could not reach the module.
    void retries_keep_the_failure_that_left_the_device_erased()
    {
        Motore banco;
        Corsa corsa({"--retries", "2", banco.scrivi_firmware(firmware_integro('s', dati_di_prova(3000)))});
        corsa.errore_in_attesa = 6;
        corsa.modulo_perso = true;
        QCOMPARE(corsa.esegui(), 9);
        QHash<QString, QJsonObject> ultimi;
        eventi(corsa.uscita, &ultimi);
        QCOMPARE(ultimi["error"]["class"].toString(), QStringLiteral("transfer"));
        QVERIFY2(ultimi["done"]["erased"].toBool(), "done says the device is left erased");
        QCOMPARE(corsa.link.connessioni, 3);
        QCOMPARE(corsa.storico.elenco(0).value().size(), 1); // the tries that reached nothing erased nothing
    }

    // What cannot be a firmware file is told as what it is, never as missing.
    void files_that_cannot_be_read_data()
    {
        QTest::addColumn<QString>("come");
        QTest::addColumn<QString>("testo"); // after "Open firmware: " and the path
        QTest::newRow("missing") << "missing" << "File not found";
        QTest::newRow("a folder") << "folder" << "This is a folder, not a file";
        QTest::newRow("a FIFO") << "fifo" << "Not a regular file (a FIFO, a device or a socket)";
        QTest::newRow("40 GB: judged by its size") << "huge" << "The firmware file is too large for its CPU";
    }
    void files_that_cannot_be_read()
    {
        QFETCH(QString, come);
        Motore banco;
        const QString percorso = banco.cartella.filePath(come);
        if (come == "folder")
            QVERIFY2(QDir(banco.cartella.path()).mkdir(come), "the test could not make the folder");
        if (come == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(percorso).constData(), 0600), 0);
        if (come == "huge") {
            QFile file(banco.scrivi_firmware(firmware('W', "x"), come));
            QVERIFY2(file.resize(qint64(40) << 30), qPrintable(file.errorString()));
        }
        for (const char *comando : {"--check", "--yes"}) {
            Corsa corsa({comando, percorso}, nessuna_risposta, 1);
            QCOMPARE(corsa.esegui(), 3);
            QHash<QString, QJsonObject> ultimi;
            eventi(corsa.uscita, &ultimi);
            QFETCH(QString, testo);
            QCOMPARE(ultimi["error"]["text"].toString(), "Open firmware: " + percorso + ": " + testo);
            QVERIFY2(corsa.errori.contains(("Open firmware: " + percorso + ": " + testo).toUtf8()), corsa.errori);
            QVERIFY2(corsa.link.comandi.isEmpty(), "nothing is sent for a file refused");
        }
    }

    // kestra-flash itself against kestra-sim.
    // kestra-flash itself against kestra-sim.
    void end_to_end_data() { righe_di_processo(); }
    void end_to_end() { di_processo(); }

    void a_signal_during_the_transfer_data()
    {
        QTest::addColumn<int>("segnale");
        QTest::newRow("Ctrl-C") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }
    void a_signal_during_the_transfer()
    {
        QFETCH(int, segnale);
        Motore banco;
        ProcessoSimulatore sim({"--write-ms", "5"});
        QVERIFY2(sim.errore().isEmpty(), qPrintable(sim.errore()));
        QProcess flash;
        flash.start(kestra_flash(),
                    QStringList{"--json", "--yes", "--language", "en", "-a", "127.0.0.1", "--ap-address", "127.0.0.1",
                                "-p", QString::number(sim.porta()),
                                banco.scrivi_firmware(firmware_integro('s', dati_di_prova(60000)))});
        QByteArray uscita;
        while (!uscita.contains("\"progress\"") && flash.waitForReadyRead(10000))
            uscita += flash.readAllStandardOutput();
        QVERIFY2(flash.processId() > 0 && ::kill(flash.processId(), segnale) == 0, "kestra-flash ended before the signal");
        QVERIFY2(flash.waitForFinished(10000), "kestra-flash did not end");
        uscita += flash.readAllStandardOutput();
        QCOMPARE(flash.exitCode(), 128 + segnale);
        QHash<QString, QJsonObject> ultimi;
        QVERIFY2(eventi(uscita, &ultimi).endsWith("progress erased error done"), uscita.constData());
        QCOMPARE(ultimi["error"]["class"].toString(), QStringLiteral("interrupted"));
        QVERIFY2(ultimi["done"]["erased"].toBool(), "done says the device is left erased");
        const QByteArray errori = flash.readAllStandardError();
        QVERIFY2(errori.endsWith("Interrupted.\nThe device is erased and must be updated again.\n"
                                 "kestra-flash: exit " + QByteArray::number(128 + segnale) + " (interrupted)\n"),
                 errori.constData());
    }
};

QTEST_GUILESS_MAIN(TestFlash)
#include "test_flash.moc"
