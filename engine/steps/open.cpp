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
Avviso avviso_di(ProblemaFile problema)
{
    switch (problema) {
    case ProblemaFile::Cartella: return Avviso::FileCartella;
    case ProblemaFile::NonRegolare: return Avviso::FileNonRegolare;
    case ProblemaFile::Ciclo: return Avviso::FileCiclo;
    case ProblemaFile::Illeggibile: return Avviso::FileIlleggibile;
    case ProblemaFile::SenzaDati: return Avviso::FileSenzaDati;
    case ProblemaFile::TroppoGrande: return Avviso::FileTroppoGrande;
    default: return Avviso::FileInesistente; // no such file, or an empty one
    }
}

// A file that cannot be used, told.
Esito rifiuta(Sessione &s, const FileFirmware &file)
{
    return s.esito_avviso(TipoEsito::FileRifiutato, avviso_di(file.problema),
                          file.motivo.isEmpty() ? QStringList() : QStringList{file.motivo});
}

struct FileLetto
{
    QByteArray inizio; // the header's bytes, as many as the file has
    IntestazioneFirmware intestazione;
    const TipoCpu *tipo; // nullptr for an unknown CPU letter
    qint64 byte_immagine;
};

// The firmware file's header, or why it cannot be opened, told. The file is
// only ever opened for reading, and not again when the check read it.
std::variant<FileLetto, Esito> leggi_file(Sessione &s, const std::filesystem::path &percorso)
{
    const StatoCondiviso &stato = s.stato;
    if (stato.file_controllato && stato.file == percorso) {
        const IntestazioneFirmware intestazione = leggi_intestazione(stato.byte_intestazione);
        return FileLetto{stato.byte_intestazione, intestazione, cerca_tipo_cpu(intestazione.tipo_cpu),
                         stato.byte_immagine};
    }
    const FileFirmware file = leggi_intestazione_firmware(percorso);
    if (!file.letto())
        return rifiuta(s, file);
    const IntestazioneFirmware intestazione = leggi_intestazione(file.intestazione);
    return FileLetto{file.intestazione, intestazione, cerca_tipo_cpu(intestazione.tipo_cpu), file.byte_immagine};
}

// The file chosen: its name and folder.
void scegli(Sessione &s, const std::filesystem::path &percorso)
{
    StatoCondiviso &stato = s.stato;
    const QString testo = testo_di(percorso);
    stato.file = percorso;
    stato.nome_file = testo_di(percorso.filename());
    stato.percorso_firmware = testo.left(testo.size() - stato.nome_file.size());
}

// The file read becomes the one of the update.
void ricorda(Sessione &s, const FileLetto &file)
{
    StatoCondiviso &stato = s.stato;
    stato.byte_intestazione = file.inizio;
    stato.byte_immagine = file.byte_immagine;
    stato.crc_immagine.reset();
    stato.sha256_file.clear();
    stato.tipo_cpu = file.intestazione.tipo_cpu;
    stato.crc = {file.intestazione.crc_alto, file.intestazione.crc_basso, file.intestazione.crc16()};
    if (file.tipo)
        stato.cpu = file.tipo;
}

// An unknown CPU type and a bootloader other than 1.2 or 1.3 each refuse the
// file, in that order; both are told.
Esito rifiuti(Sessione &s, const FileLetto &file)
{
    std::optional<Esito> rifiuto;
    if (!file.tipo)
        rifiuto = s.esito_avviso(TipoEsito::FileRifiutato, Avviso::FirmwareNonCompatibile);
    const int bootloader = file.intestazione.versione_bootloader;
    if (!bootloader_supportato(bootloader)) {
        const Esito versione = s.esito_avviso(TipoEsito::FileRifiutato, Avviso::BootloaderNonSupportato,
                                              {testo_versione_bootloader(bootloader)});
        rifiuto = rifiuto.value_or(versione);
    }
    return rifiuto.value_or(Esito{});
}

} // namespace

namespace passi {

Esito aprifile(Sessione &s, const std::filesystem::path &percorso)
{
    const std::variant<FileLetto, Esito> letto = leggi_file(s, percorso);
    scegli(s, percorso);
    if (const Esito *rifiuto = std::get_if<Esito>(&letto))
        return *rifiuto;
    const FileLetto &file = std::get<FileLetto>(letto);
    ricorda(s, file);
    s.rapporto.file_aperto(s.stato.nome_file, file.intestazione, file.tipo, std::nullopt);
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
    s.stato.file_controllato = false;
    const std::variant<FileLetto, Esito> letto = leggi_file(s, percorso);
    if (const Esito *rifiuto = std::get_if<Esito>(&letto))
        return *rifiuto;
    const FileLetto &file = std::get<FileLetto>(letto);
    scegli(s, percorso);
    ricorda(s, file);
    s.stato.file_controllato = true;
    const IntestazioneFirmware &intestazione = file.intestazione;
    const FileFirmware immagine = file.tipo ? leggi_file_firmware(percorso, file.inizio, file.tipo->byte_massimi())
                                            : FileFirmware{};
    if (file.tipo && immagine.letto()) {
        s.stato.crc_immagine = crc_pagine(immagine.immagine).crc16;
        s.stato.sha256_file = sha256_di(immagine.intestazione + immagine.immagine);
    }
    s.rapporto.file_aperto(s.stato.nome_file, intestazione, file.tipo, s.stato.crc_immagine);
    const Esito esito = rifiuti(s, file);
    if (!esito.riuscito())
        return esito;
    if (!immagine.letto())
        return rifiuta(s, immagine);
    if (*s.stato.crc_immagine == intestazione.crc16())
        return {};
    // Cut short or damaged: the header keeps the CRC16 of the whole image.
    return {TipoEsito::FileDanneggiato, nessun_testo, stato::file_danneggiato,
            {testo_crc(intestazione.crc16()), testo_crc(*s.stato.crc_immagine)}};
}

} // namespace passi
