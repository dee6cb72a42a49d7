#include "app/form1.h"

#include "app/lamp.h"
#include "programming/commands.h"
#include "programming/replies.h"
#include "texts/statuses.h"

#include <QPushButton>

namespace {
constexpr int codice_wgm110 = 3;
constexpr int modo_fine_ai_dati = 1;
} // namespace

void Form1::Command4_Click()
{
    Conversazione conversazione(m_conversazione_in_corso);
    if (conversazione.rifiutata())
        return;

    const StatoCondiviso::Trasferimento &trasferito = m_stato.trasferito;
    const bool wgm110 = trasferito.codice_cpu == codice_wgm110;
    if (mostra(wgm110 ? messaggio::conferma_aggiornamento_wgm110 : messaggio::conferma_aggiornamento) != risposta_si)
        return;

    Clessidra clessidra(*this);
    imposta_pulsanti({{Command4, false}, {Command7, false}});
    stato_in(stato::verifica_crc);
    m_canale.invia_comando(comando_verifica(trasferito.codice_cpu, trasferito.pagine_inviate,
                                            trasferito.crc.crc_alto, trasferito.crc.crc_basso));
    if (!m_canale.pausa(attesa_verifica_ms(trasferito.codice_cpu), modo_fine_ai_dati))
        return;
    const bool verificato = risposta_accettata(m_canale.dati_ricevuti(), m_canale.buffer_rx());
    clessidra.rilascia();

    // The WGM110 restarts as an Access Point whatever it answered.
    if (wgm110) {
        m_canale.chiudi();
        imposta_pulsanti({{Command3, false}, {Command5, true}});
    }
    if (verificato) {
        stato_in(stato::programmazione_avviata);
        lampada::colora(Shape2, lampada::verde);
        mostra(messaggio::aggiornamento_terminato);
        Command7->setEnabled(true);
    } else {
        stato_in(stato::errore_crc16);
        imposta_pulsanti({{Command2, true}, {Command4, false}, {Command6, true}, {Command7, true}});
    }
    for (QFrame *lampada : {Shape1, Shape2, Shape3})
        lampada::colora(lampada, lampada::rosso);
}
