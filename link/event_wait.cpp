#include "link/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

bool AttesaEventi::attendi(const std::function<bool()> &finita)
{
    if (m_interrotta)
        return false;
    if (finita()) {
        QCoreApplication::processEvents();
        return !m_interrotta;
    }
    QEventLoop loop;
    m_loop = &loop;
    m_finita = finita;
    loop.exec();
    m_loop = nullptr;
    m_finita = nullptr;
    return !m_interrotta;
}

void AttesaEventi::sveglia()
{
    if (m_loop && m_finita())
        m_loop->quit();
}

void AttesaEventi::interrompi()
{
    m_interrotta = true;
    if (m_loop)
        m_loop->quit();
}
