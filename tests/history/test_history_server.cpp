#include "history/reader.h"
#include "history/server_reader.h"
#include "history/sync.h"
#include "testing/files.h"
#include "testing/postgres_server.h"
#include "filter_rows.h"

#include <QLocalServer>
#include <QProcess>
#include <QSysInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const opzione_stazione = "--stazione";
constexpr int per_stazione = 20;

// The server of a URL the test wrote; none (a connection that fails) when it is refused.
IndirizzoServer indirizzo(const QString &url)
{
    QString errore;
    return leggi_url(url, errore).value_or(IndirizzoServer{});
}

// A station's history in `cartella`, sent to the server of `url`, and the warnings of each.
struct Stazione
{
    Stazione(const QString &cartella, const QString &url, const QString &nome = QStringLiteral("banco-1"))
        : nome(nome)
        , storico(cartella + QStringLiteral("/history.sqlite"), [this](const QString &a) { avvisi.append(a); })
        , invio(storico, {leggi_url(url, errore_url), nome, {}, errore_url},
                [this](const QString &a) { avvisi_server.append(a); })
    {
    }
    Tentativo registra(int n)
    {
        const Tentativo t = di_prova(n, nome);
        storico.inizio(t);
        storico.fine(concluso(t, n));
        return t;
    }
    const QString nome;
    QString errore_url;
    QStringList avvisi, avvisi_server;
    StoricoSqlite storico;
    InvioStorico invio;
};

// Runs `sql` on the server as the station; the first column of each row.
QStringList sul_server(const QString &url, const QString &sql)
{
    ServerStorico server(indirizzo(url));
    const std::optional<ProblemaServer> problema = server.apri(false);
    QSqlQuery query(server.db());
    if (problema || !query.exec(sql))
        return {QStringLiteral("(failed) ") + (problema ? problema->testo : query.lastError().text())};
    QStringList valori;
    while (query.next())
        valori.append(query.value(0).toString());
    return valori;
}

// How many rows the server has of `tentativi`, and how many ids: once each is "N N".
QString copie(const QString &url, const QList<Tentativo> &tentativi)
{
    QStringList id;
    for (const Tentativo &t : tentativi)
        id.append(u'\'' + t.id + u'\'');
    return sul_server(url, QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT id) FROM kestra_history "
                                          "WHERE id IN (%1)").arg(id.join(u','))).value(0);
}

} // namespace

class TestHistoryServer : public QObject
{
    Q_OBJECT

    ServerPostgres m_server;
    QString m_url;

private slots:
    void initTestCase()
    {
        QVERIFY2(QSqlDatabase::isDriverAvailable("QPSQL"), "Qt has no QPSQL driver (Debian: libqt6sql6-psql)");
        QString errore;
        if (!m_server.avvia(errore))
            QFAIL(qPrintable(errore));
        qputenv("PGPASSFILE", QFile::encodeName(m_server.file_password()));
        m_url = m_server.url();
        // The server's schema, as the first station that sends creates it: each test may run alone.
        QTemporaryDir cartella;
        Stazione prima(cartella.path(), m_url, QStringLiteral("init"));
        QVERIFY2(!prima.invio.invia().problema, "the first station could not create the server's schema");
    }

