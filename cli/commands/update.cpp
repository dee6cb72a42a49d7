#include "cli/commands/update.h"

#include "cli/texts.h"
#include "core/labels.h"
#include "history/history_db.h"
#include "history/sync.h"

namespace {

// The failures that leave the device erased.
bool lascia_cancellato(TipoEsito tipo)
{
    return tipo == TipoEsito::Cancellazione || tipo == TipoEsito::Trasferimento || tipo == TipoEsito::Verifica;
}

} // namespace

Conclusione ComandoAggiorna::esegui()
{
    if (!c.opzioni.si && !c.console.domande()) {
        c.console.avviso(c.console.testo(testo_flash::senza_terminale));
        return {Esito::di_stato(TipoEsito::Uso, testo_flash::senza_terminale)};
    }
    if (c.libri.storico)
        c.libri.storico->prepara();
    // What earlier runs left unsent goes first; a server out of reach costs a bounded wait once.
    if (c.libri.invio)
        c.libri.invio->invia();
    const Esito file = controlla_file();
    m_fine.esito = file.riuscito() ? con_tentativi() : file;
    return m_fine;
}

Esito ComandoAggiorna::con_tentativi()
{
    std::optional<Esito> cancellante; // the last failure that left the device erased
    for (int tentativo = 1;; ++tentativo) {
        const Esito esito = prova();
        if (lascia_cancellato(esito.tipo))
            cancellante = esito;
        const bool ancora_cancellato = !esito.riuscito() && esito.fatti.cancellato;
        const bool ultimo = !ancora_cancellato || esito.tipo == TipoEsito::Rinuncia || c.interrotta()
                            || tentativo > c.opzioni.tentativi;
        if (ultimo) {
            // A later try that erased nothing does not hide the failure that left the device erased.
            const bool nascosto = ancora_cancellato && cancellante && esito.tipo != TipoEsito::Rinuncia
                                  && esito.tipo != TipoEsito::Interrotto && !lascia_cancellato(esito.tipo);
            if (!nascosto)
                return esito;
            Esito prima = *cancellante;
            prima.fatti = esito.fatti;
            return prima;
        }
        c.motore.chiudi_tentativo(esito);
        c.console.avviso(c.console.testo(testo_flash::di_nuovo).arg(tentativo + 1).arg(c.opzioni.tentativi + 1));
        c.console.evento("retry", {{"try", tentativo + 1}, {"of", c.opzioni.tentativi + 1}});
        c.motore.disconnetti();
    }
}

Esito ComandoAggiorna::prova()
{
    const Esito identificato = in_sequenza({
        [this] { return connetti(); },
        [this] { return c.motore.apri(c.opzioni.file_firmware); },
        [this] { return c.motore.identifica(); },
    });
    if (!identificato.riuscito())
        return identificato;
    if (c.opzioni.salta_se_attuale && gia_aggiornato(identificato.fatti)) {
        m_fine.saltato = true;
        Esito saltato = Esito::di_stato(TipoEsito::Saltato, testo_flash::gia_aggiornato,
                                        versione_dispositivo(*identificato.fatti.identita));
        saltato.fatti = identificato.fatti;
        c.console.avviso(saltato.in(c.console.lingua()));
        // The device was reached and left alone: the books say so.
        c.motore.registra_senza_cancellare(saltato);
        return saltato;
    }
    return in_sequenza({
        [this] {
            const Esito esito = c.motore.trasferisci();
            m_fine.scritto = esito.riuscito();
            return esito;
        },
        [this] { return verifica(); },
    });
}

Esito ComandoAggiorna::verifica()
{
    const Esito esito = c.motore.aggiorna();
    m_fine.verdetto = esito.tipo == TipoEsito::Completato || esito.tipo == TipoEsito::Verifica;
    if (esito.riuscito())
        c.console.evento("verified");
    return esito;
}

bool ComandoAggiorna::gia_aggiornato(const Fatti &fatti) const
{
    // The version bytes, not their labels: the file writes the minor version
    // as two decimal digits, the device as two hexadecimal ones. A device this
    // run erased is never current.
    return fatti.identita && fatti.intestazione && !fatti.cancellato
           && fatti.identita->maggiore == fatti.intestazione->fw_maggiore
           && fatti.identita->minore == fatti.intestazione->fw_minore;
}
