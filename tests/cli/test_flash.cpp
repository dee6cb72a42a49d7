// kestra-flash on the scripted link, in memory; its command line as a
// process of its own. Runs against kestra-sim are in test_station.

#include "tests/cli/json_events.h"
#include "cli/outcomes.h"
#include "cli/run.h"
#include "history/history_db.h"
#include "testing/programs.h"
#include "tests/engine/engine_bench.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

namespace {

using Script = QList<std::tuple<QByteArray, int, Replica>>;

const QByteArray s = firmware_integro('s', dati_di_prova(3000));
const QByteArray troncato = s.first(s.size() - 100); // the header's CRC16 is the whole image's
const QByteArray altra_scheda = firmware_integro('s', dati_di_prova(3000), "KS01");
const QString fino_al_verdetto = QStringLiteral("header connected identity erase progress transferred ");
const QString sfida = QStringLiteral("header connected challenge error done");
const QString rinuncia = QStringLiteral("header connected identity error done");
const QString cancellato = QStringLiteral("header connected identity erase erased error done");
const QByteArray forza = "Nothing was erased. --force writes it all the same.";
const QByteArray attesa = "The device's verdict is on its way: waiting for it (at most 5 s).";
const auto r = CollegamentoScriptato::risposta;

// A run and how it ends: its exit code, its events, what it says to try next.
struct Caso
{
    const char *nome;
    QStringList opzioni{};
    QByteArray file = s; // empty: no file argument
    Script script{};
    int codice = 0;
    QString eventi = fatto;
    QByteArray suggerimento{}; // in the error's hint
    QByteArray errori{};    // on standard error
    QByteArray risposte{}; // typed at the prompts; null: --yes, no questions asked
    QByteArray alla_connessione{};
    int errore_in_attesa = 0;    // the link fails in this wait (from 1)
    bool modulo_perso = false;   // and the module is never reached again; from the start when no wait is named
    int segnale_in_attesa = 0;   // a SIGINT in this wait
    int segnali_al_verdetto = 0; // SIGTERMs while the verdict is on its way
    int lingua = 1;              // English
};

// kestra-flash on the scripted link as `caso` says, its standard output, error and input in memory.
struct Corsa
{
    explicit Corsa(const Caso &caso) : caso(caso), ingresso(caso.risposte)
    {
        QStringList argomenti = QStringList{"kestra-flash", "--json", "--language", caso.lingua ? "en" : "it", "-a", ap,
                                            "--ap-address", ap} + caso.opzioni;
        if (!caso.file.isEmpty())
            argomenti.append(scrivi_file(dati.filePath("FW.BIN"), caso.file));
        if (ingresso.isNull())
            argomenti.append("--yes");
        qunsetenv("KESTRA_PASSWORD"); // the password is the default one, which no output may hold
        opzioni = leggi_opzioni(argomenti).opzioni.value();
        for (QBuffer *canale : {&canale_uscita, &canale_errori, &canale_ingresso})
            canale->open(QIODevice::ReadWrite);
        modo = {true, false, !ingresso.isEmpty(), caso.lingua};
        if (!caso.alla_connessione.isEmpty())
            link.alla_connessione = {{1, caso.alla_connessione}};
        for (const auto &[testa, occorrenza, risposta] : caso.script)
            link.script(testa, occorrenza, risposta);
    }

    int esegui()
    {
        Console console({canale_uscita, canale_errori, canale_ingresso}, modo);
        Esecuzione esecuzione(opzioni, link, console, {&storico});
        link.mai_collegato = caso.modulo_perso && caso.errore_in_attesa == 0;
        link.durante_attesa = [&](int n) {
            if (n == caso.errore_in_attesa) {
                emit link.errore();
                link.chiudi();
                link.mai_collegato = caso.modulo_perso;
            }
            if (n == caso.segnale_in_attesa)
                esecuzione.interrompi(SIGINT);
            if (!link.comandi.isEmpty() && link.comandi.last().startsWith("PGX"))
                for (int segnale = 0; segnale < caso.segnali_al_verdetto; ++segnale)
                    esecuzione.interrompi(SIGTERM, segnale > 0);
        };
        return esecuzione.esegui();
    }

