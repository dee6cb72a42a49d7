#include "history/reading.h"

#include "history/columns.h"

#include <QStringList>

namespace {

// A bound as the text of a time; empty when it is an id `inizio_di` did not find.
QString tempo_di(const Estremo &estremo, const std::function<QString(const QString &)> &inizio_di)
{
    if (const QDateTime *tempo = std::get_if<QDateTime>(&estremo))
        return testo_tempo(*tempo);
    return inizio_di(std::get<QString>(estremo));
}

} // namespace

Condizione condizione(const FiltroStorico &filtro, const std::function<QString(const QString &)> &inizio_di)
{
    Condizione c;
    QStringList parti;
    const std::pair<const std::optional<Estremo> &, const char *> estremi[] = {{filtro.dal, "\"started\" >= ?"},
                                                                                {filtro.al, "\"started\" <= ?"}};
    for (const auto &[estremo, sql] : estremi) {
        if (!estremo)
            continue;
        const QString tempo = tempo_di(*estremo, inizio_di);
        if (tempo.isEmpty()) {
            const QString *id = std::get_if<QString>(&*estremo);
            c.errore = id ? QStringLiteral("no record has the id %1").arg(*id) : QStringLiteral("a bound that is no time");
            return c;
        }
        parti.append(QLatin1String(sql));
        c.valori.append(tempo);
    }
    const std::pair<const QString &, const char *> uguali[] = {{filtro.stazione, "\"station\" = ?"},
                                                               {filtro.classe, "\"class\" = ?"}};
    for (const auto &[valore, sql] : uguali) {
        if (!valore.isEmpty()) {
            parti.append(QLatin1String(sql));
            c.valori.append(valore);
        }
    }
    c.sql = parti.join(QStringLiteral(" AND "));
    return c;
}
