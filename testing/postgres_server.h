#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of one test program's own: a new cluster in a
// temporary folder, reached only through its Unix socket there, run by
// nobody when the test runs as root. It holds the plant's database and a
// role for stations that logs in with a password (scram-sha-256), given in a
// password file for PGPASSFILE. It stops when it goes.
class ServerPostgres
{
public:
    ServerPostgres();
    ~ServerPostgres();
    ServerPostgres(const ServerPostgres &) = delete;
    ServerPostgres &operator=(const ServerPostgres &) = delete;

    // Starts it, creating the cluster the first time, the same cluster with
    // its data after ferma(). False when it does not start, with the command
    // that failed and what it printed in `errore`.
    bool avvia(QString &errore);
    // Stops it, fast or else at once; false, with why, when it would not stop.
    bool ferma(QString &errore);

    static constexpr int porta = 5432;
    static constexpr const char *ruolo = "stazione";
    // Where a station connects: the socket's folder as the host.
    QString host() const { return m_cartella.path() + QStringLiteral("/server"); }
    // The station's URL of `database`, the plant's when empty.
    QString url(const QString &database = {}) const;
    // The station's password in PostgreSQL's .pgpass format, mode 0600.
    QString file_password() const { return m_cartella.path() + QStringLiteral("/pgpass"); }

private:
    QString cartella_dati() const { return host() + QStringLiteral("/dati"); }
    bool crea_cluster(QString &errore);
    bool prepara_database(QString &errore);
    bool pg_ctl(const QStringList &argomenti, QString &errore);
    bool esegui(const QString &programma, const QStringList &argomenti, QString &errore);

    QTemporaryDir m_cartella;
    QString m_programmi; // the folder of initdb, pg_ctl and psql
};
