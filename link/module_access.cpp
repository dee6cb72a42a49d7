#include "app/form1.h"

#include "app/form2.h"
#include "app/stacking.h"
#include "link/commands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int attesa_primi_dati_ms = 5000;
constexpr int attesa_password_ms = 500;
constexpr int attesa_modo_ms = 1000;
constexpr int attesa_reset_ms = 500;
constexpr int attesa_dopo_reset_ms = 100;
constexpr int modo_attesa_piena = 4;
constexpr int modo_fisso = 0;
} // namespace

bool Form1::comando_risposto() const
{
    return m_canale.buffer_rx().size() >= 4 && m_canale.dati_ricevuti() != 0;
}

void Form1::Command5_Click()
{
    Conversazione conversazione(m_conversazione_in_corso);
    if (conversazione.rifiutata())
        return;

    m_canale.azzera_ricezione();
    m_canale.apri(Text1->text(), m_porta);
    if (!indirizzo_access_point()) {
        if (!m_canale.attendi_primi_dati(attesa_primi_dati_ms))
            return;
        if (m_canale.buffer_rx().contains("PAS?")) {
            accedi_con_password();
            return;
        }
    }
    imposta_pulsanti({{Command3, true}, {Command6, true}, {Command2, false},
                      {Command4, false}, {Command5, false}, {Command7, false}});
}

void Form1::accedi_con_password()
{
    if (!attendi_password())
        return;
    if (m_stato.password.isEmpty()) {
        mostra(messaggio::password_vuota);
        chiudi_socket();
        return;
    }
    invia_password();
    if (m_in_chiusura)
        return;
    if (!m_canale.buffer_rx().contains("PAS=OK")) {
        mostra(messaggio::password_errata);
        chiudi_socket();
        return;
    }
    if (mostra(messaggio::domanda_access_point) == risposta_si)
        cambia_modo();
    else
        chiudi_socket();
}

bool Form1::attendi_password()
{
    m_form2 = new Form2(m_stato.lingua, this);
    imposta_sempre_in_primo_piano(*m_form2, Check1->checkState() == Qt::Checked);
    m_stato.form2_aperta = 1;
    connect(m_form2, &Form2::confermata, this, [this](const QString &password) { m_stato.password = password; });
    // However the dialog is closed: OK, Cancel or its close box.
    connect(m_form2, &QDialog::finished, this, [this] {
        m_stato.form2_aperta = 0;
        m_canale.attesa().sveglia();
    });
    m_form2->show();
    return m_canale.attesa().attendi([this] { return m_stato.form2_aperta == 0; });
}

void Form1::invia_password()
{
    m_canale.invia_comando(comando_password(m_stato.password));
    if (!m_canale.pausa(attesa_password_ms, modo_attesa_piena))
        return;
    if (!comando_risposto()) {
        mostra(messaggio::password_senza_risposta);
        unsetCursor();
    }
}

void Form1::cambia_modo()
{
    m_canale.invia_comando(comando_access_point());
    if (!m_canale.pausa(attesa_modo_ms, modo_attesa_piena))
        return;
    if (comando_risposto()) {
        chiudi_socket();
        Text1->setText(m_indirizzo_access_point);
        mostra(messaggio::modo_cambiato);
    } else {
        mostra(messaggio::modo_senza_risposta);
        unsetCursor();
    }
}

void Form1::reset()
{
    m_canale.invia_comando(comando_reset());
    if (!m_canale.pausa(attesa_reset_ms, modo_attesa_piena))
        return;
    if (comando_risposto()) {
        if (!m_canale.pausa(attesa_dopo_reset_ms, modo_fisso))
            return;
        chiudi_socket();
        mostra(messaggio::modulo_riavviato);
    } else {
        mostra(messaggio::reset_senza_risposta);
        unsetCursor();
    }
}
