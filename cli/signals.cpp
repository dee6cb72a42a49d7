#include "cli/signals.h"

#include <QtGlobal>

#include <csignal>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace {

volatile std::sig_atomic_t ricevuto = 0;
volatile std::sig_atomic_t quanti = 0;

void gestore(int segnale)
{
    ricevuto = segnale;
    quanti = quanti + 1;
}

} // namespace

void installa_gestori_segnali()
{
#ifdef Q_OS_UNIX
    struct sigaction azione = {};
    azione.sa_handler = gestore;
    sigemptyset(&azione.sa_mask);
    azione.sa_flags = 0; // no SA_RESTART: a read that waits returns
    for (const int segnale : {SIGINT, SIGTERM, SIGHUP})
        sigaction(segnale, &azione, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
#else
    std::signal(SIGINT, gestore);
    std::signal(SIGTERM, gestore);
#endif
}

int segnale_ricevuto()
{
    return ricevuto;
}

int segnali_ricevuti()
{
    return quanti;
}
