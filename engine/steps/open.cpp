#include "engine/steps/open.h"

#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/firmware_image.h"
#include "core/labels.h"
#include "engine/session.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

struct FileLetto
{
    QByteArray inizio; // the header's bytes, as many as the file has
    IntestazioneFirmware intestazione;
    const TipoCpu *tipo; // nullptr for an unknown CPU letter
};

// The firmware file's header, or nothing when the file is missing, empty or
// cannot be read. The file is only ever opened for reading.
std::optional<FileLetto> leggi_file(const QString &percorso)
{
    QFile file(percorso);
    if (!QFileInfo(percorso).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray inizio = file.read(lunghezza_intestazione);
    if (inizio.isEmpty())
        return std::nullopt;
    const IntestazioneFirmware intestazione = leggi_intestazione(inizio);
    return FileLetto{inizio, intestazione, cerca_tipo_cpu(intestazione.tipo_cpu)};
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

Esito apri_firmware(Sessione &s, const QString &percorso)
{
    s.stato.nome_file = QFileInfo(percorso).fileName();
    s.stato.percorso_firmware = percorso.left(percorso.size() - s.stato.nome_file.size());
    return aprifile(s);
}

Esito aprifile(Sessione &s)
{
    const std::optional<FileLetto> file = leggi_file(s.stato.percorso_firmware + s.stato.nome_file);
    if (!file)
        return s.esito_messaggio(TipoEsito::FileRifiutato, messaggio::file_inesistente);

    const IntestazioneFirmware &intestazione = file->intestazione;
    s.stato.byte_intestazione = file->inizio;
    s.stato.tipo_cpu = intestazione.tipo_cpu;
    s.stato.crc = {intestazione.crc_alto, intestazione.crc_basso, intestazione.crc16()};
    if (file->tipo)
        s.stato.cpu = file->tipo;
    s.rapporto.file_aperto(s.stato.nome_file, intestazione, file->tipo);
    // Only a transfer of this file leads to its update.
    s.imposta_passi({{Passo::Aggiorna, false}});

    const Esito esito = rifiuti(s, *file);
    if (esito.riuscito())
        s.imposta_passi({{Passo::Identifica, true}});
    else // a refused image must never reach the device
        s.imposta_passi({{Passo::Identifica, false}, {Passo::Trasferisci, false}, {Passo::Aggiorna, false}});
    return esito;
}

Esito controlla_firmware(Sessione &s, const QString &percorso)
{
    const std::optional<FileLetto> file = leggi_file(percorso);
    if (!file)
        return s.esito_messaggio(TipoEsito::FileRifiutato, messaggio::file_inesistente);
    s.rapporto.file_aperto(QFileInfo(percorso).fileName(), file->intestazione, file->tipo);
    const Esito esito = rifiuti(s, *file);
    if (!esito.riuscito())
        return esito;
    const ImmagineFirmware immagine = leggi_immagine(percorso, file->inizio, *file->tipo);
    if (immagine.errore)
        return s.esito_stato(TipoEsito::FileRifiutato, *immagine.errore);
    return {};
}
