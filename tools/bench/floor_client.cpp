#include "tools/bench/floor_client.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class Presa
{
public:
    explicit Presa(quint16 porta) : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        if (m_fd < 0)
            return;
        const int uno = 1;
        sockaddr_in indirizzo{};
        indirizzo.sin_family = AF_INET;
        indirizzo.sin_port = htons(porta);
        indirizzo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno) != 0
            || ::connect(m_fd, reinterpret_cast<const sockaddr *>(&indirizzo), sizeof indirizzo) != 0)
            chiudi();
    }
    ~Presa() { chiudi(); }
    Presa(const Presa &) = delete;
    Presa &operator=(const Presa &) = delete;

    bool aperta() const { return m_fd >= 0; }

    // One send, one read; true when the reply is exactly "A".
    bool scambia(const QByteArray &comando) const
    {
        char risposta[16];
        return invia(comando) && ::read(m_fd, risposta, sizeof risposta) == 1 && risposta[0] == 'A';
    }

    // One send, then reads until `byte` bytes have come; true when they have.
    bool chiedi(const QByteArray &comando, qsizetype byte) const
    {
        if (!invia(comando))
            return false;
        char risposta[64];
        for (qsizetype letti = 0; letti < byte;) {
            const ssize_t pezzo = ::read(m_fd, risposta, sizeof risposta);
            if (pezzo <= 0)
                return false;
            letti += pezzo;
        }
        return true;
    }

private:
    bool invia(const QByteArray &comando) const
    {
        // MSG_NOSIGNAL: a simulator that went away is a failed run, not a dead benchmark.
        return ::send(m_fd, comando.constData(), size_t(comando.size()), MSG_NOSIGNAL) == comando.size();
    }

    void chiudi()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd;
};

MisuraPavimento scambi(const Presa &presa, quint16 porta, const QList<QByteArray> &comandi, const QElapsedTimer &totale)
{
    MisuraPavimento misura;
    if (!presa.aperta()) {
        misura.errore = QStringLiteral("cannot connect to 127.0.0.1:%1").arg(porta);
        return misura;
    }
    QElapsedTimer scambio;
    qint64 scambio_massimo_ns = 0;
    for (qsizetype i = 0; i < comandi.size(); ++i) {
        scambio.start();
        if (!presa.scambia(comandi[i])) {
            misura.errore = QStringLiteral("exchange %1 of %2 was not answered \"A\"").arg(i + 1).arg(comandi.size());
            return misura;
        }
        scambio_massimo_ns = qMax(scambio_massimo_ns, scambio.nsecsElapsed());
    }
    misura.secondi = double(totale.nsecsElapsed()) / 1e9;
    misura.scambio_massimo_ms = double(scambio_massimo_ns) / 1e6;
    return misura;
}

} // namespace

MisuraPavimento misura_pavimento(quint16 porta, const QList<QByteArray> &comandi)
{
    const Presa presa(porta);
    QElapsedTimer totale;
    totale.start();
    return scambi(presa, porta, comandi, totale);
}

MisuraPavimento misura_pavimento_intero(quint16 porta, const QList<QByteArray> &comandi)
{
    constexpr qsizetype byte_identita = 20;
    QElapsedTimer totale;
    totale.start();
    const Presa presa(porta);
    if (presa.aperta() && !presa.chiedi("FWI", byte_identita))
        return {0, 0, QStringLiteral("the identity did not come whole")};
    return scambi(presa, porta, comandi, totale);
}
