#include "history/server_reader.h"
#include "history/sync.h"
#include "testing/files.h"
#include "testing/postgres_server.h"
#include "testing/programs.h"
#include "testing/scripted_dialogs.h"
#include "window/history/history_view.h"
#include "records.h"

#include <QComboBox>
#include <QLabel>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTableView>
#include <QTemporaryDir>

#include <thread>

namespace {

// A station's history in a folder of its own, sent to the server of `url`; the warnings of both.
struct Stazione
{
    explicit Stazione(const QString &url)
        : server(leggi_url(url, errore_url))
        , storico(cartella.filePath("history.sqlite"), [this](const QString &a) { avvisi.append(a); })
        , invio(storico, {server, "banco-1", {}, errore_url}, [this](const QString &a) { avvisi.append(a); })
    {
    }
    QTemporaryDir cartella;
    QString errore_url;
    std::optional<IndirizzoServer> server;
    QStringList avvisi;
    StoricoSqlite storico;
    InvioStorico invio;
};

// Where the server's URL and the station's name are found.
struct Configurata
{
    const char *nome;
    QString esplicito, variabile, file_utente, file_stazione;
    QString origine, server, stazione; // a file by its name; the host, port, database and options; empty: the host's
};

} // namespace

class TestHistoryServer : public QObject
{
    Q_OBJECT

    ServerPostgres m_server;

private slots:
    // The plant's schema as the first station that sends creates it; the
    // schema of kestra_it as its owner creates it with the file IT is given,
    // for stations that may not create tables there.
    void initTestCase()
    {
        QVERIFY2(QSqlDatabase::isDriverAvailable("QPSQL"), "Qt has no QPSQL driver (Debian: libqt6sql6-psql)");
        QString errore;
        const QString schema = QString::fromUtf8(leggi_file(KESTRA_SORGENTI "/packaging/kestra-history-server.sql"));
        QVERIFY2(m_server.avvia(errore), qPrintable(errore));
        QCOMPARE(m_server.sql({"CREATE DATABASE kestra_it"}, "postgres"), QString());
        QCOMPARE(m_server.sql({schema, "GRANT kestra_station TO stazione"}, "kestra_it"), QString());
        qputenv("PGPASSFILE", QFile::encodeName(m_server.file_password()));
        Stazione prima(m_server.url());
        QVERIFY2(!prima.invio.invia().problema, "the first station could not create the server's schema");
    }

    void the_servers_url_is_found_in_order_data()
    {
        const QString a = "postgresql://a@h1/db", b = "postgresql://b@h2:5433/db", c = "url = postgresql://c@h3/db\n";
        const QString d = "url = postgresql://d@h4/db\nstation = banco-9\n";
        const Configurata righe[] = {
            {"the option first", a, b, c + "station = banco-3\n", d, "--history-url", "h1 -1 db", "banco-3"},
            {"the variable before the files; no station's name", "", b, c, c, "KESTRA_HISTORY_URL", "h2 5433 db", ""},
            {"a password in the user's file: refused, not repeated", "", "", "url = postgresql://c:segreta@h3/db", d,
             "utente.conf", "", "banco-9"},
            {"port 0: refused", "postgresql://a@h1:0/db", b, "", "", "--history-url", "", ""},
            {"the station's file: a socket's folder, options", "", "", "",
             "station = banco-9\nurl = postgres://kestra@%2Fvar%2Frun%2Fpostgresql/plant?sslmode=verify-full\n",
             "stazione.conf", "/var/run/postgresql -1 plant sslmode='verify-full'", "banco-9"},
        };
        QTest::addColumn<Configurata>("c");
        for (const Configurata &riga : righe)
            QTest::newRow(riga.nome) << riga;
    }
    void the_servers_url_is_found_in_order()
    {
        QFETCH(Configurata, c);
        QTemporaryDir cartella;
        const FileConfigurazione file{scrivi_file(cartella.filePath("utente.conf"), c.file_utente.toUtf8()),
                                      scrivi_file(cartella.filePath("stazione.conf"), c.file_stazione.toUtf8())};
        qputenv("KESTRA_HISTORY_URL", c.variabile.toUtf8());
        const ConfigurazioneServer trovata = trova_configurazione(c.esplicito, file);
        qunsetenv("KESTRA_HISTORY_URL");
        const std::optional<IndirizzoServer> &s = trovata.server;
        const QStringList parti = s ? QStringList{s->host, QString::number(s->porta), s->database} + s->opzioni
                                    : QStringList();
        QCOMPARE(parti.join(u' '), c.server);
        QCOMPARE(trovata.origine.section(u'/', -1), c.origine);
        QCOMPARE(trovata.stazione, c.stazione.isEmpty() ? QSysInfo::machineHostName() : c.stazione);
        const bool rifiutato = trovata.errore.contains(QRegularExpression("password|port is not"));
        QVERIFY2(s || (rifiutato && !trovata.errore.contains("segreta")), qPrintable(trovata.errore));
    }