    const Caso caso;
    QTemporaryDir dati;
    QByteArray uscita, errori, ingresso;
    QBuffer canale_uscita{&uscita}, canale_errori{&errori}, canale_ingresso{&ingresso};
    Console::Modo modo;
    Opzioni opzioni;
    CollegamentoScriptato link;
    StoricoSqlite storico{dati.filePath("history.sqlite"), [](const QString &avviso) { QFAIL(qPrintable(avviso)); }};
};

const Caso casi[] = {
    {.nome = "updated", .errori = "\nUpdate: Update completed.\n"},
    {.nome = "an unknown CPU: the letter found and those known", .file = firmware('x', "x"), .codice = 3,
     .eventi = "header error done", .suggerimento = "CPU type \"x\"; the known types are \"t\", \"s\", \"W\"."},
    // What cannot be a firmware file is told as what it is, never as missing.
    {.nome = "a folder", .opzioni = {"/"}, .file = {}, .codice = 3, .eventi = "error done",
     .errori = "Open firmware: /: This is a folder, not a file\n"},
    {.nome = "cut short: damaged", .file = troncato, .codice = 3, .eventi = "header error done", .suggerimento = forza},
    {.nome = "cut short, --force", .opzioni = {"--force"}, .file = troncato, 
     .eventi = "header warning " + fatto.sliced(7)},
    {.nome = "checked only", .opzioni = {"--check"}, .eventi = "header done"},
    {.nome = "password refused", .opzioni = {"-a", altrove}, .script = {{"PAS=", 0, r("PAS=ERR", 1)}}, .codice = 5,
     .eventi = sfida, .suggerimento = "--password or in the KESTRA_PASSWORD variable.", .alla_connessione = "PAS?"},
    {.nome = "not in Access Point mode", .opzioni = {"-a", altrove}, .codice = 6, .eventi = sfida,
     .suggerimento = "not in Access Point mode: run again with --switch-to-ap.", .alla_connessione = "PAS?"},
    {.nome = "switched to Access Point mode", .opzioni = {"-a", altrove, "--switch-to-ap"}, .codice = 11,
     .eventi = sfida, .suggerimento = "wait 30 s, run again at access-point.", .alla_connessione = "PAS?"},
    {.nome = "out of reach", .opzioni = {"-a", altrove}, .codice = 4, .eventi = "header error done",
     .suggerimento = "Cannot connect to the module at module:7999: check the address", .modulo_perso = true},
    // Away from the Access Point a silent device's module is offered a restart: No, nobody asked for one.
    {.nome = "identification unanswered", .opzioni = {"-a", altrove}, .script = {{"FWI", 0, Replica{}}}, .codice = 7,
     .eventi = "header connected error done"},
    // An identity is whole or none: nothing is erased on a part of one.
    {.nome = "6 bytes of an identity and no more", .script = {{"FWI", 0, r(QByteArray("FWI=\x02\x15", 6), 1)}},
     .codice = 7, .eventi = "header connected error done"},
    {.nome = "another board", .file = altra_scheda, .codice = 12, .eventi = rinuncia, .suggerimento = forza},
    {.nome = "another board, --force", .opzioni = {"--force"}, .file = altra_scheda,
     .eventi = "header connected identity warning erase progress transferred verified done"},
    // The WGM110's identity may be unavailable: told as a warning, and the update goes on.
    {.nome = "W, the identity not available: a warning", .file = firmware_integro('W', dati_di_prova(300)),
     .script = {{"FWI", 0, r("FWI=???", 1)}}, .eventi = "header connected warning " + fatto.sliced(26)},
    {.nome = "erase refused", .script = {{"PGS", 2, r("N", 1)}}, .codice = 8, .eventi = cancellato},
    {.nome = "checksum refused three times", .script = {{"PGP", 0, r("C", 1)}}, .codice = 9, .eventi = cancellato,
     .suggerimento = "Page 1 of 12 was not written."},
    {.nome = "identify", .opzioni = {"--identify"}, .file = {}, .eventi = "connected identity done"},
    {.nome = "identify, no information", .opzioni = {"--identify"}, .file = {}, .script = {{"FWI", 0, r("FWI=???", 1)}},
     .codice = 7, .eventi = "connected error done"},
    {.nome = "reset acknowledged", .opzioni = {"--reset"}, .file = {}, .eventi = "connected done"},
    {.nome = "reset unanswered", .opzioni = {"--reset"}, .file = {}, .script = {{"RST!", 0, Replica{}}}, .codice = 1,
     .eventi = "connected error done"},
    // The exit code is the failure that left the device erased, not that of a later try that reached nothing.
    {.nome = "--retries, the link lost and then the module", .opzioni = {"--retries", "2"}, .codice = 9,
     .eventi = "header connected identity erase progress retry erased error done", .suggerimento = "Page 2 of 12",
     .errori = "\nTrying again (3 of 3): the device is erased.\n", .errore_in_attesa = 6, .modulo_perso = true},
    {.nome = "--retries: the erase asked once", .opzioni = {"--retries", "1"},
     .eventi = "header connected identity erase progress retry " + fatto.sliced(7),
     .errori = "\nTrying again (2 of 2): the device is erased.\n", .risposte = "y\ny\n", .errore_in_attesa = 6},
    {.nome = "Ctrl-C during the transfer", .codice = 130,
     .eventi = "header connected identity erase progress erased error done", .segnale_in_attesa = 6},
    {.nome = "no terminal, no --yes", .codice = 2, .eventi = "error done", .risposte = ""},
    // At a question, yes only for a yes of the language, in any case; anything else is No.
    {.nome = "en: y", .risposte = "y\ny\n"},
    {.nome = "en: YES, blanks around", .risposte = " YES \ny\n"},
    {.nome = "en: s, an Italian yes", .codice = 1, .eventi = rinuncia, .risposte = "s\n"},
    {.nome = "en: nothing", .codice = 1, .eventi = rinuncia, .risposte = "\n"},
    {.nome = "en: update declined", .codice = 1, .eventi = fino_al_verdetto + "erased error done", .risposte = "y\nn"},
    {.nome = "it: s", .risposte = "s\ny\n", .lingua = 0},
    {.nome = "it: si", .risposte = "si\ny\n", .lingua = 0},
    {.nome = "it: SÌ", .risposte = "SÌ\ny\n", .lingua = 0},
    {.nome = "it: y", .risposte = "y\ny\n", .lingua = 0},
    {.nome = "it: Yes", .risposte = "Yes\ny\n", .lingua = 0},
    {.nome = "it: sino", .codice = 1, .eventi = rinuncia, .risposte = "sino\n", .lingua = 0},
    // A signal while the device's verdict is on its way waits for it; a second ends the run at once.
    {.nome = "a signal at the verdict: its yes awaited", .script = {{"PGX", 0, r("A", 3000)}}, .errori = attesa,
     .segnali_al_verdetto = 1},
    {.nome = "a signal at the verdict: its no awaited", .script = {{"PGX", 0, r("E", 3000)}}, .codice = 10,
     .eventi = fino_al_verdetto + "erased error done", .errori = attesa, .segnali_al_verdetto = 1},
    {.nome = "two signals at the verdict: erased unknown", .script = {{"PGX", 0, r("A", 3000)}}, .codice = 143,
     .eventi = fino_al_verdetto + "error done", .suggerimento = "The device's verdict did not come: it may be erased.",
     .errori = attesa, .segnali_al_verdetto = 2},
};

} // namespace

