#include "testing/postgres_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <QVersionNumber>

#include <algorithm>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString database_impianto = QStringLiteral("kestra");
const QString password_stazione = QStringLiteral("stazione-kestra-1");
const QString proprietario = QStringLiteral("proprietario");
constexpr int attesa_pg_ctl_s = 30;
constexpr qsizetype coda_log = 2000; // bytes of the server's log told when it does not start

// PostgreSQL refuses to run as root; a test run as root runs it as nobody.
bool da_root()
{
    return geteuid() == 0;
}

// Under the temporary folder, unless the socket's path would pass its 107 bytes there.
QString modello_cartella()
{
    const QString modello = QDir::tempPath() + QStringLiteral("/kestra-pg-XXXXXX");
    const QString socket = QStringLiteral("/server/.s.PGSQL.%1").arg(ServerPostgres::porta);
    return QFile::encodeName(modello + socket).size() <= 107 ? modello : QStringLiteral("/tmp/kestra-pg-XXXXXX");
}

// The newest of Debian's /usr/lib/postgresql/<version>/bin that holds initdb; empty when none does.
QString trova_programmi()
{
    const QString debian = QStringLiteral("/usr/lib/postgresql/");
    QStringList versioni = QDir(debian).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versioni.begin(), versioni.end(), [](const QString &a, const QString &b) {
        return QVersionNumber::fromString(a) > QVersionNumber::fromString(b);
    });
    for (const QString &versione : versioni) {
        if (QFile::exists(debian + versione + QStringLiteral("/bin/initdb")))
            return debian + versione + QStringLiteral("/bin");
    }
    return {};
}

bool cedi_a_nobody(const QString &cartella, QString &errore)
{
    const passwd *utente = getpwnam("nobody");
    const group *gruppo = getgrnam("nogroup");
    if (utente && gruppo && ::chown(QFile::encodeName(cartella).constData(), utente->pw_uid, gruppo->gr_gid) == 0)
        return true;
    errore = QStringLiteral("cannot give %1 to nobody:nogroup").arg(cartella);
    return false;
}

// Files it creates are the owner's alone, as libpq wants of a password file.
bool scrivi(const QString &percorso, const QString &testo, QIODevice::OpenMode modo, QString &errore)
{
    QFile file(percorso);
    const QByteArray byte = testo.toUtf8();
    if (file.open(QIODevice::WriteOnly | modo, QFile::ReadOwner | QFile::WriteOwner) && file.write(byte) == byte.size()
        && file.flush())
        return true;
    errore = QStringLiteral("writing %1: %2").arg(percorso, file.errorString());
    return false;
}

} // namespace

ServerPostgres::ServerPostgres()
    : m_cartella(modello_cartella())
    , m_programmi(trova_programmi())
{
}

ServerPostgres::~ServerPostgres()
{
    QString errore;
    if (!ferma(errore))
        qWarning("%s", qPrintable(errore));
}

QString ServerPostgres::url(const QString &database) const
{
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(QLatin1String(ruolo), QString::fromLatin1(QUrl::toPercentEncoding(host())), QString::number(porta),
             database.isEmpty() ? database_impianto : database);
}

bool ServerPostgres::avvia(QString &errore)
{
    const bool nuovo = !QFile::exists(cartella_dati() + QStringLiteral("/PG_VERSION"));
    const QString log = host() + QStringLiteral("/server.log");
    if (nuovo && !crea_cluster(errore)) {
        errore.prepend(QStringLiteral("the tests' PostgreSQL server was not created: "));
        return false;
    }
    if (!pg_ctl({QStringLiteral("start"), QStringLiteral("-l"), log}, errore)) {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly))
            errore += QStringLiteral("\nthe end of %1:\n").arg(log) + QString::fromLocal8Bit(file.readAll().right(coda_log));
        errore.prepend(QStringLiteral("the tests' PostgreSQL server did not start: "));
        return false;
    }
    return !nuovo || prepara_database(errore);
}

