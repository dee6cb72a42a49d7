#include "engine/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

void AttesaEventi::attendi(const std::function<bool()> &finita)
{
    if (finita()) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    m_loop = &loop;
    m_finita = &finita;
    loop.exec();
    m_loop = nullptr;
    m_finita = nullptr;
}

void AttesaEventi::sveglia()
{
    if (m_loop && (*m_finita)())
        m_loop->quit();
}
