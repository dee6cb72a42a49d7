#include "engine/session.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"

StatoCondiviso::StatoCondiviso() : cpu(&tipo_cpu_sconosciuto()), trasferito{&tipo_cpu_sconosciuto(), 0, {}} {}

Sessione::Sessione(Collegamento &link, Rapporto &rapporto, QString indirizzo_access_point, quint16 porta)
    : link(link)
    , rapporto(rapporto)
    , indirizzo_access_point(std::move(indirizzo_access_point))
    , porta(porta)
{
}

Risposta Sessione::chiedi(Domanda domanda, const QStringList &valori)
{
    stato.risposta = rapporto.chiedi(domanda, valori);
    return stato.risposta;
}

void Sessione::avvisa(Avviso avviso, const QStringList &valori)
{
    rapporto.avvisa(avviso, valori);
    stato.risposta = Risposta::Ok;
}

void Sessione::stato_in(const Testo &testo, const QString &valore)
{
    rapporto.stato(testo, valore);
}

Esito Sessione::esito_stato(TipoEsito tipo, const Testo &testo, const QString &valore)
{
    stato_in(testo, valore);
    return Esito::di_stato(tipo, testo, valore);
}

Esito Sessione::esito_avviso(TipoEsito tipo, Avviso avviso, const QStringList &valori)
{
    avvisa(avviso, valori);
    return Esito::di_avviso(tipo, avviso, valori);
}

Fatti Sessione::fatti() const
{
    Fatti fatti;
    if (!stato.byte_intestazione.isEmpty()) {
        fatti.intestazione = leggi_intestazione(stato.byte_intestazione);
        fatti.tipo = cerca_tipo_cpu(stato.tipo_cpu);
    }
    fatti.byte_immagine = stato.byte_immagine;
    fatti.crc_immagine = stato.crc_immagine;
    if (stato.identita.info_disponibile)
        fatti.identita = stato.identita;
    fatti.pagine_inviate = stato.pagine_inviate;
    fatti.byte_scritti = qMin(qint64(stato.pagine_inviate) * dimensione_pagina, stato.byte_immagine);
    fatti.rinvii = stato.rinvii;
    fatti.ms_scrittura = stato.ms_scrittura;
    fatti.cancellato = stato.cancellato;
    fatti.verdetto_ignoto = stato.verdetto_ignoto;
    return fatti;
}

void Sessione::imposta_passi(std::initializer_list<std::pair<Passo, bool>> passi)
{
    for (const auto &[passo, disponibile] : passi)
        m_passi.setFlag(passo, disponibile);
    rapporto.passi(m_passi);
}
