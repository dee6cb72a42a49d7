#include "engine/steps/transfer.h"

#include "engine/session.h"
#include "core/programming_commands.h"
#include "core/firmware_image.h"
#include "core/replies.h"
#include "core/statuses.h"

namespace {

constexpr int attesa_cancellazione_ms = 5000;
constexpr int attesa_mezza_pagina_ms = 1000;
constexpr int modo_fine_ai_dati = 1;
// Failed attempts a page may take, over both its halves.
constexpr int tentativi_per_pagina = 3;
constexpr int kb_per_blocco = 64;

bool cancella(Sessione &s, int codice_cpu)
{
    const bool a_blocchi = cancellazione_a_blocchi(codice_cpu);
    const int blocchi = a_blocchi ? s.stato.kb_cancellazione / kb_per_blocco : 1;
    for (int blocco = 0; blocco < blocchi; ++blocco) {
        if (!s.link.elabora_eventi())
            return false;
        s.link.invia_comando(a_blocchi ? comando_cancella_blocco(blocco) : comando_cancella_tutto());
        if (!s.link.pausa(attesa_cancellazione_ms, modo_fine_ai_dati)
            || !risposta_accettata(s.link.dati_ricevuti(), s.link.buffer_rx()))
            return false;
        s.rapporto.avanzamento({Avanzamento::Fase::Cancellazione, blocco + 1, blocchi, (blocco + 1) * 100 / blocchi});
    }
    return true;
}

std::optional<Testo> invia_pagina(Sessione &s, int codice_cpu, const QByteArray &dati, quint32 indirizzo)
{
    static constexpr Testo errore_checksum[] = {stato::errore_checksum_pagina_1, stato::errore_checksum_pagina_2};
    int tentativi = 0;
    for (int meta = 0; meta < 2;) {
        const QByteArrayView dati_meta
            = QByteArrayView(dati).sliced(meta * dimensione_mezza_pagina, dimensione_mezza_pagina);
        s.link.invia_comando(comando_mezza_pagina(codice_cpu, indirizzo + meta * dimensione_mezza_pagina, dati_meta));
        if (!s.link.pausa(attesa_mezza_pagina_ms, modo_fine_ai_dati))
            return std::nullopt;
        switch (giudica_mezza_pagina(s.link.dati_ricevuti(), s.link.buffer_rx())) {
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

// The erase and the pages; what went wrong, or nothing.
std::optional<Testo> cancella_e_scrivi(Sessione &s)
{
    StatoCondiviso &stato = s.stato;
    const int codice_cpu = stato.codice_cpu;
    // Nothing is erased unless there is something sound to write.
    const ImmagineFirmware immagine
        = leggi_immagine(stato.percorso_firmware + stato.nome_file, stato.byte_intestazione, codice_cpu);
    if (immagine.errore)
        return immagine.errore;

    stato.kb_cancellazione = kb_da_cancellare(codice_cpu, stato.kb_cancellazione);
    s.stato_in(stato::cancellazione, QString::number(stato.kb_cancellazione));
    s.rapporto.avanzamento({Avanzamento::Fase::Cancellazione, 0, 0, 0});
    if (!cancella(s, codice_cpu))
        return stato::errore_cancellazione;

    s.stato_in(stato::trasferimento);
    const qsizetype lunghezza = immagine.dati.size();
    const int pagine_intere = int(lunghezza / dimensione_pagina);
    const int pagine = numero_pagine(lunghezza);
    stato.pagine_inviate = 0;
    stato.crc = {255, 255, 0xFFFF};
    while (stato.pagine_inviate < pagine) {
        if (!s.link.elabora_eventi())
            return std::nullopt;
        const QByteArray dati = pagina(immagine.dati, stato.pagine_inviate);
        // Every page counts once in the CRC16, however often its halves are sent.
        crc16_calc(stato.crc, dati);
        const std::optional<Testo> errore
            = invia_pagina(s, codice_cpu, dati, quint32(stato.pagine_inviate) * dimensione_pagina);
        if (errore || s.link.interrotto())
            return errore;
        ++stato.pagine_inviate;
        // The last page of an image that is not a whole number of pages would go past 100.
        const float percento = pagine_intere == 0 ? 100.0f : stato.pagine_inviate * 100.0f / pagine_intere;
        s.rapporto.avanzamento({Avanzamento::Fase::Trasferimento, stato.pagine_inviate, pagine,
                                int(qMin(percento, 100.0f))});
    }
    stato.trasferito = {codice_cpu, stato.pagine_inviate, stato.crc};
    return std::nullopt;
}

} // namespace

void trasferisci(Sessione &s)
{
    Occupato occupato(s.rapporto);
    s.colora(Lampada::Trasferimento, Colore::Giallo);
    s.imposta_passi({{Passo::Trasferisci, false}});

    const std::optional<Testo> errore = cancella_e_scrivi(s);
    if (s.link.interrotto())
        return;
    if (errore) {
        s.stato_in(*errore);
        s.imposta_passi({{Passo::Trasferisci, true}});
        return;
    }
    s.colora(Lampada::Trasferimento, Colore::Verde);
    s.stato_in(stato::trasferimento_ok);
    s.rapporto.crc_trasferito(s.stato.crc.crc16);
    s.imposta_passi({{Passo::Aggiorna, true}});
}
