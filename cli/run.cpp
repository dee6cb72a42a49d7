#include "cli/run.h"

#include "cli/summary.h"
#include "cli/texts.h"
#include "core/cpu_types.h"
#include "core/station.h"
#include "history/history_db.h"
#include "history/server_config.h"
#include "version.h"

Esecuzione::Esecuzione(const Opzioni &opzioni, Collegamento &link, Console &console, Libri libri)
    : m_opzioni(opzioni)
    , m_console(console)
    , m_rapporto(console, {opzioni.si, opzioni.access_point, opzioni.forza, opzioni.password, opzioni.firmware})
    , m_motore(link, m_rapporto, opzioni.indirizzo_access_point, opzioni.porta)
    , m_contesto{opzioni, console, m_rapporto, m_motore, libri, [this] { return interrotta(); }}
    , m_comando(Comando::per(m_contesto))
{
    m_motore.imposta_indirizzo(opzioni.indirizzo);
    m_motore.richiedi_identita_intera();
    const QString da_configurazione = libri.server ? libri.server->stazione : QString();
    m_motore.registra_in({libri.storico, QStringLiteral("cli"), QString::fromLatin1(versione_kestra), true,
                          nome_stazione(opzioni.stazione, da_configurazione), opzioni.unita, nome_utente()});
}

Esecuzione::~Esecuzione() = default;

int Esecuzione::esegui()
{
    QElapsedTimer durata;
    durata.start();
    Conclusione fine = m_comando->esegui();
    // A signal that came while the verdict was on its way let it come: the run ends as the device said.
    if (interrotta() && !fine.verdetto) {
        Esito interrotto = Esito::di_stato(TipoEsito::Interrotto, testo_interrotto);
        interrotto.fatti = fine.esito.fatti;
        fine.esito = interrotto;
        m_console.avviso(m_console.testo(testo_interrotto));
    }
    m_motore.chiudi_tentativo(fine.esito, segnale());
    const int codice = codice_uscita(fine.esito.tipo, segnale());
    m_classe = QLatin1String(nome_tipo_esito(fine.esito.tipo));
    const FattiDellaCorsa corsa{m_opzioni.indirizzo, m_opzioni.indirizzo_access_point, m_opzioni.porta,
                                m_opzioni.access_point, m_opzioni.firmware, fine.esito.fatti};
    riepiloga(m_console, {codice, fine.esito, corsa, fine.scritto, fine.saltato, durata.elapsed(), fine.solo_dati});
    return codice;
}

void Esecuzione::interrompi(int segnale, bool subito)
{
    m_segnale = segnale;
    if (subito || !m_motore.verdetto_in_arrivo())
        return m_motore.termina(segnale);
    const int secondi = m_motore.stato().trasferito.cpu->attesa_verifica_ms / 1000;
    m_console.avviso(m_console.testo(testo_flash::attesa_verdetto, QString::number(secondi)));
}
