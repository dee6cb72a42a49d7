#include "testing/postgres_server.h"
#include "testing/files.h"

#include <QDir>
#include <QProcess>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

ServerPostgres::~ServerPostgres()
{
    QString errore;
    if (!ferma(errore))
        qWarning("%s", qPrintable(errore));
}

QString ServerPostgres::url(const QString &database) const
{
    const QString socket = QString::fromLatin1(QUrl::toPercentEncoding(host()));
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(ruolo, socket, QString::number(porta), database);
}

bool ServerPostgres::avvia(QString &errore)
{
    const bool nuovo = !QFile::exists(dati() + QStringLiteral("/PG_VERSION"));
    const QString log = host() + QStringLiteral("/server.log");
    // fsync off: a test's data need not outlive a crash of the machine.
    const QString opzioni = QStringLiteral("-c listen_addresses='' -k %1 -p %2 -F").arg(host()).arg(porta);
    if ((nuovo && !crea(errore)) || !esegui("pg_ctl", {"start", "-D", dati(), "-l", log, "-o", opzioni}, errore)) {
        errore += QStringLiteral("\nthe end of %1:\n").arg(log) + QString::fromLocal8Bit(leggi_file(log).right(2000));
        return false;
    }
    errore = !nuovo ? QString()
                    : sql({QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(ruolo, password),
                           QStringLiteral("CREATE DATABASE kestra OWNER %1").arg(ruolo)},
                          "postgres");
    return errore.isEmpty();
}

// PostgreSQL refuses to run as root: a test run as root gives the folder to nobody, who runs it.
bool ServerPostgres::crea(QString &errore)
{
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() == 0 && (!nobody || ::chown(QFile::encodeName(host()).constData(), nobody->pw_uid, nobody->pw_gid))) {
        errore = QStringLiteral("cannot give %1 to nobody").arg(host());
        return false;
    }
    if (!esegui("initdb", {"-D", dati(), "-U", "proprietario", "-E", "UTF8", "--no-locale", "--no-sync"}, errore))
        return false;
    // The owner needs no password on a socket that none but the server's user and root reach.
    scrivi_file(dati() + QStringLiteral("/pg_hba.conf"),
                QStringLiteral("local all proprietario trust\nlocal all %1 scram-sha-256\n").arg(ruolo).toUtf8());
    scrivi_file(file_password(), QStringLiteral("*:*:*:%1:%2\n").arg(ruolo, password).toUtf8());
    return QFile::setPermissions(file_password(), QFile::ReadOwner | QFile::WriteOwner);
}

bool ServerPostgres::ferma(QString &errore)
{
    return !QFile::exists(dati() + QStringLiteral("/postmaster.pid"))
           || esegui("pg_ctl", {"stop", "-D", dati()}, errore);
}

QString ServerPostgres::sql(const QStringList &comandi, const QString &database)
{
    QStringList argomenti{"-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1",
                          "-h", host(), "-U", "proprietario", "-d", database};
    for (const QString &comando : comandi)
        argomenti << "-c" << comando;
    QString uscita;
    esegui("psql", argomenti, uscita);
    return uscita.trimmed();
}

bool ServerPostgres::esegui(const QString &programma, const QStringList &argomenti, QString &uscita)
{
    // The newest of Debian's /usr/lib/postgresql/<version>/bin.
    const QDir debian(QStringLiteral("/usr/lib/postgresql"));
    const QString versione = debian.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed).value(0);
    QStringList comando{debian.filePath(versione + QStringLiteral("/bin/") + programma)};
    if (geteuid() == 0)
        comando = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + comando;
    QProcess processo;
    processo.setWorkingDirectory(host()); // one the server's user may enter
    processo.start(comando.first(), comando.mid(1) + argomenti);
    const bool riuscito = processo.waitForFinished(60000) && processo.exitStatus() == QProcess::NormalExit
                          && processo.exitCode() == 0;
    uscita = QString::fromLocal8Bit(processo.readAllStandardOutput());
    if (!riuscito)
        uscita = (comando + argomenti).join(u' ') + QStringLiteral(": ") + processo.errorString() + u' '
                 + QString::fromLocal8Bit(processo.readAllStandardError());
    return riuscito;
}
