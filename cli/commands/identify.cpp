#include "cli/commands/identify.h"

Conclusione ComandoIdentifica::esegui()
{
    Esito esito = in_sequenza({[this] { return connetti(); }, [this] { return c.motore.chiedi_identita(); }});
    // "FWI=???": the device gave no identity to print.
    if (esito.riuscito() && !esito.fatti.identita)
        esito.tipo = TipoEsito::Identificazione;
    return {esito};
}
