#include "cli/commands/sync.h"

#include "cli/texts.h"
#include "history/sync.h"

Conclusione ComandoSincronizza::esegui()
{
    Conclusione fine;
    fine.solo_dati = true; // standard output carries the one object
    if (!c.libri.invio) {
        c.console.avviso(c.console.testo(testo_flash::nessun_server));
        fine.esito = Esito::di_stato(TipoEsito::Uso, testo_flash::nessun_server);
        return fine;
    }
    const EsitoInvio inviato = c.libri.invio->invia();
    QJsonObject stato{{"event", "sync"}, {"sent", inviato.inviati}, {"waiting", inviato.in_attesa},
                      {"server", inviato.server}};
    if (inviato.problema) {
        stato.insert(QStringLiteral("problem"), inviato.problema->testo);
        fine.esito = Esito{TipoEsito::NonDisponibile, nessun_testo, {"%1", "%1"}, {inviato.problema->testo}};
    }
    const QString detto = c.console.testo(testo_flash::inviati)
                              .arg(inviato.inviati)
                              .arg(inviato.in_attesa)
                              .arg(inviato.server);
    if (c.opzioni.json)
        c.console.oggetto(stato);
    else
        c.console.riga(detto);
    return fine;
}
