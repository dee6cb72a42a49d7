#include "tools/bench/flash_process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The longest kestra-flash may stay silent; its progress lines come every
// percent, so only a run that hangs comes near it.
constexpr int attesa_ms = 30000;
// How often the process is looked at while no line comes.
constexpr int controllo_ms = 10;

// kestra-flash writes its JSON lines through C's stdout, which a pipe leaves
// fully buffered: they would reach this process in bursts of 4 KB, the
// "identity" line with the first burst, well into the transfer, and the
// "verified" line at the exit. On a terminal C's stdout is line-buffered, so
// its standard output is the slave side of a pseudo-terminal (raw: no echo,
// no line ending translated), read here from the master side as each line
// is written.
class Terminale
{
public:
    Terminale()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            m_errore = errno;
            return;
        }
        char nome[128];
        if (::ptsname_r(m_master, nome, sizeof nome) != 0) {
            m_errore = errno;
            return;
        }
        m_percorso = QString::fromLocal8Bit(nome);
        // Held open here too, so that the master never reads a hang-up
        // before every line is read: the end is the process's.
        m_slave = ::open(nome, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios modo{};
        if (m_slave < 0 || ::tcgetattr(m_slave, &modo) != 0) {
            m_errore = errno;
            return;
        }
        ::cfmakeraw(&modo);
        if (::tcsetattr(m_slave, TCSANOW, &modo) != 0)
            m_errore = errno;
    }
    ~Terminale()
    {
        for (const int fd : {m_slave, m_master}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    Terminale(const Terminale &) = delete;
    Terminale &operator=(const Terminale &) = delete;

    // Empty when it is ready.
    QString errore() const
    {
        return m_errore == 0 ? QString() : QStringLiteral("no pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(m_errore)));
    }
    QString percorso() const { return m_percorso; }

    // What the process has written, waiting up to `ms` for the first byte.
    QByteArray leggi(int ms) const
    {
        pollfd attesa{m_master, POLLIN, 0};
        if (::poll(&attesa, 1, ms) <= 0 || !(attesa.revents & POLLIN))
            return {};
        char byte[4096];
        const ssize_t letti = ::read(m_master, byte, sizeof byte);
        return letti > 0 ? QByteArray(byte, letti) : QByteArray();
    }

private:
    int m_master = -1;
    int m_slave = -1;
    int m_errore = 0;
    QString m_percorso;
};

void leggi_riga(const QByteArray &riga, qint64 ora_ns, EsecuzioneFlash &esecuzione)
{
    const QJsonObject oggetto = QJsonDocument::fromJson(riga).object();
    const QString evento = oggetto.value("event").toString();
    if (evento == QLatin1String("identity"))
        esecuzione.identita_ns = ora_ns;
    else if (evento == QLatin1String("verified"))
        esecuzione.verificato_ns = ora_ns;
    else if (evento == QLatin1String("done"))
        esecuzione.rinvii = oggetto.value("resends").toInt();
}

} // namespace

EsecuzioneFlash esegui_flash(quint16 porta, const QString &file)
{
    EsecuzioneFlash esecuzione;
    const Terminale terminale;
    esecuzione.errore = terminale.errore();
    if (!esecuzione.errore.isEmpty())
        return esecuzione;
    QProcess flash;
    flash.setStandardOutputFile(terminale.percorso());
    flash.setStandardErrorFile(QProcess::nullDevice());
    flash.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kestra-flash"),
                {"--yes", "--json", "-a", "127.0.0.1", "--ap-address", "127.0.0.1", "-p", QString::number(porta), file});
    if (!flash.waitForStarted(attesa_ms)) {
        esecuzione.errore = QStringLiteral("kestra-flash did not start: %1").arg(flash.errorString());
        return esecuzione;
    }
    QElapsedTimer orologio;
    orologio.start();
    QDeadlineTimer silenzio(attesa_ms);
    QByteArray ricevuti;
    for (;;) {
        // Once it has ended, what it wrote is read to the end.
        const bool finito = flash.state() == QProcess::NotRunning || flash.waitForFinished(0);
        const QByteArray nuovi = terminale.leggi(finito ? 0 : controllo_ms);
        const qint64 ora_ns = orologio.nsecsElapsed();
        if (finito && nuovi.isEmpty())
            break;
        if (!nuovi.isEmpty())
            silenzio.setRemainingTime(attesa_ms);
        else if (silenzio.hasExpired()) {
            esecuzione.errore = QStringLiteral("kestra-flash wrote nothing for %1 s").arg(attesa_ms / 1000);
            flash.kill();
            flash.waitForFinished();
            return esecuzione;
        }
        ricevuti += nuovi;
        for (qsizetype fine = ricevuti.indexOf('\n'); fine >= 0; fine = ricevuti.indexOf('\n')) {
            leggi_riga(ricevuti.left(fine), ora_ns, esecuzione);
            ricevuti.remove(0, fine + 1);
        }
    }
    if (flash.exitStatus() != QProcess::NormalExit) {
        esecuzione.errore = QStringLiteral("kestra-flash crashed");
        return esecuzione;
    }
    esecuzione.codice_uscita = flash.exitCode();
    return esecuzione;
}

Misura misura_flash(quint16 porta, const QString &file)
{
    const EsecuzioneFlash flash = esegui_flash(porta, file);
    if (!flash.errore.isEmpty())
        return {0, 0, flash.errore};
    if (flash.identita_ns < 0 || flash.verificato_ns < 0 || flash.codice_uscita != 0)
        return {0, 0, QStringLiteral("kestra-flash did not update the device (exit %1)").arg(flash.codice_uscita)};
    return {double(flash.verificato_ns - flash.identita_ns) / 1e9, 0, {}};
}