    // A record reaches the server once: sent at its start and replaced at its
    // end; kept while the server is down and sent when it is back, once
    // though a send was cut between the server's commit and the station's mark.
    void a_station_sends_each_record_once()
    {
        Stazione stazione(m_server.url());
        QList<Tentativo> tentativi{di_prova(7)};
        const QString sql = QStringLiteral("SELECT class, duration_ms, erased FROM kestra_history WHERE id = '%1'")
                                .arg(tentativi[0].id);
        stazione.storico.inizio(tentativi[0]);
        QCOMPARE(m_server.sql({sql}), "||t");
        stazione.storico.fine(concluso(tentativi[0], 2));
        QCOMPARE(m_server.sql({sql}), "completed|5200|f");
        QString errore;
        QVERIFY2(m_server.ferma(errore), qPrintable(errore));
        for (int n = 1; n < 4; ++n)
            tentativi.append(registra(stazione.storico, di_prova(n)));
        QVERIFY2(m_server.avvia(errore), qPrintable(errore));
        QCOMPARE(stazione.avvisi.size(), 1);
        ServerStorico server(*stazione.server); // two committed, the program stopped before it marked them
        QVERIFY2(!server.apri(true) && !server.scrivi(tentativi.mid(1, 2)), "the server did not take the records");
        const EsitoInvio primo = stazione.invio.invia(), secondo = stazione.invio.invia();
        QVERIFY2(!primo.problema && !secondo.problema,
                 qPrintable((primo.problema ? primo.problema : secondo.problema)->testo));
        QCOMPARE((QList<qint64>{primo.inviati, primo.in_attesa, secondo.inviati, secondo.in_attesa}),
                 (QList<qint64>{3, 0, 0, 0}));
        QCOMPARE(primo.server, m_server.url());
        QCOMPARE(m_server.sql({"SELECT count(*) FROM kestra_history"}), "4"); // no other test writes there
    }

    // Two stations write at once: each record on the server once, with its station.
    void two_stations_write_at_once()
    {
        m_server.sql({"DELETE FROM kestra_history"});
        const auto banco = [url = m_server.url()](const QString &nome) {
            Stazione stazione(url);
            for (int n = 0; n < 10; ++n)
                registra(stazione.storico, di_prova(n, nome));
        };
        std::thread primo(banco, "banco-1"), secondo(banco, "banco-2");
        primo.join();
        secondo.join();
        QCOMPARE(m_server.sql({"SELECT station, count(*), count(DISTINCT id) FROM kestra_history GROUP BY station "
                               "ORDER BY station"}),
                 "banco-1|10|10\nbanco-2|10|10");
    }

    void a_server_that_does_not_take_the_records_is_told_once_data()
    {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<ProblemaServer::Tipo>("tipo");
        QTest::addColumn<QString>("detto"); // in the warning
        using enum ProblemaServer::Tipo;
        QTest::newRow("a wrong password") << "password" << Connessione << "password authentication failed";
        QTest::newRow("a server that never answers") << "muto" << Connessione << "timeout expired";
        QTest::newRow("a missing database") << "database" << Connessione << "\"assente\" does not exist";
        QTest::newRow("a newer program's schema") << "schema" << SchemaPiuNuovo << "a newer program's";
        QTest::newRow("a URL with a password: refused") << "url" << Configurazione << "with a password";
    }
    void a_server_that_does_not_take_the_records_is_told_once()
    {
        QFETCH(QString, caso);
        QFETCH(ProblemaServer::Tipo, tipo);
        QFETCH(QString, detto);
        QTemporaryDir cartella;
        QLocalServer muto;
        QString url = m_server.url().replace("stazione@", caso == "url" ? "stazione:pw@" : "stazione@");
        if (caso == "muto") {
            QVERIFY2(muto.listen(cartella.filePath(".s.PGSQL.5432")), "no socket that never answers");
            url.replace(QUrl::toPercentEncoding(m_server.host()), QUrl::toPercentEncoding(cartella.path()));
        }
        if (caso == "database")
            url.replace(QRegularExpression("/kestra$"), "/assente");
        if (caso == "schema")
            m_server.sql({"INSERT INTO kestra_history_schema VALUES (99)"});
        qputenv("PGPASSWORD", caso == "password" ? "sbagliata" : "");
        Stazione stazione(url);
        registra(stazione.storico, di_prova(1));
        registra(stazione.storico, di_prova(2));
        const EsitoInvio esito = stazione.invio.invia();
        qunsetenv("PGPASSWORD");
        m_server.sql({"DELETE FROM kestra_history_schema WHERE version = 99"});
        QVERIFY2(esito.problema && esito.problema->tipo == tipo,
                 esito.problema ? qPrintable(esito.problema->testo) : "no problem told");
        QCOMPARE(esito.in_attesa, 2);
        QCOMPARE(stazione.avvisi.size(), 1);
        QVERIFY2(stazione.avvisi.first().contains(detto), qPrintable(stazione.avvisi.first()));
    }

