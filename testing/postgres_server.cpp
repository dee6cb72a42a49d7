#include "testing/postgres_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QVersionNumber>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

// The socket sits in a folder of its own, where no other server's port can clash.
constexpr int porta_server = 5432;
const QString database_impianto = QStringLiteral("kestra");
const QString ruolo_stazione = QStringLiteral("stazione");
const QString password_stazione = QStringLiteral("stazione-kestra-1");
const QString ruolo_proprietario = QStringLiteral("proprietario");

// PostgreSQL refuses to run as root; a test run as root runs it as nobody.
const QString utente_server = QStringLiteral("nobody");
const QString gruppo_server = QStringLiteral("nogroup");

const QString nome_cartella_server = QStringLiteral("/server"); // the data's folder and the socket's
// A Unix socket's path holds 107 bytes, 108 with the final NUL.
constexpr qsizetype limite_socket = 107;
constexpr int attesa_pg_ctl_s = 30; // pg_ctl's own wait for the server
constexpr int attesa_comando_ms = (attesa_pg_ctl_s + 10) * 1000;
constexpr qsizetype coda_log = 2000; // bytes of the server's log told when it does not start

bool da_root()
{
    return geteuid() == 0;
}

// Under the temporary folder, unless the socket's path would be too long there.
QString modello_cartella()
{
    const QString modello = QDir::tempPath() + QStringLiteral("/kestra-pg-XXXXXX");
    const QString socket = nome_cartella_server + QStringLiteral("/.s.PGSQL.%1").arg(porta_server);
    return QFile::encodeName(modello + socket).size() <= limite_socket ? modello
                                                                       : QStringLiteral("/tmp/kestra-pg-XXXXXX");
}

// The folder of initdb, pg_ctl and psql: what `pg_config --bindir` says when
// it holds them, else the newest of Debian's /usr/lib/postgresql/<version>/bin;
// empty when there is none.
QString trova_programmi()
{
    QProcess pg_config;
    pg_config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
    if (pg_config.waitForFinished() && pg_config.exitStatus() == QProcess::NormalExit && pg_config.exitCode() == 0) {
        const QString cartella = QString::fromLocal8Bit(pg_config.readAllStandardOutput().trimmed());
        if (QFile::exists(cartella + QStringLiteral("/initdb")))
            return cartella;
    }
    const QString debian = QStringLiteral("/usr/lib/postgresql/");
    QStringList versioni = QDir(debian).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versioni.begin(), versioni.end(), [](const QString &a, const QString &b) {
        return QVersionNumber::fromString(a) > QVersionNumber::fromString(b);
    });
    for (const QString &versione : versioni) {
        const QString cartella = debian + versione + QStringLiteral("/bin");
        if (QFile::exists(cartella + QStringLiteral("/initdb")))
            return cartella;
    }
    return {};
}

bool cedi_al_server(const QString &cartella, QString &errore)
{
    const passwd *utente = getpwnam(qPrintable(utente_server));
    const group *gruppo = getgrnam(qPrintable(gruppo_server));
    if (!utente || !gruppo) {
        errore = QStringLiteral("no user %1 or no group %2 to run the server as").arg(utente_server, gruppo_server);
        return false;
    }
    if (::chown(QFile::encodeName(cartella).constData(), utente->pw_uid, gruppo->gr_gid) == 0)
        return true;
    const int codice = errno;
    errore = QStringLiteral("chown %1:%2 %3: %4")
                 .arg(utente_server, gruppo_server, cartella, QString::fromLocal8Bit(std::strerror(codice)));
    return false;
}

// The test's own PG variables (PGPASSFILE, PGHOST...) stay away from the server's commands.
QProcessEnvironment ambiente_del_server()
{
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    for (const QString &nome : ambiente.keys()) {
        if (nome.startsWith(QLatin1String("PG")))
            ambiente.remove(nome);
    }
    return ambiente;
}

QString tra_apici(QString valore)
{
    return u'\'' + valore.replace(u'\'', QLatin1String("''")) + u'\'';
}

QString campo_pgpass(QString campo)
{
    return campo.replace(u'\\', QLatin1String("\\\\")).replace(u':', QLatin1String("\\:"));
}

// Files it creates are the owner's alone, as libpq wants of a password file.
bool scrivi(const QString &percorso, const QString &testo, QIODevice::OpenMode modo, QString &errore)
{
    QFile file(percorso);
    const QByteArray byte = testo.toUtf8();
    if (file.open(QIODevice::WriteOnly | modo, QFile::ReadOwner | QFile::WriteOwner)
        && file.write(byte) == byte.size() && file.flush())
        return true;
    errore = QStringLiteral("writing %1: %2").arg(percorso, file.errorString());
    return false;
}

} // namespace

ServerPostgres::ServerPostgres()
    : m_cartella(modello_cartella())
{
}

ServerPostgres::~ServerPostgres()
{
    QString errore;
    if (!ferma(errore))
        qWarning("%s", qPrintable(errore));
}

QString ServerPostgres::host() const
{
    return m_cartella.path() + nome_cartella_server;
}

int ServerPostgres::porta() const
{
    return porta_server;
}

QString ServerPostgres::database() const
{
    return database_impianto;
}

QString ServerPostgres::ruolo() const
{
    return ruolo_stazione;
}

QString ServerPostgres::file_password() const
{
    return m_cartella.path() + QStringLiteral("/pgpass");
}

