#include "engine/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

void attesa_eventi::attendi(const std::function<bool()> &finita)
{
    if (finita()) {
        QCoreApplication::processEvents();
        return;
    }
    // Each pass sleeps until an event comes (the socket, a timer, a click)
    // and returns once it has been handled.
    while (!finita())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
