#include "history/export.h"
#include "history/history_db.h"
#include "history/reader.h"
#include "testing/files.h"
#include "filter_rows.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtEndian>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const char *const opzione_scrittore = "--scrivi";
const char *const opzione_elenco = "--elenca";
constexpr int scrittori = 4, per_scrittore = 25;

// The history in `cartella`, and the warnings it gave.
struct StoricoProvato
{
    explicit StoricoProvato(const QString &cartella)
        : db(cartella + QStringLiteral("/history.sqlite"), [this](const QString &a) { avvisi.append(a); })
    {
    }
    QStringList avvisi;
    StoricoSqlite db;
};

// Records `quanti` attempts in `cartella`'s history, FW0.BIN first, each
// begun and ended; the warnings it gave.
QStringList riempi(const QString &cartella, int quanti)
{
    StoricoProvato storico(cartella);
    for (int n = 0; n < quanti; ++n) {
        const Tentativo t = di_prova(n);
        storico.db.inizio(t);
        storico.db.fine(concluso(t, n));
    }
    return storico.avvisi;
}

struct Elenco
{
    EsitoLettura esito;
    QList<Tentativo> tentativi;
    QStringList file;
};

Elenco elenca(const QString &percorso)
{
    Elenco e;
    e.esito = LettoreLocale(percorso).leggi({}, [&e](const Tentativo &t) {
        e.tentativi.append(t);
        e.file.append(t.file);
    });
    return e;
}

// Sets a closed history's version: PRAGMA user_version, 4 bytes at 60 in the file's header.
void imposta_versione(const QString &percorso, int versione)
{
    QByteArray byte = leggi_file(percorso);
    qToBigEndian<qint32>(versione, byte.data() + 60);
    scrivi_file(percorso, byte);
}

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
    for (const QString &nome : QDir(cartella).entryList(QDir::Files)) {
        if (!nome.endsWith(QLatin1String("-wal")) && !nome.endsWith(QLatin1String("-shm")))
            file.insert(nome, leggi_file(cartella + u'/' + nome));
    }
    return file;
}