    void the_servers_url_is_found_in_order_data()
    {
        QTest::addColumn<QString>("esplicito");
        QTest::addColumn<QString>("variabile");
        QTest::addColumn<QString>("file_utente");
        QTest::addColumn<QString>("file_stazione");
        QTest::addColumn<QString>("origine");   // "utente" and "stazione": the files
        QTest::addColumn<QString>("atteso");    // the host, port, database and options found; empty: none
        QTest::addColumn<QString>("nome");      // the station's; empty: the host's name
        const QString a = "postgresql://a@h1/db", b = "postgresql://b@h2:5433/db";
        const QString utente = "# the user's\nurl = postgresql://c@h3/db\nstation = banco-3\n";
        const QString stazione = "url = postgresql://d@h4/db\nstation = banco-9\n";
        QTest::newRow("the option first") << a << b << utente << stazione << "--history-url" << "h1 -1 db" << "banco-3";
        QTest::newRow("the variable before the files")
            << "" << b << utente << stazione << "KESTRA_HISTORY_URL" << "h2 5433 db" << "banco-3";
        QTest::newRow("the user's file before the station's") << "" << "" << utente << stazione << "utente" << "h3 -1 db" << "banco-3";
        QTest::newRow("the station's file: a socket's folder, options")
            << "" << ""
            << "" << "station = banco-9\nurl = postgres://kestra@%2Fvar%2Frun%2Fpostgresql/plant?sslmode=verify-full\n"
            << "stazione" << "/var/run/postgresql -1 plant sslmode='verify-full'" << "banco-9";
        QTest::newRow("a password in the URL: refused, and not repeated")
            << "postgresql://a:segreta@h1/db" << b << "" << "" << "--history-url" << "" << "";
        QTest::newRow("no server anywhere") << "" << "" << "" << stazione.section(u'\n', 1) << "" << "" << "banco-9";
    }
    void the_servers_url_is_found_in_order()
    {
        QFETCH(QString, esplicito);
        QFETCH(QString, variabile);
        QFETCH(QString, file_utente);
        QFETCH(QString, file_stazione);
        QFETCH(QString, origine);
        QFETCH(QString, atteso);
        QFETCH(QString, nome);
        QTemporaryDir cartella;
        const FileConfigurazione file{cartella.filePath("utente.conf"), cartella.filePath("stazione.conf")};
        if (!file_utente.isEmpty())
            scrivi_file(file.utente, file_utente.toUtf8());
        scrivi_file(file.stazione, file_stazione.toUtf8());
        qputenv("KESTRA_HISTORY_URL", variabile.toUtf8());
        const ConfigurazioneServer c = trova_configurazione(esplicito, file);
        qunsetenv("KESTRA_HISTORY_URL");
        const QString trovato = c.server ? QStringList{c.server->host, QString::number(c.server->porta), c.server->database,
                                                       c.server->opzioni.join(u' ')}.join(u' ').trimmed()
                                         : QString();
        QCOMPARE(trovato, atteso);
        QCOMPARE(c.origine, origine == "utente" ? file.utente : origine == "stazione" ? file.stazione : origine);
        QCOMPARE(c.stazione, nome.isEmpty() ? QSysInfo::machineHostName() : nome);
        QVERIFY2(c.server || origine.isEmpty() || (c.errore.contains("password") && !c.errore.contains("segreta")),
                 qPrintable(c.errore));
    }

    // Both create the server's schema at once, then send every record.
    void two_stations_writing_at_once()
    {
        QTemporaryDir cartelle[2];
        QProcess stazioni[2];
        for (int s = 0; s < 2; ++s)
            stazioni[s].start(QCoreApplication::applicationFilePath(),
                              {opzione_stazione, cartelle[s].path(), QStringLiteral("stazione-%1").arg(s), m_url});
        for (QProcess &stazione : stazioni) {
            QVERIFY2(stazione.waitForFinished(60000), "a station never ended");
            QCOMPARE(stazione.readAllStandardError(), QByteArray());
            QCOMPARE(stazione.exitCode(), 0);
        }
        QCOMPARE(sul_server(m_url, "SELECT station || ' ' || count(*) || ' ' || count(DISTINCT id) FROM kestra_history "
                                   "WHERE station LIKE 'stazione-%' GROUP BY station ORDER BY station"),
                 (QStringList{"stazione-0 20 20", "stazione-1 20 20"}));
    }

    void the_records_wait_while_the_server_is_down()
    {
        QTemporaryDir cartella;
        Stazione stazione(cartella.path(), m_url);
        const Tentativo prima = stazione.registra(0);
        QString errore;
        QVERIFY2(m_server.ferma(errore), qPrintable(errore));
        const QList<Tentativo> tentativi{stazione.registra(1), stazione.registra(2), stazione.registra(3), prima};
        QVERIFY2(m_server.avvia(errore), qPrintable(errore));
        QCOMPARE(stazione.avvisi_server.size(), 1);
        const EsitoInvio primo = stazione.invio.invia(), secondo = stazione.invio.invia();
        QVERIFY2(!primo.problema && !secondo.problema, qPrintable((primo.problema ? primo.problema : secondo.problema)->testo));
        QCOMPARE((QList<qint64>{primo.inviati, primo.in_attesa, secondo.inviati, secondo.in_attesa}),
                 (QList<qint64>{3, 0, 0, 0}));
        QCOMPARE(primo.server, m_url);
        QCOMPARE(copie(m_url, tentativi), QStringLiteral("4 4")); // with the one sent before the stop
    }