class TestFlash : public QObject
{
    Q_OBJECT

private slots:
    void esito_data()
    {
        QTest::addColumn<Caso>("caso");
        for (const Caso &caso : casi)
            QTest::newRow(caso.nome) << caso;
    }
    void esito()
    {
        QFETCH(Caso, caso);
        Corsa corsa(caso);
        QCOMPARE(corsa.esegui(), caso.codice);
        QHash<QString, QJsonObject> ultimi;
        QCOMPARE(eventi(corsa.uscita, ultimi), caso.eventi);
        const QJsonObject done = ultimi.value("done"), errore = ultimi.value("error");
        QCOMPARE((std::tuple{done["exit_code"].toInt(), done["ok"].toBool(), errore["code"].toInt()}),
                 (std::tuple{caso.codice, caso.codice == 0, caso.codice}));
        // What to try next, and the error's text, are told on standard error too (another board's refusal as
        // the fact --force would override); no progress bar but on a terminal, no question with --yes.
        const QByteArray suggerito = errore["hint"].toString().toUtf8(), testo = errore["text"].toString().toUtf8();
        const QByteArray &detto = corsa.errori;
        QVERIFY2(suggerito.contains(caso.suggerimento) && suggerito.isEmpty() == caso.suggerimento.isEmpty()
                     && testo.isEmpty() == !caso.codice && detto.contains(suggerito) && detto.contains(caso.errori)
                     && (detto.contains(testo) || errore["class"] == "board") && !detto.contains('\r')
                     && (!caso.risposte.isNull() || !detto.contains("/N] ")), (suggerito + '\n' + detto).constData());
        QCOMPARE(detto.contains("--force: the device will be erased and written."), caso.opzioni.contains("--force"));
        // A try again told in words and as an event, with the same numbers.
        const QJsonObject di_nuovo = ultimi.value("retry");
        const QString prova
            = QStringLiteral("Trying again (%1 of %2)").arg(di_nuovo["try"].toInt()).arg(di_nuovo["of"].toInt());
        QVERIFY2(di_nuovo.isEmpty() || detto.contains(prova.toUtf8()), QJsonDocument(di_nuovo).toJson().constData());
        // The image's CRC16 once the CPU type says where the image starts: the header's but for a file cut short.
        const QJsonObject testata = ultimi.value("header");
        const bool uguali = testata["crc16_image"] == testata["crc16"];
        QVERIFY2(testata.isEmpty() || uguali == (testata["cpu"] != "x" && caso.file != troncato),
                 QJsonDocument(testata).toJson().constData());
        // Erased from the erase on until the device's verdict; unknown when the run ended while it was on its way.
        QCOMPARE(done["erased"], caso.segnali_al_verdetto == 2 ? QJsonValue() : QJsonValue(ultimi.contains("erased")));
        // The image's size once the file was looked at: not for a mistake in the options.
        QCOMPARE(done["bytes"].toInteger(), caso.file.isEmpty() || caso.codice == 2 ? 0 : caso.file.size() - 15);
        // Each try that reached the erase, or a device left alone for its board, is one record, the last ended as
        // the run ended, erased unless the device said otherwise; any other run, none.
        const QList<Tentativo> storico = corsa.storico.elenco(0).value();
        QCOMPARE(storico.size(), caso.eventi.split(u' ').count("erase") + int(errore["class"] == "board"));
        const Tentativo t = storico.value(0);
        if (!storico.isEmpty())
            QCOMPARE((std::tuple{t.concluso(), t.codice_uscita.value_or(-1), t.classe, t.cancellato}),
                     (std::tuple{true, caso.codice, caso.codice ? errore["class"].toString() : "completed",
                                 done["erased"] != QJsonValue(false)}));
        // Only away from the Access Point is the module's first data waited for; a module out of reach, 5 s.
        QCOMPARE(corsa.link.attese.value(0).timer == 2, caso.opzioni.contains(altrove));
        QVERIFY2(!corsa.link.mai_collegato || corsa.link.attese.last() == (Attesa{1, 5000, 5000}), "not 5 s to link");
        // Nothing is sent before the connection is up; never a reset nobody asked for, never the password.
        QCOMPARE(corsa.link.comandi.isEmpty(), !ultimi.contains("connected"));
        QCOMPARE(corsa.link.comandi.contains("RST!"), caso.opzioni.contains("--reset"));
        QVERIFY2(!(corsa.uscita + corsa.errori).contains("40718253"), corsa.errori.constData());
        if (caso.segnale_in_attesa)
            QCOMPARE(corsa.link.comandi.size(), caso.segnale_in_attesa); // the command of that wait is the last
    }