// Lists `percorso` in a folder that takes no new file: as nobody, in a child
// process, when the test runs as root, whom no folder's mode stops.
EsitoLettura elenca_in_sola_lettura(const QString &percorso)
{
    const QString cartella = QFileInfo(percorso).path();
    QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QStringList comando{QCoreApplication::applicationFilePath(), opzione_elenco, percorso};
    if (geteuid() == 0)
        comando = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + comando;
    QProcess figlio;
    figlio.start(comando.first(), comando.mid(1));
    figlio.waitForFinished();
    QFile::setPermissions(cartella, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QJsonObject esito = QJsonDocument::fromJson(figlio.readAllStandardOutput()).object();
    return {esito["letto"].toBool(), esito["perche"].toString() + figlio.readAllStandardError(),
            esito["letti"].toInteger(), esito["non_letti"].toInteger(), 0, esito["piu_nuovo"].toBool()};
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void an_attempt_is_kept_with_every_field()
    {
        QTemporaryDir cartella;
        Tentativo aperto = di_prova(2), chiuso = di_prova(1);
        {
            StoricoProvato storico(cartella.path());
            storico.db.inizio(chiuso);
            storico.db.fine(concluso(chiuso));
            Tentativo di_nuovo = concluso(chiuso);
            di_nuovo.classe = QStringLiteral("verification");
            storico.db.fine(di_nuovo); // an attempt ends once: a record that ended does not change
            storico.db.inizio(aperto);  // killed: it never ends
            QVERIFY2(storico.avvisi.isEmpty(), qPrintable(storico.avvisi.join(u'\n')));
        }
        const Elenco elenco = elenca(cartella.filePath("history.sqlite"));
        QCOMPARE(elenco.file, (QStringList{"FW2.BIN", "FW1.BIN"}));
        QVERIFY2(in_json(elenco.tentativi[0])["completed"].isNull() && elenco.tentativi[0].cancellato,
                 "an attempt that never ended says so, and that the device may be erased");
        QCOMPARE(in_json(elenco.tentativi[1]),
                 (QJsonObject{{"id", chiuso.id}, {"started", "2026-12-07T10:00:01.250Z"},
                              {"completed", "2026-12-07T10:00:06.450Z"}, {"duration_ms", 5200},
                              {"station", "banco-1"}, {"unit", "SN-1"}, {"user", "tecnico"}, {"forced", false},
                              {"front_end", "cli"}, {"version", "1.0.0"}, {"address", "127.0.0.1"}, {"port", 7999},
                              {"file", "FW1.BIN"}, {"file_sha256", "ab12"}, {"cpu", "s"}, {"bootloader", "1.2"},
                              {"firmware", "2.13"}, {"board", "KR01"}, {"crc16_stored", "1A98"},
                              {"device_firmware", "2.15"}, {"device_board", "KR02"}, {"device_name", "KESTRA01"},
                              {"device_date", "05.03.18"}, {"pages", 512}, {"crc16", "EB3"}, {"resends", 3},
                              {"exit_code", 9}, {"class", "transfer"}, {"text", "Transfer error"}, {"erased", true}}));
    }

    // Several programs recording at once: every attempt of each lands.
    void writers_at_once()
    {
        QTemporaryDir cartella;
        QList<QProcess *> figli;
        for (int n = 0; n < scrittori; ++n) {
            figli.append(new QProcess(this));
            figli.last()->start(QCoreApplication::applicationFilePath(), {opzione_scrittore, cartella.path()});
        }
        for (QProcess *figlio : figli) {
            QVERIFY2(figlio->waitForFinished(30000), "a writer never ended");
            QCOMPARE(figlio->readAllStandardError(), QByteArray());
            QCOMPARE(figlio->exitCode(), 0);
        }
        const Elenco elenco = elenca(cartella.filePath("history.sqlite"));
        QCOMPARE(elenco.tentativi.size(), scrittori * per_scrittore);
        QVERIFY2(std::all_of(elenco.tentativi.begin(), elenco.tentativi.end(),
                             [](const Tentativo &t) { return t.concluso(); }),
                 "an attempt was left not ended");
    }

    // The committed file was written by the history before it had versions;
    // the JSON file holds its records as they must be listed, ids aside.
    void a_history_from_before_versions_keeps_every_record_data()
    {
        QTest::addColumn<bool>("migrato");
        QTest::newRow("listed as it is, unchanged") << false;
        QTest::newRow("migrated by a writer") << true;
    }
    void a_history_from_before_versions_keeps_every_record()
    {
        QFETCH(bool, migrato);
        QTemporaryDir cartella;
        const QString file = cartella.filePath("history.sqlite");
        const QByteArray prima = leggi_file(QFINDTESTDATA("data/history-v1.sqlite"));
        scrivi_file(file, prima);
        if (migrato) {
            StoricoProvato storico(cartella.path());
            storico.db.prepara();
            QVERIFY2(storico.avvisi.isEmpty(), qPrintable(storico.avvisi.join(u'\n')));
        }
        const Elenco elenco = elenca(file);
        QCOMPARE(elenco.esito.versione, migrato ? 3 : 1);
        QJsonArray senza_id;
        QSet<QString> id;
        for (const Tentativo &t : elenco.tentativi) {
            QJsonObject json = in_json(t);
            id.insert(json.take("id").toString());
            senza_id.append(json);
        }
        const QJsonArray attesi = QJsonDocument::fromJson(leggi_file(QFINDTESTDATA("data/history-v1.json"))).array();
        QCOMPARE(senza_id, attesi);
        if (migrato)
            QVERIFY2(id.size() == attesi.size() && !QUuid::fromString(*id.begin()).isNull(),
                     "every record kept has an id of its own");
        else
            QCOMPARE(leggi_file(file), prima);
    }

    // A listing changes nothing: the folder's files stay as they were, byte for byte.
    void a_listing_only_reads_data()
    {
        QTest::addColumn<int>("quanti");            // attempts recorded
        QTest::addColumn<QByteArray>("rovinata");   // the page that holds this is damaged
        QTest::addColumn<int>("versione");          // the file's version is set to this
        QTest::addColumn<bool>("sola_lettura");     // listed from a folder that takes no new file
        QTest::newRow("no history yet") << 0 << QByteArray() << 0 << false;
        QTest::newRow("a folder that takes no new file") << 5 << QByteArray() << 0 << true;
        QTest::newRow("a damaged page amid the records") << 200 << QByteArray("FW100.BIN") << 0 << false;
        QTest::newRow("a newer program's history") << 3 << QByteArray() << 99 << false;
    }
    void a_listing_only_reads()
    {
        QFETCH(int, quanti);
        QFETCH(QByteArray, rovinata);
        QFETCH(int, versione);
        QFETCH(bool, sola_lettura);
        QTemporaryDir cartella;
        const QString file = cartella.filePath("history.sqlite");
        riempi(cartella.path(), quanti);
        if (versione)
            imposta_versione(file, versione);
        if (!rovinata.isEmpty())
            rovina_pagina(file, rovinata);
        const QMap<QString, QByteArray> prima = contenuto(cartella.path());
        const Elenco elenco = sola_lettura ? Elenco{elenca_in_sola_lettura(file), {}, {}} : elenca(file);
        QVERIFY2(elenco.esito.letto, qPrintable(elenco.esito.perche));
        QCOMPARE(elenco.esito.letti + elenco.esito.non_letti, quanti);
        QCOMPARE(elenco.esito.non_letti > 0, !rovinata.isEmpty());
        QCOMPARE(elenco.esito.piu_nuovo, versione > 3);
        if (!rovinata.isEmpty())
            QVERIFY2(elenco.file.first() == "FW199.BIN" && elenco.file.last() == "FW0.BIN"
                         && !elenco.file.contains(rovinata),
                     "the records after and before the damaged page are listed, the page's are not");
        QCOMPARE(contenuto(cartella.path()), prima);
    }

    void a_damaged_file_is_salvaged_data()
    {
        QTest::addColumn<int>("quanti");
        QTest::addColumn<QByteArray>("rovinata"); // empty: the file is no database at all
        QTest::newRow("not a database") << 0 << QByteArray();
        QTest::newRow("a damaged page where records are added") << 200 << QByteArray("FW199.BIN");
    }
    void a_damaged_file_is_salvaged()
    {
        QFETCH(int, quanti);
        QFETCH(QByteArray, rovinata);
        QTemporaryDir cartella;
        const QString file = cartella.filePath("history.sqlite");
        riempi(cartella.path(), quanti);
        if (rovinata.isEmpty())
            scrivi_file(file, QByteArray(4096, 'x'));
        else
            rovina_pagina(file, rovinata);
        const QByteArray rovinato = leggi_file(file);
        StoricoProvato storico(cartella.path());
        storico.db.inizio(di_prova(500));
        const Elenco elenco = elenca(file);
        const qint64 tenuti = elenco.esito.letti - 1;
        QVERIFY2(elenco.file.first() == "FW500.BIN" && tenuti > quanti - 20 && !elenco.file.contains(rovinata),
                 qPrintable(elenco.file.join(u' ')));
        const QStringList accanto = contenuto(cartella.path()).keys().filter("history.sqlite.damaged-");
        QCOMPARE(accanto.size(), 1);
        QCOMPARE(leggi_file(cartella.filePath(accanto.first())), rovinato); // never deleted
        QCOMPARE(storico.avvisi.size(), 1);
        const QString atteso = QStringLiteral("moved aside to %1; the %2 records that could still be read are kept in "
                                              "a new history, %3 could not be read")
                                   .arg(cartella.filePath(accanto.first()))
                                   .arg(tenuti)
                                   .arg(quanti - tenuti);
        QVERIFY2(storico.avvisi.first().contains(atteso), qPrintable(storico.avvisi.first()));
    }

    void a_history_it_cannot_write_is_told_once_and_left_as_it_is_data()
    {
        QTest::addColumn<bool>("piu_nuovo"); // else a folder inside a file
        QTest::newRow("a folder inside a file") << false;
        QTest::newRow("a newer program's history") << true;
    }
    void a_history_it_cannot_write_is_told_once_and_left_as_it_is()
    {
        QFETCH(bool, piu_nuovo);
        QTemporaryDir cartella;
        QString dove = cartella.path();
        if (piu_nuovo) {
            riempi(dove, 2);
            imposta_versione(dove + "/history.sqlite", 99);
        } else {
            dove = scrivi_file(cartella.filePath("a-file"), "x");
        }
        const QMap<QString, QByteArray> prima = contenuto(cartella.path());
        const QStringList avvisi = riempi(dove, 2);
        QCOMPARE(avvisi.size(), 1);
        QVERIFY2(!piu_nuovo || avvisi.first().contains("newer version"), qPrintable(avvisi.first()));
        QCOMPARE(contenuto(cartella.path()), prima);
    }

    void a_listing_filters_data() { righe_filtri(); }
    void a_listing_filters()
    {
        QTemporaryDir cartella;
        const QList<Tentativo> tentativi = filtrati();
        {
            StoricoProvato storico(cartella.path());
            for (const Tentativo &t : tentativi) {
                storico.db.inizio(t);
                storico.db.fine(t);
            }
        }
        LettoreLocale lettore(cartella.filePath("history.sqlite"));
        verifica_filtro(lettore, tentativi);
    }

    // The export read back by another reader than this program.
    void exported_records_read_back_data()
    {
        QTest::addColumn<FormatoEsportazione>("formato");
        QTest::newRow("JSON, an object a line") << FormatoEsportazione::Json;
        QTest::newRow("CSV, read by python's csv module") << FormatoEsportazione::Csv;
    }
    void exported_records_read_back()
    {
        QFETCH(FormatoEsportazione, formato);
        Tentativo scomodo = concluso(di_prova(1));
        scomodo.testo = QStringLiteral("Errore: \"pagina\" 12, riprovare\r\nperché\nsì");
        scomodo.unita = QStringLiteral("a,b");
        const QList<Tentativo> tentativi{scomodo, di_prova(2)};
        QBuffer uscita;
        uscita.open(QIODevice::WriteOnly);
        Esportazione esportazione(uscita, formato);
        for (const Tentativo &t : tentativi)
            QVERIFY2(esportazione.scrivi(t), "the export was refused");
        QJsonArray letti, attesi;
        for (const Tentativo &t : tentativi)
            attesi.append(in_json(t));
        if (formato == FormatoEsportazione::Json) {
            for (const QByteArray &riga : uscita.data().split('\n').mid(0, tentativi.size()))
                letti.append(QJsonDocument::fromJson(riga).object());
        } else {
            QVERIFY2(uscita.data().endsWith("\r\n") && uscita.data().contains("erased\r\n"), "a line ends without CRLF");
            QProcess python;
            python.start("python3", {"-c", "import csv, io, json, sys; print(json.dumps(list(csv.DictReader("
                                            "io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8', newline='')))))"});
            python.write(uscita.data());
            python.closeWriteChannel();
            QVERIFY2(python.waitForFinished() && python.exitCode() == 0, python.readAllStandardError().constData());
            letti = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
            for (QJsonValueRef record : attesi) { // CSV has only texts
                QVariantMap campi = record.toObject().toVariantMap();
                for (QVariant &campo : campi)
                    campo = campo.typeId() == QMetaType::Bool ? QVariant(campo.toBool() ? "true" : "false") : campo.toString();
                record = QJsonObject::fromVariantMap(campi);
            }
        }
        QCOMPARE(letti, attesi);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A child of writers_at_once: it records its attempts and ends.
    if (argc == 3 && qstrcmp(argv[1], opzione_scrittore) == 0) {
        const QStringList avvisi = riempi(QString::fromLocal8Bit(argv[2]), per_scrittore);
        for (const QString &avviso : avvisi)
            qWarning("%s", qPrintable(avviso));
        return avvisi.isEmpty() ? 0 : 1;
    }
    // A child of elenca_in_sola_lettura: it lists and says how it went.
    if (argc == 3 && qstrcmp(argv[1], opzione_elenco) == 0) {
        const EsitoLettura esito = LettoreLocale(QString::fromLocal8Bit(argv[2])).leggi({}, [](const Tentativo &) {});
        const QJsonObject json{{"letto", esito.letto}, {"perche", esito.perche}, {"letti", esito.letti},
                               {"non_letti", esito.non_letti}, {"piu_nuovo", esito.piu_nuovo}};
        QTextStream(stdout) << QJsonDocument(json).toJson();
        return 0;
    }
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_history.moc"
