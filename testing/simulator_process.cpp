#include "testing/simulator_process.h"

#include "testing/programs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>

namespace {

constexpr int tentativi = 5;
constexpr int attesa_avvio_ms = 5000;

// A port nothing listens on right now; someone may take it before the
// simulator does, hence the retries.
quint16 porta_libera()
{
    QTcpServer prova;
    return prova.listen(QHostAddress::LocalHost, 0) ? prova.serverPort() : 0;
}

} // namespace

ProcessoSimulatore::ProcessoSimulatore(const QStringList &opzioni, quint16 porta)
    : m_errore(QStringLiteral("no free port of 127.0.0.1 for kestra-sim"))
{
    if (porta)
        avvia_su_porta(porta, opzioni);
    for (int tentativo = 0; !porta && tentativo < tentativi; ++tentativo) {
        const quint16 libera = porta_libera();
        if (libera != 0 && avvia_su_porta(libera, opzioni))
            return;
    }
}

ProcessoSimulatore::~ProcessoSimulatore()
{
    ferma();
}

bool ProcessoSimulatore::avvia_su_porta(quint16 porta, const QStringList &opzioni)
{
    ferma();
    m_processo.setProgram(kestra_sim());
    // Quiet: a line per exchange would cost the simulator as much as the exchange.
    m_processo.setArguments(QStringList{"--listen", "127.0.0.1", "--port", QString::number(porta), "--quiet"}
                            + opzioni);
    m_processo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_processo.start(QIODevice::ReadOnly);
    if (!m_processo.waitForStarted(attesa_avvio_ms)) {
        m_errore = m_processo.errorString();
        return false;
    }
    while (!m_processo.canReadLine()) {
        if (!m_processo.waitForReadyRead(attesa_avvio_ms)) {
            m_errore = QStringLiteral("kestra-sim did not start listening on port %1").arg(porta);
            return false;
        }
    }
    const QByteArray riga = m_processo.readLine().trimmed();
    if (riga.startsWith("listening on")) {
        m_porta = porta;
        m_errore.clear();
        return true;
    }
    m_errore = QStringLiteral("kestra-sim: ") + QString::fromLocal8Bit(riga);
    return false;
}

void ProcessoSimulatore::ferma()
{
    if (m_processo.state() == QProcess::NotRunning)
        return;
    m_processo.kill();
    m_processo.waitForFinished();
}

QByteArray ProcessoSimulatore::uscita(const QByteArray &fine, int ms)
{
    const QDeadlineTimer scadenza(ms);
    m_letto += m_processo.readAll();
    while (!m_letto.contains(fine) && m_processo.waitForReadyRead(int(scadenza.remainingTime())))
        m_letto += m_processo.readAll();
    return m_letto;
}
