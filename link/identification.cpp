#include "app/form1.h"

#include "app/lamp.h"
#include "link/commands.h"
#include "link/identity.h"
#include "texts/captions.h"
#include "texts/statuses.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// A fixed wait, so that a reply in several pieces is complete.
constexpr int attesa_identificazione_ms = 500;
constexpr int modo_fisso = 0;
} // namespace

void Form1::Command7_Click()
{
    Conversazione conversazione(m_conversazione_in_corso);
    if (conversazione.rifiutata())
        return;

    Clessidra clessidra(*this);
    lampada::colora(Shape3, lampada::rosso);
    imposta_pulsanti({{Command6, false}, {Command7, false}});
    m_canale.invia_comando(comando_identificazione());
    if (!m_canale.pausa(attesa_identificazione_ms, modo_fisso))
        return;
    clessidra.rilascia();

    if (m_canale.dati_ricevuti() == 0) {
        stato_in(stato::errore_connessione);
        Command7->setEnabled(true);
        if (!indirizzo_access_point() && mostra(messaggio::offerta_reset) == risposta_si)
            reset();
        return;
    }

    const IdentitaDispositivo identita = leggi_identita(m_canale.buffer_rx());
    if (identita.info_disponibile)
        mostra_identita(identita);
    else
        stato_in(stato::info_non_disponibile);
    if (m_stato.tipo_cpu == 'W' && identita.scheda.isEmpty())
        mostra(messaggio::avviso_wgm110);
    Command2->setEnabled(true);
    lampada::colora(Shape3, lampada::verde);
}

void Form1::mostra_identita(const IdentitaDispositivo &identita)
{
    const int lingua = m_stato.lingua;
    stato_in(stato::connesso);
    Label11->setText(etichetta_firmware_dispositivo(identita));
    Label12->setText(con_prefisso(prefisso::scheda, lingua, QString::fromLatin1(identita.scheda)));
    Label13->setText(con_prefisso(prefisso::nome_file, lingua, QString::fromLatin1(identita.nome_file)));
    Label14->setText(con_prefisso(prefisso::data, lingua, testo_data(identita)));
}

void Form1::Command3_Click()
{
    chiudi_socket();
}