    // The server committed, the program stopped before it marked the records: the next send stores them once.
    void a_send_cut_between_the_servers_commit_and_the_stations_mark()
    {
        QTemporaryDir cartella;
        QList<Tentativo> tentativi;
        {
            StoricoSqlite storico(cartella.filePath("history.sqlite"), [](const QString &a) { QFAIL(qPrintable(a)); });
            for (int n = 0; n < 2; ++n) {
                tentativi.append(concluso(di_prova(n), n));
                storico.inizio(tentativi.last());
                storico.fine(tentativi.last());
            }
        }
        ServerStorico server(indirizzo(m_url));
        QVERIFY2(!server.apri(true) && !server.scrivi(tentativi), "the server did not take the records");
        Stazione stazione(cartella.path(), m_url);
        const EsitoInvio esito = stazione.invio.invia();
        QCOMPARE((QList<qint64>{esito.inviati, esito.in_attesa}), (QList<qint64>{2, 0}));
        QCOMPARE(copie(m_url, tentativi), QStringLiteral("2 2"));
    }

    void an_attempt_is_sent_at_its_start_and_replaced_at_its_end()
    {
        QTemporaryDir cartella;
        Stazione stazione(cartella.path(), m_url);
        const Tentativo t = di_prova(7);
        const QString sql = QStringLiteral("SELECT coalesce(class, 'none') || ' ' || coalesce(duration_ms, -1) || ' ' "
                                           "|| erased FROM kestra_history WHERE id = '%1'")
                                .arg(t.id);
        stazione.storico.inizio(t);
        QCOMPARE(sul_server(m_url, sql), QStringList{"none -1 true"});
        stazione.storico.fine(concluso(t, 2));
        QCOMPARE(sul_server(m_url, sql), QStringList{"completed 5200 false"});
        QCOMPARE(stazione.invio.invia().in_attesa, 0);
    }

