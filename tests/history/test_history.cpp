#include "history/history_db.h"
#include "testing/files.h"

#include <QDir>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const opzione_scrittore = "--scrivi";
constexpr int scrittori = 4, per_scrittore = 25;

// An attempt whose every field differs from the others.
Tentativo di_prova(int n)
{
    Tentativo t;
    t.inizio = QDateTime(QDate(2026, 12, 7), QTime(10, 0, n % 60), Qt::UTC);
    t.front_end = QStringLiteral("cli");
    t.versione = QStringLiteral("1.0.0");
    t.indirizzo = QStringLiteral("127.0.0.1");
    t.porta = 7999;
    t.file = QStringLiteral("FW%1.BIN").arg(n);
    t.file_sha256 = QStringLiteral("ab12");
    t.cpu = QStringLiteral("s");
    t.bootloader = QStringLiteral("1.2");
    t.firmware = QStringLiteral("2.13");
    t.scheda = QStringLiteral("KR01");
    t.crc16_memorizzato = QStringLiteral("1A98");
    t.firmware_dispositivo = QStringLiteral("2.15");
    t.scheda_dispositivo = QStringLiteral("KR02");
    t.nome_dispositivo = QStringLiteral("KESTRA01");
    t.data_dispositivo = QStringLiteral("05.03.18");
    return t;
}

Tentativo concluso(Tentativo t)
{
    t.durata_ms = 5200;
    t.pagine = 512;
    t.crc16 = QStringLiteral("EB3");
    t.rinvii = 3;
    t.codice_uscita = 9;
    t.classe = QStringLiteral("transfer");
    t.testo = QStringLiteral("Transfer error");
    t.cancellato = true;
    return t;
}

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

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void an_attempt_is_kept_with_every_field()
    {
        QTemporaryDir cartella;
        {
            StoricoProvato storico(cartella.path());
            storico.db.inizio(di_prova(1));
            storico.db.fine(concluso(di_prova(1)));
            Tentativo di_nuovo = concluso(di_prova(1));
            di_nuovo.classe = QStringLiteral("verification");
            storico.db.fine(di_nuovo); // an attempt ends once: nothing begun, nothing changed
            storico.db.inizio(di_prova(2)); // killed: it never ends
        }
        StoricoProvato storico(cartella.path());
        const QList<Tentativo> elenco = storico.db.elenco(0).value();
        QCOMPARE(elenco.size(), 2);
        const QJsonObject aperto = in_json(elenco[0]), chiuso = in_json(elenco[1]);
        QCOMPARE(aperto["file"].toString(), QStringLiteral("FW2.BIN")); // newest first
        QVERIFY(!aperto["completed"].toBool());
        QVERIFY(aperto["duration_ms"].isNull() && aperto["exit_code"].isNull());
        QCOMPARE(chiuso, (QJsonObject{
                             {"started", "2026-12-07T10:00:01Z"}, {"completed", true}, {"duration_ms", 5200},
                             {"front_end", "cli"}, {"version", "1.0.0"}, {"address", "127.0.0.1"}, {"port", 7999},
                             {"file", "FW1.BIN"}, {"file_sha256", "ab12"}, {"cpu", "s"}, {"bootloader", "1.2"},
                             {"firmware", "2.13"}, {"board", "KR01"}, {"crc16_stored", "1A98"},
                             {"device_firmware", "2.15"}, {"device_board", "KR02"}, {"device_name", "KESTRA01"},
                             {"device_date", "05.03.18"}, {"pages", 512}, {"crc16", "EB3"}, {"resends", 3},
                             {"exit_code", 9}, {"class", "transfer"}, {"text", "Transfer error"}, {"erased", true}}));
        QCOMPARE(storico.db.elenco(1).value().size(), 1);
        QVERIFY(storico.avvisi.isEmpty());
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
            QVERIFY(figlio->waitForFinished(30000));
            QCOMPARE(figlio->readAllStandardError(), QByteArray());
            QCOMPARE(figlio->exitCode(), 0);
        }
        StoricoProvato storico(cartella.path());
        const QList<Tentativo> elenco = storico.db.elenco(0).value();
        QCOMPARE(elenco.size(), scrittori * per_scrittore);
        QVERIFY(std::all_of(elenco.begin(), elenco.end(), [](const Tentativo &t) { return t.concluso(); }));
    }

    void a_damaged_file_is_moved_aside_and_a_new_one_started_data()
    {
        QTest::addColumn<bool>("da_un_archivio"); // damaged in a page of a history, or not a database at all
        QTest::newRow("not a database") << false;
        QTest::newRow("a page whose free space is wrong") << true; // found by its check, not as an error
    }
    void a_damaged_file_is_moved_aside_and_a_new_one_started()
    {
        QFETCH(bool, da_un_archivio);
        QTemporaryDir cartella;
        const QString file = cartella.filePath("history.sqlite");
        QByteArray rovinato(4096, 'x');
        if (da_un_archivio) {
            {
                StoricoProvato storico(cartella.path());
                for (int n = 0; n < 30; ++n) {
                    storico.db.inizio(di_prova(n));
                    storico.db.fine(concluso(di_prova(n)));
                }
            }
            rovinato = leggi_file(file);
            QVERIFY(rovinato.size() > 3 * 4096);
            rovinato.replace(4096 + 1, 2, QByteArray("\x0f\xf0", 2)); // the table's page: its first free block
        }
        scrivi_file(file, rovinato);
        StoricoProvato storico(cartella.path());
        storico.db.inizio(di_prova(1));
        storico.db.fine(concluso(di_prova(1)));
        QCOMPARE(storico.db.elenco(0).value().size(), 1);
        QCOMPARE(storico.avvisi.size(), 1);
        const QStringList accanto = QDir(cartella.path()).entryList({"history.sqlite.damaged-*"});
        QCOMPARE(accanto.size(), 1);
        QCOMPARE(leggi_file(cartella.filePath(accanto.first())), rovinato); // never deleted
    }

    void a_history_that_cannot_be_opened_is_told_once_and_left_alone()
    {
        QTemporaryDir cartella;
        const QString file = scrivi_file(cartella.filePath("a-file"), "x");
        StoricoProvato storico(file); // a folder inside a file
        storico.db.inizio(di_prova(1));
        storico.db.fine(concluso(di_prova(1)));
        QVERIFY(!storico.db.elenco(0));
        QCOMPARE(storico.avvisi.size(), 1);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A child of writers_at_once: it records its attempts and ends.
    if (argc == 3 && qstrcmp(argv[1], opzione_scrittore) == 0) {
        StoricoProvato storico(QString::fromLocal8Bit(argv[2]));
        for (int n = 0; n < per_scrittore; ++n) {
            storico.db.inizio(di_prova(n));
            storico.db.fine(concluso(di_prova(n)));
        }
        for (const QString &avviso : storico.avvisi)
            qWarning("%s", qPrintable(avviso));
        return storico.avvisi.isEmpty() ? 0 : 1;
    }
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_history.moc"
