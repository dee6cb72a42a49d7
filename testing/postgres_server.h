#pragma once

#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of one test program's own: a new cluster in a
// temporary folder, reached only through its Unix socket there, run by
// nobody when the test runs as root. The plant's database, "kestra", is the
// stations' role's, which logs in with the password of file_password(); the
// cluster's owner, "proprietario", needs none. It stops when it goes.
class ServerPostgres
{
public:
    ~ServerPostgres();

    // Starts it, creating the cluster the first time, the same cluster with
    // its data after ferma(). False, with what failed in `errore`, when it does not.
    bool avvia(QString &errore);
    bool ferma(QString &errore);
    // What psql prints (quiet, unaligned, without headers) of `comandi` run by
    // the owner on `database`; when they fail, the command and why.
    QString sql(const QStringList &comandi, const QString &database = QStringLiteral("kestra"));

    static constexpr int porta = 5432;
    static constexpr const char *ruolo = "stazione";
    // Where a station connects: the socket's folder as the host.
    QString host() const { return m_cartella.path(); }
    QString url(const QString &database = QStringLiteral("kestra")) const;
    QString file_password() const { return host() + QStringLiteral("/pgpass"); } // for PGPASSFILE

private:
    static constexpr const char *password = "stazione-kestra-1";
    QString dati() const { return host() + QStringLiteral("/dati"); }
    bool crea(QString &errore);
    bool esegui(const QString &programma, const QStringList &argomenti, QString &uscita);

    QTemporaryDir m_cartella{QStringLiteral("/tmp/kestra-pg-XXXXXX")}; // a socket's path has at most 107 bytes
};