    void a_server_that_does_not_take_the_records_is_told_once_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("utente");            // before the @ of the URL
        QTest::addColumn<QByteArray>("password");       // PGPASSWORD, empty: the password file's
        QTest::addColumn<bool>("muto");                 // the URL's host a socket that never answers
        QTest::addColumn<bool>("schema_piu_nuovo");
        QTest::addColumn<ProblemaServer::Tipo>("tipo");
        QTest::addColumn<QString>("detto");             // in the warning
        QTest::newRow("a wrong password") << "kestra" << "stazione" << QByteArray("sbagliata") << false << false
                                          << ProblemaServer::Tipo::Connessione << "password authentication failed";
        QTest::newRow("a server that never answers") << "kestra" << "stazione" << QByteArray() << true << false
                                                     << ProblemaServer::Tipo::Connessione << "timeout expired";
        QTest::newRow("a newer program's schema") << "kestra" << "stazione" << QByteArray() << false << true
                                                  << ProblemaServer::Tipo::SchemaPiuNuovo << "a newer program's";
        QTest::newRow("a URL with a password: refused") << "kestra" << "stazione:pw" << QByteArray() << false << false
                                                        << ProblemaServer::Tipo::Configurazione << "with a password";
    }
    void a_server_that_does_not_take_the_records_is_told_once()
    {
        QFETCH(QString, database);
        QFETCH(QString, utente);
        QFETCH(QByteArray, password);
        QFETCH(bool, muto);
        QFETCH(bool, schema_piu_nuovo);
        QFETCH(ProblemaServer::Tipo, tipo);
        QFETCH(QString, detto);
        QTemporaryDir cartella;
        QLocalServer muto_server;
        QString url = m_server.url(database).replace("stazione@", utente + "@");
        if (muto) {
            QVERIFY2(muto_server.listen(cartella.filePath(".s.PGSQL.5432")), "no socket that never answers");
            url.replace(QUrl::toPercentEncoding(m_server.host()), QUrl::toPercentEncoding(cartella.path()));
        }
        if (schema_piu_nuovo)
            sul_server(m_url, "INSERT INTO kestra_history_schema VALUES (99)");
        qputenv("PGPASSWORD", password);
        Stazione stazione(cartella.path(), url);
        stazione.registra(1);
        stazione.registra(2);
        const EsitoInvio esito = stazione.invio.invia();
        qunsetenv("PGPASSWORD");
        if (schema_piu_nuovo)
            sul_server(m_url, "DELETE FROM kestra_history_schema WHERE version = 99");
        QVERIFY2(esito.problema && esito.problema->tipo == tipo, esito.problema ? qPrintable(esito.problema->testo) : "none");
        QCOMPARE(esito.in_attesa, 2);
        QCOMPARE(stazione.avvisi_server.size(), 1);
        QVERIFY2(stazione.avvisi_server.first().contains(detto), qPrintable(stazione.avvisi_server.first()));
        QCOMPARE(LettoreLocale(stazione.storico.percorso()).leggi({}, [](const Tentativo &) {}).letti, 2);
    }

    void the_servers_listing_filters_data() { righe_filtri(); }
    void the_servers_listing_filters()
    {
        QTemporaryDir cartella;
        sul_server(m_url, "DELETE FROM kestra_history");
        const QList<Tentativo> tentativi = filtrati();
        Stazione stazione(cartella.path(), m_url); // each record sent as it is written
        for (const Tentativo &t : tentativi) {
            stazione.storico.inizio(t);
            stazione.storico.fine(t);
        }
        LettoreServer lettore(indirizzo(m_url));
        verifica_filtro(lettore, tentativi);
    }

    // The database's owner creates the schema with the file IT is given; a
    // station, which may not create tables there, sends to it and reads it.
    void the_schema_created_by_hand_is_the_programs()
    {
        {
            QSqlDatabase proprietario = QSqlDatabase::addDatabase("QPSQL", "proprietario");
            proprietario.setHostName(m_server.host());
            proprietario.setPort(ServerPostgres::porta);
            proprietario.setUserName("proprietario"); // the cluster's owner, trusted on its socket (testing/postgres_server.cpp)
            proprietario.setDatabaseName("postgres");
            QSqlQuery query(proprietario);
            QVERIFY2(proprietario.open() && query.exec("CREATE DATABASE kestra_it"), qPrintable(query.lastError().text()));
            proprietario.close();
            proprietario.setDatabaseName("kestra_it");
            QVERIFY2(proprietario.open()
                         && query.exec(QString::fromUtf8(leggi_file(KESTRA_SORGENTI "/packaging/kestra-history-server.sql")))
                         && query.exec(QStringLiteral("GRANT kestra_station TO %1").arg(ServerPostgres::ruolo)),
                     qPrintable(query.lastError().text()));
        }
        QSqlDatabase::removeDatabase("proprietario");
        QTemporaryDir cartella;
        const QString url = m_server.url("kestra_it");
        Stazione stazione(cartella.path(), url);
        const Tentativo t = stazione.registra(4);
        QVERIFY2(stazione.avvisi_server.isEmpty(), qPrintable(stazione.avvisi_server.join(u'\n')));
        QStringList letti;
        const EsitoLettura esito = LettoreServer(indirizzo(url)).leggi({}, [&](const Tentativo &r) { letti.append(r.id); });
        QVERIFY2(esito.letto && esito.versione == ServerStorico::versione_schema, qPrintable(esito.perche));
        QCOMPARE(letti, QStringList{t.id});
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A child of two_stations_writing_at_once: a station that records and sends its attempts.
    if (argc == 5 && qstrcmp(argv[1], opzione_stazione) == 0) {
        Stazione stazione(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[3]));
        for (int n = 0; n < per_stazione; ++n)
            stazione.registra(n);
        for (const QString &avviso : stazione.avvisi + stazione.avvisi_server)
            qWarning("%s", qPrintable(avviso));
        return stazione.avvisi.isEmpty() && stazione.avvisi_server.isEmpty() && stazione.storico.in_attesa() == 0 ? 0 : 1;
    }
    TestHistoryServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_history_server.moc"