    void on_a_terminal_a_progress_bar_and_questions()
    {
        // Yes to the erase, then the end of the input at the update: No, and its line ended.
        Corsa corsa({.nome = "", .risposte = "y\n"});
        corsa.modo = {false, true, true, 1};
        QCOMPARE(corsa.esegui(), 1);
        // The erase in blocks and time, the pages with their speed and what is left; drawn at once, then no more
        // often than the eye follows: far fewer times than the 12 pages.
        for (const char *forma : {"\rerase +\\[#{15}\\.{15}\\]  50%  block 1 of 2, 0\\.0 s *\r",
                                  "\rerase +\\[#{30}\\] 100%  block 2 of 2, \\d+\\.\\d s *\n",
                                  "\rtransfer +\\[#{30}\\] 100%  \\d+\\.\\d KB/s  0:00 left *\n"})
            QVERIFY2(QRegularExpression(forma).match(QString::fromUtf8(corsa.errori)).hasMatch(), forma);
        QVERIFY2(corsa.errori.count('\r') < 8, corsa.errori.constData());
        QVERIFY2(corsa.errori.contains("Erase the device? [y/N] ")
                     && corsa.errori.contains("Do you want to proceed? [y/N] \n"), corsa.errori.constData());
        QVERIFY2(!corsa.link.comandi.last().startsWith("PGX"), "the update was sent after a No");
        QVERIFY2(corsa.uscita.startsWith("File: ") && !corsa.uscita.contains('{'), corsa.uscita.constData());
    }

