#include "engine/event_wait.h"

#include <QEventLoop>

void attesa_eventi::attendi(const std::function<bool()> &finita)
{
    QEventLoop ciclo;
    if (finita()) {
        ciclo.processEvents();
        return;
    }
    // Each pass sleeps until an event comes (the socket, a timer, a click)
    // and returns once it has been handled.
    while (!finita())
        ciclo.processEvents(QEventLoop::WaitForMoreEvents);
}
