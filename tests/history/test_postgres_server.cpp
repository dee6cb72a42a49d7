#include "testing/postgres_server.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString driver = QStringLiteral("QPSQL");

// Opens the connection `nome` as the station, with the password from the
// password file when none is given; the error's text, empty when it opened.
QString apri(const ServerPostgres &server, const QString &nome, const QString &database,
             const QString &password = {})
{
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, nome);
    db.setHostName(server.host());
    db.setPort(server.porta());
    db.setDatabaseName(database);
    db.setUserName(server.ruolo());
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("connect_timeout=2")); // a server out of reach fails, never hangs
    return db.open() ? QString() : db.lastError().text();
}

} // namespace

class TestPostgresServer : public QObject
{
    Q_OBJECT

    ServerPostgres m_server;

private slots:
    void initTestCase()
    {
        QVERIFY2(QSqlDatabase::isDriverAvailable(driver), "Qt has no QPSQL driver (Debian: libqt6sql6-psql)");
        QString errore;
        if (!m_server.avvia(errore))
            QFAIL(qPrintable(errore));
        qputenv("PGPASSFILE", QFile::encodeName(m_server.file_password()));
    }

    void cleanup()
    {
        for (const QString &nome : QSqlDatabase::connectionNames())
            QSqlDatabase::removeDatabase(nome);
    }

    void the_station_connects_as_the_server_allows_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("password"); // empty: from the password file
        QTest::addColumn<QString>("rifiuto");  // in the error's text; empty: it connects
        QTest::newRow("the plant's database, the password from the file")
            << m_server.database() << QString() << QString();
        QTest::newRow("a wrong password: refused")
            << m_server.database() << "not-the-password" << "password authentication failed";
        QTest::newRow("a missing database: refused") << "kestra_assente" << QString() << "does not exist";
    }
    void the_station_connects_as_the_server_allows()
    {
        QFETCH(QString, database);
        QFETCH(QString, password);
        QFETCH(QString, rifiuto);
        const QString errore = apri(m_server, QStringLiteral("stazione"), database, password);
        QVERIFY2(rifiuto.isEmpty() ? errore.isEmpty() : errore.contains(rifiuto),
                 qPrintable(QStringLiteral("error: \"%1\"").arg(errore)));
    }

    // The coming tests stop the server in the middle of an update and start it again.
    void a_row_outlives_a_restart()
    {
        const QString scrittura = apri(m_server, QStringLiteral("scrittura"), m_server.database());
        QVERIFY2(scrittura.isEmpty(), qPrintable(scrittura));
        {
            QSqlQuery query(QSqlDatabase::database(QStringLiteral("scrittura")));
            QVERIFY2(query.exec(QStringLiteral("CREATE TABLE riavvio (id integer PRIMARY KEY, testo text)"))
                         && query.exec(QStringLiteral("INSERT INTO riavvio VALUES (1, 'kept')")),
                     qPrintable(query.lastError().text()));
        }

        QString errore;
        QVERIFY2(m_server.ferma(errore), qPrintable(errore));
        QVERIFY2(!apri(m_server, QStringLiteral("da fermo"), m_server.database()).isEmpty(),
                 "a connection opened while the server was stopped");
        QVERIFY2(m_server.avvia(errore), qPrintable(errore));

        const QString lettura = apri(m_server, QStringLiteral("lettura"), m_server.database());
        QVERIFY2(lettura.isEmpty(), qPrintable(lettura));
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("lettura")));
        QVERIFY2(query.exec(QStringLiteral("SELECT testo FROM riavvio WHERE id = 1")) && query.next(),
                 qPrintable(QStringLiteral("no row after the restart: ") + query.lastError().text()));
        QCOMPARE(query.value(0).toString(), QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(TestPostgresServer)
#include "test_postgres_server.moc"
