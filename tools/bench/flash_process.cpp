#include "tools/bench/flash_process.h"

#include "testing/programs.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {
constexpr int attesa_ms = 30000;
} // namespace

EsecuzioneFlash esegui_flash(quint16 porta, const QString &file)
{
    EsecuzioneFlash esecuzione;
    QProcess flash;
    flash.setStandardErrorFile(QProcess::nullDevice());
    flash.start(kestra_flash(),
                {"--yes", "--json", "-a", "127.0.0.1", "--ap-address", "127.0.0.1", "-p", QString::number(porta), file});
    QElapsedTimer orologio;
    orologio.start();
    // Every line until standard output closes: "done" comes last.
    while (flash.waitForReadyRead(attesa_ms)) {
        while (flash.canReadLine()) {
            const QJsonObject riga = QJsonDocument::fromJson(flash.readLine()).object();
            const QString evento = riga.value("event").toString();
            if (evento == QLatin1String("identity"))
                esecuzione.identita_ns = orologio.nsecsElapsed();
            else if (evento == QLatin1String("verified"))
                esecuzione.verificato_ns = orologio.nsecsElapsed();
            else if (evento == QLatin1String("done"))
                esecuzione.rinvii = riga.value("resends").toInt();
        }
    }
    // The wait for data may have seen it end already.
    const bool finito = flash.state() == QProcess::NotRunning || flash.waitForFinished(attesa_ms);
    if (!finito || flash.exitStatus() != QProcess::NormalExit) {
        esecuzione.errore = QStringLiteral("kestra-flash did not end: %1").arg(flash.errorString());
        flash.kill();
        flash.waitForFinished();
        return esecuzione;
    }
    esecuzione.codice_uscita = flash.exitCode();
    return esecuzione;
}

Misura misura_flash_intero(quint16 porta, const QString &file)
{
    QElapsedTimer orologio;
    orologio.start();
    const EsecuzioneFlash flash = esegui_flash(porta, file);
    if (!flash.errore.isEmpty() || flash.codice_uscita != 0)
        return {0, 0, QStringLiteral("kestra-flash did not update the device (exit %1) %2").arg(flash.codice_uscita)
                          .arg(flash.errore)};
    return {double(orologio.nsecsElapsed()) / 1e9, 0, {}};
}

Misura misura_flash(quint16 porta, const QString &file)
{
    const EsecuzioneFlash flash = esegui_flash(porta, file);
    if (!flash.errore.isEmpty())
        return {0, 0, flash.errore};
    if (flash.identita_ns < 0 || flash.verificato_ns < 0 || flash.codice_uscita != 0)
        return {0, 0, QStringLiteral("kestra-flash did not update the device (exit %1)").arg(flash.codice_uscita)};
    return {double(flash.verificato_ns - flash.identita_ns) / 1e9, 0, {}};
}
