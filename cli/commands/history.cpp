#include "cli/commands/history.h"

#include "cli/history_lines.h"
#include "cli/texts.h"
#include "history/history_db.h"

Conclusione ComandoStorico::esegui()
{
    Conclusione fine;
    fine.solo_dati = true; // standard output carries the records alone
    const std::optional<QList<Tentativo>> tentativi = c.storico ? c.storico->elenco(c.opzioni.limite) : std::nullopt;
    if (!tentativi) {
        c.console.avviso(c.console.testo(testo_flash::storico_illeggibile));
        fine.esito = Esito::di_stato(TipoEsito::NonDisponibile, testo_flash::storico_illeggibile);
        return fine;
    }
    for (const Tentativo &tentativo : *tentativi) {
        if (c.opzioni.json)
            c.console.oggetto(in_json(tentativo));
        else
            c.console.riga(riga_storico(tentativo));
    }
    return fine;
}
