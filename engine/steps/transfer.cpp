#include "engine/steps/transfer.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/firmware_file.h"
#include "core/firmware_header.h"
#include "core/labels.h"
#include "core/firmware_image.h"
#include "core/statuses.h"
#include "engine/session.h"

#include <QElapsedTimer>

#include <variant>

namespace {

constexpr int attesa_cancellazione_ms = 5000;
constexpr int attesa_mezza_pagina_ms = 1000;
// Failed attempts a page may take, over both its halves.
constexpr int tentativi_per_pagina = 3;

// How the transfer ended early, or nothing while it goes on.
using Fine = std::optional<Esito>;

Fine fallito(TipoEsito tipo, const Testo &stato)
{
    return Esito::di_stato(tipo, stato);
}

Fine cancella(Sessione &s, const TipoCpu &tipo)
{
    const QList<QByteArray> comandi = comandi_cancellazione(tipo);
    const int blocchi = int(comandi.size());
    for (int blocco = 0; blocco < blocchi; ++blocco) {
        if (!s.link.elabora_eventi())
            return Sessione::interrotto();
        const std::optional<RispostaDispositivo> risposta = s.link.scambia(comandi[blocco], attesa_cancellazione_ms);
        if (!risposta)
            return Sessione::interrotto();
        if (*risposta != RispostaDispositivo::Accettata)
            return fallito(TipoEsito::Cancellazione, stato::errore_cancellazione);
        s.rapporto.avanzamento({Avanzamento::Fase::Cancellazione, blocco + 1, blocchi, (blocco + 1) * 100 / blocchi});
    }
    return std::nullopt;
}

Fine invia_pagina(Sessione &s, const TipoCpu &tipo, const QByteArray &dati, quint32 indirizzo)
{
    static constexpr Testo errore_checksum[] = {stato::errore_checksum_pagina_1, stato::errore_checksum_pagina_2};
    int tentativi = 0;
    // A half page sent again on a lost link never leaves: it is no resend.
    const auto rinvio = [&s] {
        if (s.link.collegato())
            ++s.stato.rinvii;
    };
    for (int meta = 0; meta < 2;) {
        const QByteArrayView dati_meta
            = QByteArrayView(dati).sliced(meta * dimensione_mezza_pagina, dimensione_mezza_pagina);
        const std::optional<RispostaDispositivo> risposta = s.link.scambia(
            comando_mezza_pagina(tipo, indirizzo + meta * dimensione_mezza_pagina, dati_meta), attesa_mezza_pagina_ms);
        if (!risposta)
            return Sessione::interrotto();
        switch (*risposta) {
        case RispostaDispositivo::Accettata:
            ++meta;
            break;
        case RispostaDispositivo::ScritturaFallita:
            return fallito(TipoEsito::Trasferimento, stato::errore_scrittura_pagina);
        case RispostaDispositivo::ChecksumErrato:
            if (++tentativi == tentativi_per_pagina)
                return fallito(TipoEsito::Trasferimento, errore_checksum[meta]);
            rinvio();
            break;
        case RispostaDispositivo::Altro:
            if (++tentativi == tentativi_per_pagina)
                return fallito(TipoEsito::Trasferimento, stato::errore_trasferimento);
            rinvio();
            break;
        }
    }
    return std::nullopt;
}

// What would brick a receiver is asked about before anything is erased: a
// file for another board than the device reports, and an image that has not
// the CRC16 its header gives (cut short or damaged). Then the erase itself.
std::optional<Esito> domande(Sessione &s, const QByteArray &immagine)
{
    s.stato.forzato = false;
    const IntestazioneFirmware intestazione = leggi_intestazione(s.stato.byte_intestazione);
    const QByteArray &scheda = s.stato.identita.scheda;
    if (!scheda.isEmpty() && scheda != intestazione.scheda_file) {
        const QStringList valori{QString::fromLatin1(intestazione.scheda_file), QString::fromLatin1(scheda)};
        if (s.chiedi(Domanda::SchedaDiversa, valori) != Risposta::Si) {
            // The device was reached and left alone: the books say so.
            const Esito rifiutato{TipoEsito::Scheda, nessun_testo, stato::scheda_diversa, valori};
            s.registra_senza_cancellare(rifiutato);
            return rifiutato;
        }
        s.stato.forzato = true;
    }
    const qint32 crc = *(s.stato.crc_immagine = crc_pagine(immagine).crc16);
    if (crc != intestazione.crc16()) {
        const QStringList valori{testo_crc(intestazione.crc16()), testo_crc(crc)};
        if (s.chiedi(Domanda::ImmagineDanneggiata, valori) != Risposta::Si)
            return Esito{TipoEsito::FileDanneggiato, nessun_testo, stato::file_danneggiato, valori};
        s.stato.forzato = true;
    }
    if (s.chiedi(Domanda::Cancellazione) != Risposta::Si)
        return Esito::di_domanda(TipoEsito::Rinuncia, Domanda::Cancellazione);
    return std::nullopt;
}

// The image read again from the file, once it may be written; or why not.
std::variant<QByteArray, Esito> immagine_da_scrivere(Sessione &s)
{
    StatoCondiviso &stato = s.stato;
    // Nothing is erased unless there is something sound to write.
    const FileFirmware file = leggi_file_firmware(stato.file, stato.byte_intestazione, stato.cpu->byte_massimi());
    if (!file.letto())
        return Esito::di_stato(TipoEsito::FileRifiutato, stato_file_firmware(file.problema));
    stato.sha256_file = sha256_di(file.intestazione + file.immagine);
    if (std::optional<Esito> rifiuto = domande(s, file.immagine))
        return *rifiuto;
    return file.immagine;
}

Fine cancella_e_scrivi(Sessione &s, const QByteArray &immagine)
{
    StatoCondiviso &stato = s.stato;
    const TipoCpu &tipo = *stato.cpu;
    stato.rinvii = 0;
    stato.ms_scrittura = 0;
    if (!s.link.inizia_conversazione())
        return Sessione::interrotto();
    // A reply given up for good could still come and be taken for the erase's.
    if (!s.link.in_passo())
        return fallito(TipoEsito::Connessione, stato::fuori_passo);

    s.stato_in(stato::cancellazione, QString::number(tipo.kb_area));
    s.rapporto.avanzamento({Avanzamento::Fase::Cancellazione, 0, 0, 0});
    stato.cancellato = true;
    stato.verdetto_ignoto = false;
    s.inizia_tentativo();
    if (const Fine fine = cancella(s, tipo))
        return fine;

    s.stato_in(stato::trasferimento);
    const qsizetype lunghezza = immagine.size();
    const int pagine_intere = int(lunghezza / dimensione_pagina);
    const int pagine = numero_pagine(lunghezza);
    stato.pagine_inviate = 0;
    stato.crc = {255, 255, 0xFFFF};
    QElapsedTimer scrittura;
    scrittura.start();
    while (stato.pagine_inviate < pagine) {
        if (!s.link.elabora_eventi())
            return Sessione::interrotto();
        const QByteArray dati = pagina(immagine, stato.pagine_inviate);
        // Every page counts once in the CRC16, however often its halves are sent.
        crc16_calc(stato.crc, dati);
        const Fine fine = invia_pagina(s, tipo, dati, quint32(stato.pagine_inviate) * dimensione_pagina);
        stato.ms_scrittura = scrittura.elapsed();
        if (fine)
            return fine;
        ++stato.pagine_inviate;
        // The last page of an image that is not a whole number of pages would go past 100.
        const float percento = pagine_intere == 0 ? 100.0f : stato.pagine_inviate * 100.0f / pagine_intere;
        s.rapporto.avanzamento({Avanzamento::Fase::Trasferimento, stato.pagine_inviate, pagine,
                                int(qMin(percento, 100.0f))});
    }
    stato.trasferito = {&tipo, stato.pagine_inviate, stato.crc};
    return std::nullopt;
}

} // namespace

