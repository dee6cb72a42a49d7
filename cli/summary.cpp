#include "cli/summary.h"

#include "cli/texts.h"

namespace {

QString classe_di(const Chiusura &chiusura)
{
    return QLatin1String(nome_tipo_esito(chiusura.esito.tipo));
}

} // namespace

void riepiloga(Console &console, const Chiusura &chiusura)
{
    const Fatti &fatti = chiusura.esito.fatti;
    if (chiusura.scritto) {
        const double secondi = double(fatti.ms_scrittura) / 1000;
        console.avviso(console.testo(testo_flash::riepilogo)
                           .arg(fatti.byte_scritti)
                           .arg(secondi, 0, 'f', 1)
                           .arg(double(fatti.byte_scritti) / 1024 / qMax(secondi, 1e-3), 0, 'f', 1)
                           .arg(fatti.rinvii));
    }
    if (chiusura.codice != 0) {
        const QString suggerito = suggerimento(chiusura.esito.tipo, chiusura.corsa, console.lingua());
        if (!suggerito.isEmpty())
            console.avviso(suggerito);
        if (fatti.cancellato && !fatti.verdetto_ignoto) {
            console.avviso(console.testo(testo_flash::da_aggiornare));
            console.evento("erased", {{"text", console.testo(testo_flash::da_aggiornare)}});
        }
        console.avviso(QStringLiteral("kestra-flash: exit %1 (%2)").arg(chiusura.codice).arg(classe_di(chiusura)));
    }
    eventi_finali(console, chiusura);
}

void eventi_finali(Console &console, const Chiusura &chiusura)
{
    if (chiusura.solo_dati)
        return;
    const Fatti &fatti = chiusura.esito.fatti;
    if (chiusura.codice != 0) {
        QJsonObject errore{{"code", chiusura.codice},
                           {"class", classe_di(chiusura)},
                           {"text", testo_esito(chiusura.esito, console.lingua(), chiusura.corsa.file)}};
        const QString suggerito = suggerimento(chiusura.esito.tipo, chiusura.corsa, console.lingua());
        if (!suggerito.isEmpty())
            errore.insert(QStringLiteral("hint"), suggerito);
        console.evento("error", errore);
    }
    // Erased: from the erase on, until the device's verdict; unknown when the run ended while it was on its way.
    const QJsonValue cancellato = fatti.verdetto_ignoto ? QJsonValue() : QJsonValue(fatti.cancellato);
    console.evento("done", {{"ok", chiusura.codice == 0},
                            {"exit_code", chiusura.codice},
                            {"duration_ms", chiusura.durata_ms},
                            {"bytes", fatti.byte_immagine},
                            {"resends", fatti.rinvii},
                            {"erased", cancellato},
                            {"skipped", chiusura.saltato}});
}
