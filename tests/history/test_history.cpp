#include "history/export.h"
#include "history/reader.h"
#include "testing/files.h"
#include "records.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

namespace {

// Records `quanti` attempts in `cartella`'s history, FW0.BIN first; the warnings it gave.
QStringList riempi(const QString &cartella, int quanti)
{
    QStringList avvisi;
    StoricoSqlite db(cartella + "/history.sqlite", [&](const QString &a) { avvisi.append(a); });
    for (int n = 0; n < quanti; ++n)
        registra(db, di_prova(n), n);
    return avvisi;
}

// The whole history listed.
struct Elenco
{
    explicit Elenco(const QString &percorso)
    {
        esito = LettoreLocale(percorso).leggi({}, [this](const Tentativo &t) { tentativi << t, file << t.file; });
    }
    QList<Tentativo> tentativi;
    QStringList file;
    EsitoLettura esito;
};

// Gives the page of `percorso` that holds `segno` a type no page has.
void rovina_pagina(const QString &percorso, const QByteArray &segno)
{
    QByteArray byte = leggi_file(percorso);
    byte[byte.indexOf(segno) / 4096 * 4096] = '\x42';
    scrivi_file(percorso, byte);
}

// The names and bytes of a folder's files, SQLite's "-wal" and "-shm" aside,
// which coordinate the readers and the writers of a database.
QMap<QString, QByteArray> contenuto(const QString &cartella)
{
    QMap<QString, QByteArray> file;
    for (const QString &nome : QDir(cartella).entryList(QDir::Files).filter(QRegularExpression("(?<!-wal|-shm)$")))
        file.insert(nome, leggi_file(cartella + u'/' + nome));
    return file;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    // Every field kept, listed, exported and read back by another reader than this program.
    void every_field_is_kept_and_exported_data()
    {
        QTest::addColumn<FormatoEsportazione>("formato");
        QTest::addColumn<QString>("lettore"); // python, of the text `d`
        using enum FormatoEsportazione;
        QTest::newRow("JSON, an object a line") << Json << "[json.loads(r) for r in d.split('\\n') if r]";
        QTest::newRow("CSV, read by python's csv module") << Csv << "list(csv.DictReader(io.StringIO(d, newline='')))";
    }
    void every_field_is_kept_and_exported()
    {
        QFETCH(FormatoEsportazione, formato);
        QFETCH(QString, lettore);
        QTemporaryDir cartella;
        Tentativo chiuso = di_prova(1), fine = concluso(chiuso);
        chiuso.unita = fine.unita = "a,b";
        fine.testo = "Errore: \"pagina\" 12, riprovare\r\nperché\nsì";
        StoricoSqlite db(cartella.filePath("history.sqlite"), [](const QString &a) { QFAIL(qPrintable(a)); });
        db.inizio(chiuso);
        db.fine(fine);
        fine.classe = "verification";
        db.fine(fine);          // an attempt ends once: a record that ended does not change
        db.inizio(di_prova(2)); // killed: it never ends
        const Elenco elenco(cartella.filePath("history.sqlite"));
        QVERIFY2(elenco.file == QStringList({"FW2.BIN", "FW1.BIN"}) && !elenco.tentativi[0].concluso()
                     && elenco.tentativi[0].cancellato,
                 "an attempt that never ended says so, and that the device may be erased");
        QBuffer uscita;
        uscita.open(QIODevice::WriteOnly);
        Esportazione esportazione(uscita, formato);
        for (const Tentativo &t : elenco.tentativi)
            QVERIFY2(esportazione.scrivi(t), "the export was refused");
        const bool crlf = uscita.data().endsWith("\r\n") && uscita.data().contains("erased\r\n");
        QVERIFY2(formato == FormatoEsportazione::Json || crlf, "a CSV line ends without CRLF");
        QProcess python;
        python.start("python3", {"-c", "import csv, io, json, sys; d = sys.stdin.buffer.read().decode(); "
                                       "print(json.dumps(" + lettore + "))"});
        python.write(uscita.data());
        python.closeWriteChannel();
        QVERIFY2(python.waitForFinished() && python.exitCode() == 0, python.readAllStandardError().constData());
        QJsonArray attesi{in_json(elenco.tentativi[0]),
                          QJsonObject{{"id", chiuso.id}, {"started", "2026-12-07T10:00:01.250Z"},
                                      {"completed", "2026-12-07T10:00:06.450Z"}, {"duration_ms", 5200},
                                      {"station", "banco-1"}, {"unit", "a,b"}, {"user", "tecnico"}, {"forced", false},
                                      {"front_end", "cli"}, {"version", "1.0.0"}, {"address", "127.0.0.1"},
                                      {"port", 7999}, {"file", "FW1.BIN"}, {"file_sha256", "ab12"}, {"cpu", "s"},
                                      {"bootloader", "1.2"}, {"firmware", "2.13"}, {"board", "KR01"},
                                      {"crc16_stored", "1A98"}, {"device_firmware", "2.15"}, {"device_board", "KR02"},
                                      {"device_name", "KESTRA01"}, {"device_date", "05.03.18"}, {"pages", 512},
                                      {"crc16", "EB3"}, {"resends", 3}, {"exit_code", 9}, {"class", "transfer"},
                                      {"text", "Errore: \"pagina\" 12, riprovare\r\nperché\nsì"}, {"erased", true}}};
        for (QJsonValueRef record : attesi) {
            QJsonObject campi = record.toObject();
            for (QJsonValueRef campo : campi) // CSV has only texts
                campo = formato == FormatoEsportazione::Csv ? campo.toVariant().toString() : QJsonValue(campo);
            record = campi;
        }
        QCOMPARE(QJsonDocument::fromJson(python.readAllStandardOutput()).array(), attesi);
    }

    // Several histories creating the file and recording at once, each on a
    // thread of its own, as several programs do: every attempt of each lands.
    void writers_at_once()
    {
        QTemporaryDir cartella;
        QStringList avvisi[4];
        std::unique_ptr<QThread> scrittori[4];
        for (int s = 0; s < 4; ++s) {
            scrittori[s].reset(QThread::create([&, s] { avvisi[s] = riempi(cartella.path(), 25); }));
            scrittori[s]->start();
        }
        for (int s = 0; s < 4; ++s)
            scrittori[s]->wait();
        const QStringList detti = avvisi[0] + avvisi[1] + avvisi[2] + avvisi[3];
        QVERIFY2(detti.isEmpty(), qPrintable(detti.join(u'\n')));
        const Elenco elenco(cartella.filePath("history.sqlite"));
        QCOMPARE(elenco.tentativi.size(), 100);
        QVERIFY2(std::ranges::all_of(elenco.tentativi, &Tentativo::concluso), "an attempt was left not ended");
    }

    // The committed file was written by the history before it had versions;
    // the JSON file holds its records as they must be listed, ids aside:
    // listed as it is, unchanged, then after a writer migrated it.
    void a_history_from_before_versions_keeps_every_record()
    {
        QTemporaryDir cartella;
        const QByteArray v1 = leggi_file(QFINDTESTDATA("data/history-v1.sqlite"));
        const QString file = scrivi_file(cartella.filePath("history.sqlite"), v1);
        const QJsonArray attesi = QJsonDocument::fromJson(leggi_file(QFINDTESTDATA("data/history-v1.json"))).array();
        for (const int versione : {1, 3}) {
            if (versione == 3)
                StoricoSqlite(file, [](const QString &a) { QFAIL(qPrintable(a)); }).prepara();
            const Elenco elenco(file);
            QJsonArray senza_id;
            QSet<QString> id;
            for (const Tentativo &t : elenco.tentativi) {
                QJsonObject json = in_json(t);
                id.insert(json.take("id").toString());
                senza_id.append(json);
            }
            QCOMPARE(senza_id, attesi);
            QCOMPARE(elenco.esito.versione, versione);
            QCOMPARE(id.size(), versione == 1 ? 1 : attesi.size()); // no ids before versions, then one of its own each
            QVERIFY2(versione == 3 || leggi_file(file) == v1, "the listing changed the file");
        }
    }

    // A listing changes nothing, nor does a writer that cannot write: the
    // folder's files stay as they were, byte for byte; the writer says so once.
    void a_history_is_left_as_it_is_data()
    {
        QTest::addColumn<int>("quanti");          // attempts recorded
        QTest::addColumn<QByteArray>("rovinata"); // the page that holds this is damaged; no writer then
        QTest::addColumn<int>("versione");        // the file's version is set to this
        QTest::addColumn<QString>("ostacolo");    // the history's folder a file, or its log a folder
        QTest::newRow("a folder that is a file: no history") << 0 << QByteArray() << 0 << "folder";
        QTest::newRow("a write-ahead log it cannot open") << 5 << QByteArray() << 0 << "-wal";
        QTest::newRow("a damaged page amid the records") << 200 << QByteArray("FW100.BIN") << 0 << "";
        QTest::newRow("a newer program's history") << 3 << QByteArray() << 99 << "";
    }
    void a_history_is_left_as_it_is()
    {
        QFETCH(int, quanti);
        QFETCH(QByteArray, rovinata);
        QFETCH(int, versione);
        QFETCH(QString, ostacolo);
        QTemporaryDir cartella;
        const QString dove = ostacolo == "folder" ? scrivi_file(cartella.filePath("a-file"), "x") : cartella.path();
        const QString file = dove + "/history.sqlite";
        riempi(dove, quanti);
        if (versione) // PRAGMA user_version: 4 bytes at 60 in the file's header
            scrivi_file(file, leggi_file(file).replace(60, 4, QByteArray(3, 0) + char(versione)));
        if (!rovinata.isEmpty())
            rovina_pagina(file, rovinata);
        if (ostacolo == "-wal")
            QDir().mkdir(file + ostacolo);
        const QMap<QString, QByteArray> prima = contenuto(cartella.path());
        const Elenco elenco(file);
        QVERIFY2(elenco.esito.letto, qPrintable(elenco.esito.perche));
        QCOMPARE(elenco.esito.letti + elenco.esito.non_letti, quanti);
        QCOMPARE(elenco.esito.non_letti > 0, !rovinata.isEmpty());
        QCOMPARE(elenco.esito.piu_nuovo, versione > 3);
        QVERIFY2(rovinata.isEmpty() || (elenco.file.first() == "FW199.BIN" && elenco.file.last() == "FW0.BIN"
                                        && !elenco.file.contains(rovinata)),
                 "the records after and before the damaged page are listed, the page's are not");
        const QStringList avvisi = rovinata.isEmpty() ? riempi(dove, 2) : QStringList{""};
        QCOMPARE(avvisi.size(), 1);
        QVERIFY2(!versione || avvisi.first().contains("newer version"), qPrintable(avvisi.first()));
        QCOMPARE(contenuto(cartella.path()), prima);
    }

    // The page where records are added is damaged: the history is salvaged.
    void a_damaged_file_is_salvaged()
    {
        QTemporaryDir cartella;
        const QString file = cartella.filePath("history.sqlite");
        riempi(cartella.path(), 200);
        rovina_pagina(file, "FW199.BIN");
        const QByteArray rovinato = leggi_file(file);
        QStringList avvisi;
        StoricoSqlite(file, [&](const QString &a) { avvisi.append(a); }).inizio(di_prova(500));
        const Elenco elenco(file);
        const qint64 tenuti = elenco.esito.letti - 1;
        QVERIFY2(elenco.file.first() == "FW500.BIN" && tenuti > 180 && !elenco.file.contains("FW199.BIN"),
                 qPrintable(elenco.file.join(u' ')));
        const QStringList accanto = contenuto(cartella.path()).keys().filter("history.sqlite.damaged-");
        QCOMPARE(accanto.size(), 1);
        QCOMPARE(leggi_file(cartella.filePath(accanto.first())), rovinato); // never deleted
        QCOMPARE(avvisi.size(), 1);
        const QString atteso = QStringLiteral("moved aside to %1; the %2 records that could still be read are kept in "
                                              "a new history, %3 could not be read")
                                   .arg(cartella.filePath(accanto.first())).arg(tenuti).arg(200 - tenuti);
        QVERIFY2(avvisi.first().contains(atteso), qPrintable(avvisi.first()));
    }

    void a_listing_filters_data() { righe_filtri(); }
    void a_listing_filters()
    {
        QTemporaryDir cartella;
        StoricoSqlite db(cartella.filePath("history.sqlite"), [](const QString &a) { QFAIL(qPrintable(a)); });
        LettoreLocale lettore(db.percorso());
        verifica_filtro(db, lettore);
    }
};

QTEST_GUILESS_MAIN(TestHistory)

#include "test_history.moc"
