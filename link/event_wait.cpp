#include "link/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <utility>

void AttesaEventi::attendi(const std::function<bool()> &finita)
{
    if (finita()) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    // A wait started from inside another hands it back its loop when it ends.
    QEventLoop *const loop_esterno = std::exchange(m_loop, &loop);
    const std::function<bool()> *const finita_esterna = std::exchange(m_finita, &finita);
    loop.exec();
    m_loop = loop_esterno;
    m_finita = finita_esterna;
    sveglia();
}

void AttesaEventi::sveglia()
{
    if (m_loop && (*m_finita)())
        m_loop->quit();
}
