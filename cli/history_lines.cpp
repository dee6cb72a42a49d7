#include "cli/history_lines.h"

#include <QStringList>

QString riga_storico(const Tentativo &t)
{
    const QString dove = t.unita.isEmpty() ? t.stazione : t.stazione + u'/' + t.unita;
    QStringList campi{t.inizio.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral(" UTC"), dove,
                      t.front_end.leftJustified(6), QStringList{t.file, t.cpu, t.firmware, t.scheda}.join(u' ')};
    if (!t.firmware_dispositivo.isEmpty())
        campi.append(QStringLiteral("device %1 %2").arg(t.firmware_dispositivo, t.scheda_dispositivo));
    if (!t.concluso()) {
        campi.append(QStringLiteral("NOT COMPLETED (the program ended during the update)"));
        return campi.join(QStringLiteral("  "));
    }
    campi.append(t.classe);
    if (t.codice_uscita)
        campi.append(QStringLiteral("exit %1").arg(*t.codice_uscita));
    campi.append(QStringLiteral("%1 s").arg(double(t.durata_ms) / 1000, 0, 'f', 1));
    campi.append(QStringLiteral("%1 resends").arg(t.rinvii));
    if (t.forzato)
        campi.append(QStringLiteral("forced"));
    if (t.cancellato)
        campi.append(QStringLiteral("left erased"));
    return campi.join(QStringLiteral("  "));
}
