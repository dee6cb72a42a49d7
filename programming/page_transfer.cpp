#include "app/form1.h"

#include "app/lamp.h"
#include "image/firmware_header.h"
#include "programming/commands.h"
#include "programming/firmware_image.h"
#include "programming/replies.h"
#include "texts/statuses.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int attesa_cancellazione_ms = 5000;
constexpr int attesa_mezza_pagina_ms = 1000;
constexpr int modo_fine_ai_dati = 1;
// Failed attempts a page may take, over both its halves.
constexpr int tentativi_per_pagina = 3;
constexpr int kb_per_blocco = 64;
} // namespace

void Form1::Command2_Click()
{
    Conversazione conversazione(m_conversazione_in_corso);
    if (conversazione.rifiutata())
        return;

    Clessidra clessidra(*this);
    lampada::colora(Shape1, lampada::giallo);
    Command2->setEnabled(false);

    const std::optional<Testo> errore = trasferisci();
    if (m_canale.attesa().interrotta())
        return;
    if (errore) {
        stato_in(*errore);
        Command2->setEnabled(true);
        return;
    }
    m_stato.trasferito = {m_stato.codice_cpu, m_stato.pagine_inviate, m_stato.crc};
    lampada::colora(Shape1, lampada::verde);
    stato_in(stato::trasferimento_ok);
    Text4->setText(testo_crc(m_stato.crc.crc16));
    Command4->setEnabled(true);
}

std::optional<Testo> Form1::trasferisci()
{
    // Nothing is erased unless there is something sound to write.
    const ImmagineFirmware immagine = leggi_immagine(m_stato.percorso_firmware + m_stato.nome_file,
                                                     m_stato.byte_intestazione, m_stato.codice_cpu);
    if (immagine.errore)
        return immagine.errore;

    m_stato.kb_cancellazione = kb_da_cancellare(m_stato.codice_cpu, m_stato.kb_cancellazione);
    Text2->setText(testo(stato::cancellazione).arg(m_stato.kb_cancellazione));
    ProgressBar1->setValue(0);
    if (!cancella())
        return stato::errore_cancellazione;

    stato_in(stato::trasferimento);
    const qsizetype lunghezza = immagine.dati.size();
    const int pagine_intere = int(lunghezza / dimensione_pagina);
    const int pagine = numero_pagine(lunghezza);
    m_stato.pagine_inviate = 0;
    m_stato.crc = {255, 255, 0xFFFF};
    while (m_stato.pagine_inviate < pagine) {
        QCoreApplication::processEvents();
        if (m_canale.attesa().interrotta())
            return std::nullopt;
        const QByteArray dati = pagina(immagine.dati, m_stato.pagine_inviate);
        // Every page counts once in the CRC16, however often its halves are sent.
        crc16_calc(m_stato.crc, dati);
        const std::optional<Testo> errore = invia_pagina(dati, quint32(m_stato.pagine_inviate) * dimensione_pagina);
        if (errore || m_canale.attesa().interrotta())
            return errore;
        ++m_stato.pagine_inviate;
        // The last page of an image that is not a whole number of pages would go past 100.
        const float avanzamento = pagine_intere == 0 ? 100.0f : m_stato.pagine_inviate * 100.0f / pagine_intere;
        ProgressBar1->setValue(int(qMin(avanzamento, 100.0f)));
    }
    return std::nullopt;
}

bool Form1::cancella()
{
    const bool a_blocchi = cancellazione_a_blocchi(m_stato.codice_cpu);
    const int blocchi = a_blocchi ? m_stato.kb_cancellazione / kb_per_blocco : 1;
    for (int blocco = 0; blocco < blocchi; ++blocco) {
        QCoreApplication::processEvents();
        m_canale.invia_comando(a_blocchi ? comando_cancella_blocco(blocco) : comando_cancella_tutto());
        if (!m_canale.pausa(attesa_cancellazione_ms, modo_fine_ai_dati))
            return false;
        if (!risposta_accettata(m_canale.dati_ricevuti(), m_canale.buffer_rx()))
            return false;
        ProgressBar1->setValue((blocco + 1) * 100 / blocchi);
    }
    return true;
}

std::optional<Testo> Form1::invia_pagina(const QByteArray &dati, quint32 indirizzo)
{
    static constexpr Testo errore_checksum[] = {stato::errore_checksum_pagina_1, stato::errore_checksum_pagina_2};
    int tentativi = 0;
    for (int meta = 0; meta < 2;) {
        const QByteArrayView dati_meta = QByteArrayView(dati).sliced(meta * dimensione_mezza_pagina, dimensione_mezza_pagina);
        m_canale.invia_comando(comando_mezza_pagina(m_stato.codice_cpu, indirizzo + meta * dimensione_mezza_pagina, dati_meta));
        if (!m_canale.pausa(attesa_mezza_pagina_ms, modo_fine_ai_dati))
            return std::nullopt;
        switch (giudica_mezza_pagina(m_canale.dati_ricevuti(), m_canale.buffer_rx())) {
        case RispostaMezzaPagina::Accettata:
            ++meta;
            break;
        case RispostaMezzaPagina::ScritturaFallita:
            return stato::errore_scrittura_pagina;
        case RispostaMezzaPagina::ChecksumErrato:
            if (++tentativi == tentativi_per_pagina)
                return errore_checksum[meta];
            break;
        case RispostaMezzaPagina::Altro:
            if (++tentativi == tentativi_per_pagina)
                return stato::errore_trasferimento;
            break;
        }
    }
    return std::nullopt;
}