    // On the schema created by hand: a station sends each record as it is written, and reads them.
    void the_servers_listing_filters_data() { righe_filtri(); }
    void the_servers_listing_filters()
    {
        m_server.sql({"DELETE FROM kestra_history"}, "kestra_it");
        Stazione stazione(m_server.url("kestra_it"));
        LettoreServer lettore(*stazione.server);
        verifica_filtro(stazione.storico, lettore);
        QVERIFY2(stazione.avvisi.isEmpty(), qPrintable(stazione.avvisi.join(u'\n')));
    }

    // kestra-flash reads the plant's books with the local listing's filters and formats.
    void kestra_flash_lists_all_stations()
    {
        m_server.sql({"DELETE FROM kestra_history"});
        Stazione qui(m_server.url()), altrove(m_server.url());
        registra(qui.storico, di_prova(1), 2);
        registra(altrove.storico, di_prova(2, "banco-2"));
        registra(altrove.storico, di_prova(3, "banco-2"), 2);
        QProcess flash;
        flash.start(kestra_flash(), {"--history", "--all-stations", "--history-url", m_server.url(), "--csv",
                                     "--station", "banco-2", "--class", "completed"});
        QVERIFY2(flash.waitForFinished(10000), "kestra-flash never ended");
        const QList<QByteArray> righe = flash.readAllStandardOutput().split('\n');
        QCOMPARE(flash.exitCode(), 0);
        QVERIFY2(righe.size() == 3 && righe[0].startsWith("id,") && righe[1].contains(",banco-2,SN-3,")
                     && righe[1].contains(",FW3.BIN,"),
                 flash.readAllStandardError().constData());
    }

    // The window's view with a plant's server: this station's records, then every station's, and what waits.
    void the_window_shows_this_station_or_all_stations()
    {
        m_server.sql({"DELETE FROM kestra_history"});
        Stazione qui(m_server.url()), altrove(m_server.url());
        registra(qui.storico, di_prova(1));
        registra(altrove.storico, di_prova(2, "banco-2"));
        DialoghiScriptati dialoghi;
        VistaStorico vista(dialoghi, {qui.cartella.filePath("history.sqlite"), {qui.server, "banco-1", {}, {}}}, 1);
        vista.imposta_salute({{}, EsitoInvio{0, 4, m_server.url(), {}}});
        const auto stazioni = [&] {
            QStringList elencate;
            const QAbstractItemModel *righe = vista.findChild<QTableView *>("tabella")->model();
            for (int riga = 0; riga < righe->rowCount(); ++riga)
                elencate.append(righe->index(riga, ModelloStorico::Stazione).data().toString());
            return elencate.join(", ");
        };
        auto *ambito = vista.findChild<QComboBox *>("ambito");
        QVERIFY2(ambito && ambito->isVisibleTo(&vista), "a server is configured, and no choice of stations");
        QVERIFY2(QSignalSpy(&vista, &VistaStorico::letto).wait(5000), "this station's records never shown");
        QCOMPARE(stazioni(), "banco-1 / SN-1");
        ambito->setCurrentIndex(1);
        QVERIFY2(QSignalSpy(&vista, &VistaStorico::letto).wait(5000), "the server's records never shown");
        QCOMPARE(ambito->currentText() + ": " + stazioni(), "All stations: banco-2 / SN-2, banco-1 / SN-1");
        const QString stato = vista.findChild<QLabel *>("stato")->text();
        QVERIFY2(stato.contains(QStringLiteral("4 records wait to be sent to %1.").arg(m_server.url())),
                 qPrintable(stato));
    }
};

QTEST_MAIN(TestHistoryServer)

#include "test_history_server.moc"