QString ServerPostgres::cartella_dati() const
{
    return host() + QStringLiteral("/dati");
}

QString ServerPostgres::file_log() const
{
    return host() + QStringLiteral("/server.log");
}

bool ServerPostgres::avvia(QString &errore)
{
    const bool nuovo = !QFile::exists(cartella_dati() + QStringLiteral("/PG_VERSION"));
    if ((nuovo && !crea_cluster(errore)) || !avvia_cluster(errore) || (nuovo && !prepara_database(errore))) {
        errore.prepend(QStringLiteral("the tests' PostgreSQL server did not start: "));
        return false;
    }
    return true;
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
    if (!m_cartella.isValid()) {
        errore = QStringLiteral("no temporary folder: ") + m_cartella.errorString();
        return false;
    }
    m_programmi = trova_programmi();
    if (m_programmi.isEmpty()) {
        errore = QStringLiteral("no initdb, neither in `pg_config --bindir` nor in /usr/lib/postgresql/*/bin "
                                "(Debian: scripts/ensure-packages.sh postgresql)");
        return false;
    }
    // None but the server's user and root reach the socket, where the owner role needs no password.
    if (!QDir().mkdir(host(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        errore = QStringLiteral("cannot create ") + host();
        return false;
    }
    // The server's user passes through the test's folder to its own.
    const QFile::Permissions di_passaggio =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    if (da_root() && !QFile::setPermissions(m_cartella.path(), di_passaggio)) {
        errore = QStringLiteral("cannot open %1 to %2").arg(m_cartella.path(), utente_server);
        return false;
    }
    return (!da_root() || cedi_al_server(host(), errore))
           && esegui(QStringLiteral("initdb"),
                     {QStringLiteral("-D"), cartella_dati(), QStringLiteral("-U"), ruolo_proprietario,
                      QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-locale"),
                      QStringLiteral("--no-sync")},
                     errore)
           && scrivi_configurazione(errore);
}

bool ServerPostgres::scrivi_configurazione(QString &errore)
{
    // fsync off: a test's data need not outlive a crash of the machine.
    const QString configurazione = QStringLiteral("\n# The tests' server: its own socket, no network.\n"
                                                  "listen_addresses = ''\n"
                                                  "unix_socket_directories = %1\n"
                                                  "port = %2\n"
                                                  "password_encryption = 'scram-sha-256'\n"
                                                  "fsync = off\n")
                                       .arg(tra_apici(host()))
                                       .arg(porta_server);
    const QString accessi = QStringLiteral("local all %1 trust\nlocal all %2 scram-sha-256\n")
                                .arg(ruolo_proprietario, ruolo_stazione);
    // Any database: a missing one is then refused by the server, not for want of a password.
    const QString password = QStringLiteral("%1:%2:*:%3:%4\n")
                                 .arg(campo_pgpass(host()), QString::number(porta_server), ruolo_stazione,
                                      password_stazione);
    return scrivi(cartella_dati() + QStringLiteral("/postgresql.conf"), configurazione, QIODevice::Append, errore)
           && scrivi(cartella_dati() + QStringLiteral("/pg_hba.conf"), accessi, QIODevice::Truncate, errore)
           && scrivi(file_password(), password, QIODevice::Truncate, errore);
}

bool ServerPostgres::avvia_cluster(QString &errore)
{
    if (pg_ctl({QStringLiteral("start"), QStringLiteral("-l"), file_log()}, errore))
        return true;
    QFile log(file_log());
    if (log.open(QIODevice::ReadOnly))
        errore += QStringLiteral("\nthe end of %1:\n").arg(file_log())
                  + QString::fromLocal8Bit(log.readAll().right(coda_log));
    return false;
}

bool ServerPostgres::prepara_database(QString &errore)
{
    const QStringList comandi{
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(ruolo_stazione, password_stazione),
        QStringLiteral("CREATE DATABASE %1").arg(database_impianto),
        QStringLiteral("\\connect %1").arg(database_impianto),
        // Since PostgreSQL 15 only the database's owner may create tables in public.
        QStringLiteral("GRANT CREATE ON SCHEMA public TO %1").arg(ruolo_stazione),
    };
    QStringList argomenti{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                          QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), host(),
                          QStringLiteral("-p"), QString::number(porta_server), QStringLiteral("-U"),
                          ruolo_proprietario, QStringLiteral("-d"), QStringLiteral("postgres")};
    for (const QString &comando : comandi)
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
        comando = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=") + utente_server,
                              QStringLiteral("--regid=") + gruppo_server, QStringLiteral("--clear-groups")}
                  + comando;
    QProcess processo;
    processo.setWorkingDirectory(m_cartella.path()); // one the server's user may enter
    processo.setProcessEnvironment(ambiente_del_server());
    processo.start(comando.first(), comando.mid(1));
    const bool finito = processo.waitForFinished(attesa_comando_ms);
    if (finito && processo.exitStatus() == QProcess::NormalExit && processo.exitCode() == 0)
        return true;
    const QString motivo = finito && processo.exitStatus() == QProcess::NormalExit
                               ? QStringLiteral("exit code %1").arg(processo.exitCode())
                               : processo.errorString();
    if (processo.state() != QProcess::NotRunning) {
        processo.kill();
        processo.waitForFinished();
    }
    errore = QStringLiteral("%1: %2: %3")
                 .arg(comando.join(u' '), motivo, QString::fromLocal8Bit(processo.readAllStandardError().trimmed()));
    return false;
}
