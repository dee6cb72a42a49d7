#include "link/link.h"

void Collegamento::invia_comando(const QByteArray &buffer_tx)
{
    azzera_ricezione();
    m_invio_fallito = !scrivi(buffer_tx);
    if (!m_invio_fallito)
        emit inviato(buffer_tx);
}

bool Collegamento::pausa(int ms, int modo)
{
    if (m_interrotto)
        return false;
    const bool fine_ai_dati = modo == 1;
    attendi(Timer::Timer1, ms, [this, fine_ai_dati] {
        return nulla_in_arrivo() || (fine_ai_dati && m_dati_ricevuti == 1);
    });
    return !m_interrotto;
}

bool Collegamento::attendi_primi_dati(int ms)
{
    if (m_interrotto)
        return false;
    attendi(Timer::Timer2, ms, [this] { return nulla_in_arrivo() || m_dati_ricevuti == 1; });
    return !m_interrotto;
}

bool Collegamento::elabora_eventi()
{
    if (!m_interrotto)
        elabora();
    return !m_interrotto;
}

void Collegamento::azzera_ricezione()
{
    m_buffer_rx.clear();
    m_dati_ricevuti = 0;
    m_invio_fallito = false;
}

void Collegamento::interrompi()
{
    m_interrotto = true;
    chiudi();
    sveglia();
}

bool Collegamento::nulla_in_arrivo() const
{
    // A command that never left gets no reply, and a closed link brings no
    // data: waiting out the time-out would change nothing but the time lost.
    return m_invio_fallito || !aperto();
}

void Collegamento::ricevi(QByteArrayView dati)
{
    const qsizetype spazio = capienza_ricezione - m_buffer_rx.size();
    m_buffer_rx.append(dati.first(qMin(spazio, dati.size())));
    m_dati_ricevuti = 1;
    emit arrivato(dati.toByteArray());
    sveglia();
}
