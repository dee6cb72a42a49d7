// The window's update history: its view, and the copy sent to the plant's server.

#include "window/form1.h"

#include "history/sync.h"
#include "window/history/background.h"

void Form1::apri_cronologia()
{
    if (!m_vista) {
        m_vista = new VistaStorico(m_dialoghi, m_fonti, m_lingua, this);
        m_vista->setAttribute(Qt::WA_DeleteOnClose);
        m_vista->imposta_salute(m_salute);
    }
    m_vista->show();
    m_vista->raise();
}

void Form1::problema_storico(const QString &problema)
{
    m_salute.problemi.append(problema);
    if (m_vista)
        m_vista->imposta_salute(m_salute);
}

void Form1::sincronizza_storico()
{
    if (!m_fonti.server.server)
        return;
    // One sending at a time; a record written meanwhile goes with the next.
    if (std::exchange(m_invio_in_corso, true)) {
        m_invio_ancora = true;
        return;
    }
    in_sottofondo(
        this,
        [fonti = m_fonti] {
            StoricoSqlite storico(fonti.percorso, [](const QString &) {});
            return InvioStorico(storico, fonti.server, [](const QString &) {}).invia();
        },
        [this](const EsitoInvio &esito) {
            m_salute.invio = esito;
            if (m_vista)
                m_vista->imposta_salute(m_salute);
            m_invio_in_corso = false;
            if (std::exchange(m_invio_ancora, false))
                sincronizza_storico();
        });
}