    // kestra-flash as a process: what was asked for on standard output, a mistake on standard error (with
    // --json, as events on standard output too), before anything is sent.
    void help_version_and_usage_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("uscita"); // what standard output holds; empty: nothing
        QTest::addColumn<QString>("errori"); // standard error
        const auto riga = [](const char *nome, QStringList opzioni, int codice, QString uscita, QString errori) {
            QTest::newRow(nome) << opzioni << codice << uscita << errori;
        };
        riga("help: the exit codes within 80 columns", {"--help"}, 0,
             "\nExit codes:\n    0  completed: the device accepted the CRC16 and started programming;\n"
             "       --check: the file passed; --identify: the identity was read; --reset: the\n"
             "       module acknowledged\n       skipped: ",
             "");
        riga("version", {"--version"}, 0, "kestra-flash ", "");
        riga("two commands", {"--check", "--reset"}, 2, "",
             "kestra-flash: --check --identify --reset --history --history-sync: one at most\n");
        riga("a file too many", {"A.BIN", "B.BIN"}, 2, "", "kestra-flash: one firmware file expected\n");
        riga("port 0", {"-p", "0", "A.BIN"}, 2, "", "kestra-flash: --port must be a number from 1 to 65535\n");
        riga("--wait past the limit", {"--wait", "100001", "A.BIN"}, 2, "",
             "kestra-flash: --wait must be a number from 0 to 100000\n");
        // Options at their bounds are taken: the file is looked at.
        riga("the lowest numbers", {"-p", "1", "--wait", "0", "--retries", "0", "--limit", "0", "--check", "/no/A.BIN"},
             3, "", "Open firmware: /no/A.BIN: File not found\nkestra-flash: exit 3 (file)\n");
        riga("the highest numbers", {"-p", "65535", "--wait", "100000", "--retries", "100000", "--limit", "100000",
                                     "--check", "/no/A.BIN"}, 3, "", "Open firmware: /no/A.BIN: File not found");
        riga("a mistyped option, with --json: the nearest", {"--json", "--retrys", "1", "A.BIN"}, 2,
             "{\"class\":\"usage\",\"code\":2,\"event\":\"error\",\"text\":\"Unknown option 'retrys'; did you mean "
             "--retries?\"}\n{\"bytes\":0,\"duration_ms\":0,\"erased\":false,\"event\":\"done\",\"exit_code\":2,",
             "kestra-flash: Unknown option 'retrys'; did you mean --retries?\nTry 'kestra-flash --help'.\n");
        riga("--until not a time", {"--history", "--until", "2026-13-01"}, 2, "",
             "kestra-flash: --until takes a time (ISO 8601) or a record's id\n");
        riga("an address that is none", {"-a", "300.1.1.1", "A.BIN"}, 2, "",
             "kestra-flash: --address: \"300.1.1.1\" is neither an IP address nor a host name\n");
        riga("a transcript not to be written", {"--log", "/no/kestra.log", "A.BIN"}, 2, "", "kestra-flash: --log: ");
    }
    void help_version_and_usage()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(QString, uscita);
        QFETCH(QString, errori);
        QProcess flash;
        flash.start(kestra_flash(), opzioni);
        QVERIFY2(flash.waitForFinished(10000), "kestra-flash did not end");
        QTEST(flash.exitCode(), "codice");
        const QString fuori = flash.readAllStandardOutput(), dentro = flash.readAllStandardError();
        QVERIFY2(fuori.contains(uscita) && fuori.isEmpty() == uscita.isEmpty(), qPrintable(fuori));
        QVERIFY2(dentro.contains(errori) && dentro.isEmpty() == errori.isEmpty(), qPrintable(dentro));
        for (const QString &linea : (fuori + dentro).split(u'\n'))
            QVERIFY2(linea.size() <= 80 || linea.startsWith("Usage: ") || linea.startsWith("{"), qPrintable(linea));
    }

    // Every kind of outcome has its class, its exit code, its line in --help and its entry in the manual page's
    // exit statuses; a code heads the line of its first class, the others follow it.
    void every_outcome_is_told()
    {
        QHash<QString, int> in_elenco; // the code each class is listed under
        int codice = -1;
        for (const QString &linea : elenco_codici().split(u'\n')) {
            if (const auto inizio = QRegularExpression("^ *(\\d+)  ").match(linea); inizio.hasMatch())
                codice = inizio.captured(1).toInt();
            in_elenco.insert(linea.sliced(qMin<qsizetype>(7, linea.size())).section(u':', 0, 0), codice);
        }
        const QByteArray manuale = leggi_file(QStringLiteral(KESTRA_SORGENTI "/packaging/kestra-flash.1.in"));
        const QByteArray stati = manuale.sliced(manuale.indexOf(".SH EXIT STATUS"));
        for (int tipo = 0; tipo < numero_tipi_esito; ++tipo) {
            const QString classe = QLatin1String(nome_tipo_esito(TipoEsito(tipo)));
            const QByteArray numero = QByteArray::number(codice_uscita(TipoEsito(tipo)));
            QVERIFY2(in_elenco.value(classe, -1) == codice_uscita(TipoEsito(tipo))
                         && (stati.contains("\n.B " + numero + '\n') || stati.contains("\n.BR " + numero + ' ')),
                     qPrintable(classe));
        }
    }

    // The completion the package installs, as bash runs it: an option begun, the languages, .BIN files and folders.
    void completion_in_bash()
    {
        QTemporaryDir cartella;
        for (const char *nome : {"A.BIN", "b.bin", "c.txt"})
            scrivi_file(cartella.filePath(nome), "x");
        QVERIFY2(QDir(cartella.path()).mkdir("cartella"), "the test could not make the folder");
        QProcess bash;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert("PATH", QFileInfo(kestra_flash()).path() + u':' + ambiente.value("PATH"));
        bash.setProcessEnvironment(ambiente);
        bash.setWorkingDirectory(cartella.path());
        const QString script = QStringLiteral(
            "source %1/packaging/kestra-flash.bash-completion; complete -p kestra-flash >/dev/null || exit 9; "
            "c() { COMP_WORDS=(kestra-flash \"$@\"); COMP_CWORD=$#; COMPREPLY=(); _kestra_flash kestra-flash; "
            "printf '%s\\n' \"${COMPREPLY[@]}\" | sort -f | tr '\\n' ' '; echo '|'; }; c --ret; c --language ''; c ''");
        bash.start("bash", {"-c", script.arg(QStringLiteral(KESTRA_SORGENTI))});
        QVERIFY2(bash.waitForFinished(10000) && bash.exitCode() == 0, bash.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()), "--retries |\nen it |\nA.BIN b.bin cartella |\n");
    }
};

QTEST_GUILESS_MAIN(TestFlash)
#include "test_flash.moc"
