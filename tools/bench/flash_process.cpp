#include "tools/bench/flash_process.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {
constexpr int attesa_ms = 30000;
} // namespace

Misura misura_flash(quint16 porta, const QString &file)
{
    QProcess flash;
    flash.setStandardErrorFile(QProcess::nullDevice());
    flash.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kestra-flash"),
                {"--yes", "--json", "-a", "127.0.0.1", "--ap-address", "127.0.0.1", "-p", QString::number(porta), file});
    QElapsedTimer orologio;
    orologio.start();
    qint64 inizio_ns = -1, fine_ns = -1;
    while (fine_ns < 0 && flash.waitForReadyRead(attesa_ms)) {
        while (flash.canReadLine()) {
            const QString evento = QJsonDocument::fromJson(flash.readLine()).object().value("event").toString();
            if (evento == QLatin1String("identity"))
                inizio_ns = orologio.nsecsElapsed();
            else if (evento == QLatin1String("verified"))
                fine_ns = orologio.nsecsElapsed();
        }
    }
    flash.waitForFinished(attesa_ms);
    if (inizio_ns < 0 || fine_ns < 0 || flash.exitCode() != 0)
        return {0, 0, QStringLiteral("kestra-flash did not update the device (exit %1)").arg(flash.exitCode())};
    return {double(fine_ns - inizio_ns) / 1e9, 0, {}};
}
