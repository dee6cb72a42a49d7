#include "engine/steps/open.h"

#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/firmware_file.h"
#include "core/firmware_image.h"
#include "core/statuses.h"
#include "core/labels.h"
#include "engine/session.h"

#include <variant>

namespace {

// What a file that cannot be opened is told as.
const Messaggio &messaggio_di(ProblemaFile problema)
{
    switch (problema) {
    case ProblemaFile::Cartella: return messaggio::file_cartella;
    case ProblemaFile::NonRegolare: return messaggio::file_non_regolare;
    case ProblemaFile::Ciclo: return messaggio::file_ciclo;
    case ProblemaFile::Illeggibile: return messaggio::file_illeggibile;
    default: return messaggio::file_inesistente; // no such file, or an empty one
    }
}

struct FileLetto
{
    QByteArray inizio; // the header's bytes, as many as the file has
    IntestazioneFirmware intestazione;
    const TipoCpu *tipo; // nullptr for an unknown CPU letter
};

// The firmware file's header, or why it cannot be opened, told. The file is
// only ever opened for reading.
std::variant<FileLetto, Esito> leggi_file(Sessione &s, const std::filesystem::path &percorso)
{
    const FileFirmware file = leggi_intestazione_firmware(percorso);
    if (!file.letto())
        return s.esito_messaggio(TipoEsito::FileRifiutato, messaggio_di(file.problema), file.motivo);
    const IntestazioneFirmware intestazione = leggi_intestazione(file.intestazione);
    return FileLetto{file.intestazione, intestazione, cerca_tipo_cpu(intestazione.tipo_cpu)};
}

// An unknown CPU type and a bootloader other than 1.2 or 1.3 each refuse the
// file, in that order; both are told.
Esito rifiuti(Sessione &s, const FileLetto &file)
{
    std::optional<Esito> rifiuto;
    if (!file.tipo)
        rifiuto = s.esito_messaggio(TipoEsito::FileRifiutato, messaggio::firmware_non_compatibile);
    const int bootloader = file.intestazione.versione_bootloader;
    if (!bootloader_supportato(bootloader)) {
        const Esito versione = s.esito_messaggio(TipoEsito::FileRifiutato, messaggio::bootloader_non_supportato,
                                                 testo_versione_bootloader(bootloader));
        rifiuto = rifiuto.value_or(versione);
    }
    return rifiuto.value_or(Esito{});
}

} // namespace

Esito apri_firmware(Sessione &s, const std::filesystem::path &percorso)
{
    const QString testo = testo_di(percorso);
    s.stato.file = percorso;
    s.stato.nome_file = testo_di(percorso.filename());
    s.stato.percorso_firmware = testo.left(testo.size() - s.stato.nome_file.size());
    return aprifile(s);
}

Esito aprifile(Sessione &s)
{
    const std::variant<FileLetto, Esito> letto = leggi_file(s, s.stato.file);
    if (const Esito *rifiuto = std::get_if<Esito>(&letto))
        return *rifiuto;
    const FileLetto &file = std::get<FileLetto>(letto);

    const IntestazioneFirmware &intestazione = file.intestazione;
    s.stato.byte_intestazione = file.inizio;
    s.stato.tipo_cpu = intestazione.tipo_cpu;
    s.stato.crc = {intestazione.crc_alto, intestazione.crc_basso, intestazione.crc16()};
    if (file.tipo)
        s.stato.cpu = file.tipo;
    s.rapporto.file_aperto(s.stato.nome_file, intestazione, file.tipo, std::nullopt);
    // Only a transfer of this file leads to its update.
    s.imposta_passi({{Passo::Aggiorna, false}});

    const Esito esito = rifiuti(s, file);
    if (esito.riuscito())
        s.imposta_passi({{Passo::Identifica, true}});
    else // a refused image must never reach the device
        s.imposta_passi({{Passo::Identifica, false}, {Passo::Trasferisci, false}, {Passo::Aggiorna, false}});
    return esito;
}

Esito controlla_firmware(Sessione &s, const std::filesystem::path &percorso)
{
    const std::variant<FileLetto, Esito> letto = leggi_file(s, percorso);
    if (const Esito *rifiuto = std::get_if<Esito>(&letto))
        return *rifiuto;
    const FileLetto &file = std::get<FileLetto>(letto);
    const IntestazioneFirmware &intestazione = file.intestazione;
    const FileFirmware immagine = file.tipo ? leggi_file_firmware(percorso, file.inizio, file.tipo->byte_massimi())
                                            : FileFirmware{};
    std::optional<qint32> crc_immagine;
    if (file.tipo && immagine.letto())
        crc_immagine = crc_pagine(immagine.immagine).crc16;
    s.rapporto.file_aperto(testo_di(percorso.filename()), intestazione, file.tipo, crc_immagine);
    const Esito esito = rifiuti(s, file);
    if (!esito.riuscito())
        return esito;
    if (!immagine.letto())
        return s.esito_stato(TipoEsito::FileRifiutato, stato_file_firmware(immagine.problema));
    if (*crc_immagine == intestazione.crc16())
        return {};
    // Cut short or damaged: the header keeps the CRC16 of the whole image.
    Esito danneggiato = Esito::di_stato(TipoEsito::FileDanneggiato, stato::file_danneggiato);
    danneggiato.valori = {testo_crc(intestazione.crc16()), testo_crc(*crc_immagine)};
    return danneggiato;
}
