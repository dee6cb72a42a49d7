#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <type_traits>

// Runs `lavoro` on a thread of Qt's pool, so that the window never waits for
// a database, and hands its result to `fatto` on `contesto`'s thread, unless
// `contesto` is gone by then. The application waits for the pool as it ends.
template<typename Lavoro, typename Fatto>
void in_sottofondo(QObject *contesto, Lavoro lavoro, Fatto fatto)
{
    using Risultato = std::invoke_result_t<Lavoro>;
    auto promessa = std::make_shared<QPromise<Risultato>>();
    auto *osservatore = new QFutureWatcher<Risultato>(contesto);
    QObject::connect(osservatore, &QFutureWatcherBase::finished, contesto, [osservatore, fatto] {
        fatto(osservatore->result());
        osservatore->deleteLater();
    });
    osservatore->setFuture(promessa->future());
    promessa->start();
    QThreadPool::globalInstance()->start([promessa, lavoro]() mutable {
        promessa->addResult(lavoro());
        promessa->finish();
    });
}