namespace passi {

Esito trasferisci(Sessione &s)
{
    // A file that cannot be used is told; a question answered No changes nothing.
    const std::variant<QByteArray, Esito> immagine = immagine_da_scrivere(s);
    if (const Esito *rifiuto = std::get_if<Esito>(&immagine)) {
        if (rifiuto->tipo == TipoEsito::FileRifiutato)
            s.stato_in(rifiuto->testo);
        return *rifiuto;
    }
    Occupato occupato(s.rapporto);
    s.segna(Tappa::Trasferimento, StatoTappa::InCorso);
    s.imposta_passi({{Passo::Trasferisci, false}});

    if (const Fine fine = cancella_e_scrivi(s, std::get<QByteArray>(immagine))) {
        if (fine->tipo != TipoEsito::Interrotto) {
            s.stato_in(fine->testo, fine->valori.value(0));
            s.imposta_passi({{Passo::Trasferisci, true}});
        }
        return *fine;
    }
    s.tentativo_trasferito();
    s.segna(Tappa::Trasferimento, StatoTappa::Fatta);
    const Esito esito = s.esito_stato(TipoEsito::Completato, stato::trasferimento_ok);
    s.rapporto.crc_trasferito(s.stato.crc.crc16);
    s.imposta_passi({{Passo::Aggiorna, true}});
    return esito;
}

} // namespace passi
