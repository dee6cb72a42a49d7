#include "cli/commands/history.h"

#include "cli/history_lines.h"
#include "cli/texts.h"
#include "history/export.h"
#include "history/history_db.h"
#include "history/reader.h"
#include "history/server_reader.h"

#include <memory>

namespace {

// Where the records are read: the station's file, or the plant's server.
std::unique_ptr<LettoreStorico> lettore(const Contesto &c)
{
    if (c.opzioni.tutte_le_stazioni)
        return c.libri.server && c.libri.server->server ? std::make_unique<LettoreServer>(*c.libri.server->server)
                                                        : nullptr;
    return c.libri.storico ? std::make_unique<LettoreLocale>(c.libri.storico->percorso()) : nullptr;
}

} // namespace

Conclusione ComandoStorico::esegui()
{
    Conclusione fine;
    fine.solo_dati = true; // standard output carries the records alone
    const std::unique_ptr<LettoreStorico> da_leggere = lettore(c);
    if (!da_leggere) {
        c.console.avviso(c.console.testo(testo_flash::nessun_server));
        fine.esito = Esito::di_stato(TipoEsito::Uso, testo_flash::nessun_server);
        return fine;
    }
    std::optional<Esportazione> esportazione;
    if (c.opzioni.json || c.opzioni.csv)
        esportazione.emplace(c.console.dati(), c.opzioni.csv ? FormatoEsportazione::Csv : FormatoEsportazione::Json);
    const EsitoLettura letto = da_leggere->leggi(c.opzioni.filtro, [&](const Tentativo &tentativo) {
        if (esportazione)
            esportazione->scrivi(tentativo);
        else
            c.console.riga(riga_storico(tentativo));
    });
    if (letto.piu_nuovo)
        c.console.avviso(c.console.testo(testo_flash::storico_piu_nuovo));
    if (!letto.letto) {
        fine.esito = Esito::di_stato(TipoEsito::NonDisponibile, testo_flash::storico_illeggibile, letto.perche);
        c.console.avviso(fine.esito.in(c.console.lingua()));
    } else if (letto.non_letti > 0) {
        fine.esito = Esito::di_stato(TipoEsito::StoricoDanneggiato, testo_flash::storico_danneggiato,
                                     QString::number(letto.non_letti));
        c.console.avviso(fine.esito.in(c.console.lingua()));
    }
    return fine;
}