bool ServerPostgres::ferma(QString &errore)
{
    if (!QFile::exists(cartella_dati() + QStringLiteral("/postmaster.pid")))
        return true;
    QString veloce;
    if (pg_ctl({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("fast")}, veloce)
        || pg_ctl({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")}, errore))
        return true;
    errore = QStringLiteral("the tests' PostgreSQL server did not stop: %1\nthen: %2").arg(veloce, errore);
    return false;
}

bool ServerPostgres::crea_cluster(QString &errore)
{
    if (!m_cartella.isValid() || m_programmi.isEmpty()) {
        errore = QStringLiteral("no temporary folder, or no initdb in /usr/lib/postgresql/*/bin "
                                "(Debian: scripts/ensure-packages.sh postgresql)");
        return false;
    }
    // None but the server's user and root reach the socket, where the owner role needs no password; the
    // server's user passes through the test's folder to its own.
    const QFile::Permissions proprie = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!QDir().mkdir(host(), proprie)
        || (da_root() && !QFile::setPermissions(m_cartella.path(), proprie | QFile::ExeGroup | QFile::ExeOther))) {
        errore = QStringLiteral("cannot prepare ") + host();
        return false;
    }
    // fsync off: a test's data need not outlive a crash of the machine.
    const QString configurazione = QStringLiteral("\nlisten_addresses = ''\nunix_socket_directories = '%1'\n"
                                                  "port = %2\npassword_encryption = 'scram-sha-256'\nfsync = off\n")
                                       .arg(QString(host()).replace(u'\'', QLatin1String("''")))
                                       .arg(porta);
    const QString accessi = QStringLiteral("local all %1 trust\nlocal all %2 scram-sha-256\n").arg(proprietario, ruolo);
    // Any database: a missing one is then refused by the server, not for want of a password.
    const QString campo_host = QString(host()).replace(u'\\', QLatin1String("\\\\")).replace(u':', QLatin1String("\\:"));
    const QString password = QStringLiteral("%1:%2:*:%3:%4\n").arg(campo_host).arg(porta).arg(ruolo, password_stazione);
    return (!da_root() || cedi_a_nobody(host(), errore))
           && esegui(QStringLiteral("initdb"),
                     {QStringLiteral("-D"), cartella_dati(), QStringLiteral("-U"), proprietario, QStringLiteral("-E"),
                      QStringLiteral("UTF8"), QStringLiteral("--no-locale"), QStringLiteral("--no-sync")},
                     errore)
           && scrivi(cartella_dati() + QStringLiteral("/postgresql.conf"), configurazione, QIODevice::Append, errore)
           && scrivi(cartella_dati() + QStringLiteral("/pg_hba.conf"), accessi, QIODevice::Truncate, errore)
           && scrivi(file_password(), password, QIODevice::Truncate, errore);
}

bool ServerPostgres::prepara_database(QString &errore)
{
    QStringList argomenti{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                          QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), host(),
                          QStringLiteral("-p"), QString::number(porta), QStringLiteral("-U"),
                          proprietario, QStringLiteral("-d"), QStringLiteral("postgres")};
    for (const QString &comando : {
             QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(ruolo, password_stazione),
             QStringLiteral("CREATE DATABASE %1").arg(database_impianto),
             QStringLiteral("\\connect %1").arg(database_impianto),
             // Since PostgreSQL 15 only the database's owner may create tables in public.
             QStringLiteral("GRANT CREATE ON SCHEMA public TO %1").arg(ruolo),
         })
        argomenti << QStringLiteral("-c") << comando;
    return esegui(QStringLiteral("psql"), argomenti, errore);
}

bool ServerPostgres::pg_ctl(const QStringList &argomenti, QString &errore)
{
    return esegui(QStringLiteral("pg_ctl"),
                  QStringList{QStringLiteral("-D"), cartella_dati(), QStringLiteral("-w"), QStringLiteral("-t"),
                              QString::number(attesa_pg_ctl_s)}
                      + argomenti,
                  errore);
}

bool ServerPostgres::esegui(const QString &programma, const QStringList &argomenti, QString &errore)
{
    QStringList comando = QStringList{m_programmi + u'/' + programma} + argomenti;
    if (da_root())
        comando = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                              QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")}
                  + comando;
    // The test's own PG variables (PGPASSFILE, PGHOST...) stay away from the server's commands.
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    for (const QString &nome : ambiente.keys()) {
        if (nome.startsWith(QLatin1String("PG")))
            ambiente.remove(nome);
    }
    QProcess processo;
    processo.setWorkingDirectory(m_cartella.path()); // one the server's user may enter
    processo.setProcessEnvironment(ambiente);
    processo.start(comando.first(), comando.mid(1));
    if (processo.waitForFinished((attesa_pg_ctl_s + 10) * 1000) && processo.exitStatus() == QProcess::NormalExit
        && processo.exitCode() == 0)
        return true;
    processo.kill();
    processo.waitForFinished();
    errore = QStringLiteral("%1: %2 (exit code %3): %4")
                 .arg(comando.join(u' '), processo.errorString())
                 .arg(processo.exitCode())
                 .arg(QString::fromLocal8Bit(processo.readAllStandardError().trimmed()));
    return false;
}
