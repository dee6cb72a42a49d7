#include "engine/steps/open.h"

#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "engine/session.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

// The first bytes of the firmware file, or nothing when it is missing, empty
// or cannot be read. The file is only ever opened for reading.
std::optional<QByteArray> leggi_inizio(const QString &percorso)
{
    QFile file(percorso);
    if (!QFileInfo(percorso).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray inizio = file.read(lunghezza_intestazione);
    if (inizio.isEmpty())
        return std::nullopt;
    return inizio;
}

} // namespace

void apri_firmware(Sessione &s, const QString &percorso)
{
    s.stato.nome_file = QFileInfo(percorso).fileName();
    s.stato.percorso_firmware = percorso.left(percorso.size() - s.stato.nome_file.size());
    aprifile(s);
}

void aprifile(Sessione &s)
{
    const std::optional<QByteArray> inizio = leggi_inizio(s.stato.percorso_firmware + s.stato.nome_file);
    if (!inizio) {
        s.mostra(messaggio::file_inesistente);
        return;
    }

    const IntestazioneFirmware intestazione = leggi_intestazione(*inizio);
    const TipoCpu *tipo = cerca_tipo_cpu(intestazione.tipo_cpu);
    s.stato.byte_intestazione = *inizio;
    s.stato.tipo_cpu = intestazione.tipo_cpu;
    s.stato.crc = {intestazione.crc_alto, intestazione.crc_basso, intestazione.crc16()};
    s.rapporto.file_aperto(s.stato.nome_file, intestazione, tipo);
    // Only a transfer of this file leads to its update.
    s.imposta_passi({{Passo::Aggiorna, false}});

    if (tipo)
        s.stato.codice_cpu = tipo->codice;
    else
        s.mostra(messaggio::firmware_non_compatibile);

    const bool bootloader_ok = bootloader_supportato(intestazione.versione_bootloader);
    if (!bootloader_ok)
        s.mostra(messaggio::bootloader_non_supportato, testo_versione_bootloader(intestazione.versione_bootloader));

    if (tipo && bootloader_ok)
        s.imposta_passi({{Passo::Identifica, true}});
    else // a refused image must never reach the device
        s.imposta_passi({{Passo::Identifica, false}, {Passo::Trasferisci, false}, {Passo::Aggiorna, false}});
}
