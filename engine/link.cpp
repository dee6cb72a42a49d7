#include "engine/link.h"

#include "core/commands.h"

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
    m_byte_atteso = !m_invio_fallito && risponde_con_un_byte(buffer_tx);
    if (!m_invio_fallito)
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
    if (std::exchange(m_byte_atteso, false) && m_dati_ricevuti == 0)
        ++m_dovute;
    return !m_interrotto;
}

std::optional<bool> Collegamento::scambia_col_modulo(const QByteArray &comando, int ms)
{
    invia_comando(comando);
    if (!pausa(ms, modo_attesa_piena))
        return std::nullopt;
    // The module's replies are at least 4 bytes long.
    return m_buffer_rx.size() >= 4 && m_dati_ricevuti != 0;
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

bool Collegamento::attendi_risposte_dovute(int ms)
{
    while (m_dovute > 0 && !m_interrotto) {
        const int prima = m_dovute;
        attendi(Timer::Timer1, ms, [this, prima] { return !aperto() || m_dovute < prima; });
        if (m_dovute == prima)
            break;
    }
    return m_dovute == 0;
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
    m_byte_atteso = false;
    m_dovute = 0;
}

void Collegamento::ricevi(QByteArrayView dati)
{
    const qsizetype pagati = qMin<qsizetype>(m_dovute, dati.size());
    if (pagati > 0) {
        m_dovute -= int(pagati);
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
