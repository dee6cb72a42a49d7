#include "engine/link.h"

#include "engine/event_wait.h"

void Collegamento::apri(const QString &host, quint16 porta)
{
    dimentica_risposte();
    apri_canale(host, porta);
}

void Collegamento::chiudi()
{
    chiudi_canale();
    dimentica_risposte();
}

void Collegamento::invia_comando(const QByteArray &buffer_tx)
{
    azzera_ricezione();
    m_invio_fallito = !scrivi(buffer_tx);
    m_attesa.reset();
    if (m_invio_fallito)
        return;
    if (const FormaRisposta forma = forma_risposta(buffer_tx); forma.byte > 0)
        m_attesa = forma;
    emit inviato(buffer_tx);
}

bool Collegamento::pausa(int ms, int modo)
{
    if (m_interrotto)
        return false;
    const bool fine_ai_dati = modo == modo_fine_ai_dati;
    attendi(Timer::Timer1, ms, [this, fine_ai_dati] {
        return nulla_in_arrivo() || (fine_ai_dati && m_dati_ricevuti == 1);
    });
    chiudi_scambio();
    return !m_interrotto;
}

bool Collegamento::attendi_risposta_intera(int ms, int ms_pezzo)
{
    if (m_interrotto)
        return false;
    const auto intera = [this] { return !m_attesa || risposta_intera(*m_attesa, m_buffer_rx); };
    attendi(Timer::Timer1, ms, [&] { return nulla_in_arrivo() || intera(); });
    while (m_dati_ricevuti == 1 && !intera() && !nulla_in_arrivo() && !m_interrotto) {
        const qsizetype prima = m_buffer_rx.size();
        attendi(Timer::Timer1, ms_pezzo, [&] { return nulla_in_arrivo() || m_buffer_rx.size() != prima; });
        if (m_buffer_rx.size() == prima)
            break;
    }
    chiudi_scambio();
    return !m_interrotto;
}

void Collegamento::chiudi_scambio()
{
    const std::optional<FormaRisposta> forma = std::exchange(m_attesa, std::nullopt);
    if (forma && !risposta_intera(*forma, m_buffer_rx))
        m_debiti.append({*forma, m_buffer_rx});
}

std::optional<bool> Collegamento::scambia_col_modulo(const QByteArray &comando, int ms)
{
    invia_comando(comando);
    if (!pausa(ms, modo_attesa_piena))
        return std::nullopt;
    return m_dati_ricevuti != 0 && risposta_intera(forma_risposta(comando), m_buffer_rx);
}

std::optional<RispostaDispositivo> Collegamento::scambia(const QByteArray &comando, int ms)
{
    invia_comando(comando);
    if (!pausa(ms, modo_fine_ai_dati))
        return std::nullopt;
    return giudica_risposta(m_dati_ricevuti, m_buffer_rx);
}

bool Collegamento::attendi_primi_dati(int ms)
{
    if (m_interrotto)
        return false;
    attendi(Timer::Timer2, ms, [this] { return nulla_in_arrivo() || m_dati_ricevuti == 1; });
    return !m_interrotto;
}

bool Collegamento::attendi_collegamento(int ms)
{
    if (!collegato() && aperto() && !m_interrotto)
        attendi(Timer::Timer1, ms, [this] { return collegato() || !aperto(); });
    if (collegato())
        return true;
    if (aperto() && !m_interrotto) {
        chiudi();
        emit errore();
    }
    return false;
}

bool Collegamento::inizia_conversazione()
{
    attendi_debiti(attesa_debito_ms);
    if (m_interrotto)
        return false;
    if (!m_debiti.isEmpty()) {
        m_fuori_passo = true;
        emit dimenticate(int(m_debiti.size()));
        m_debiti.clear();
    }
    return true;
}

void Collegamento::attendi_debiti(int ms)
{
    while (!m_debiti.isEmpty() && !m_interrotto) {
        const qint64 prima = m_byte_pagati;
        attendi(Timer::Timer1, ms, [this, prima] { return !aperto() || m_byte_pagati != prima; });
        if (m_byte_pagati == prima)
            break;
    }
}

bool Collegamento::attendi_finestra(const std::function<bool()> &finita)
{
    if (m_interrotto)
        return false;
    attesa_eventi::attendi([this, &finita] { return m_interrotto || finita(); });
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
}

bool Collegamento::nulla_in_arrivo() const
{
    // A command that never left gets no reply, and a closed link brings no
    // data: waiting out the time-out would change nothing but the time lost.
    return m_invio_fallito || !aperto();
}

void Collegamento::dimentica_risposte()
{
    // Nothing sent on a link that is gone can arrive on the next one.
    m_attesa.reset();
    m_debiti.clear();
    m_fuori_passo = false;
}

void Collegamento::ricevi(QByteArrayView dati)
{
    // Byte by byte: a reply whose shape has two lengths ("FWI=???" or 20
    // bytes) is whole once either is reached.
    qsizetype pagati = 0;
    while (pagati < dati.size() && !m_debiti.isEmpty()) {
        Debito &debito = m_debiti.first();
        debito.ricevuti.append(dati[pagati++]);
        if (risposta_intera(debito.forma, debito.ricevuti))
            m_debiti.removeFirst();
    }
    if (pagati > 0) {
        m_byte_pagati += pagati;
        emit in_ritardo(dati.first(pagati).toByteArray());
        dati = dati.sliced(pagati);
    }
    if (!dati.isEmpty()) {
        const qsizetype spazio = capienza_ricezione - m_buffer_rx.size();
        m_buffer_rx.append(dati.first(qMin(spazio, dati.size())));
        m_dati_ricevuti = 1;
        emit arrivato(dati.toByteArray());
    }
}
