#include "cli/firmware_check.h"

#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "engine/report.h"
#include "core/firmware_image.h"

#include <QFile>
#include <QFileInfo>

void controlla_firmware(const QString &percorso, Rapporto &rapporto)
{
    QFile file(percorso);
    if (!QFileInfo(percorso).isFile() || !file.open(QIODevice::ReadOnly) || file.size() == 0) {
        rapporto.messaggio(messaggio::file_inesistente);
        return;
    }
    const QByteArray inizio = file.read(lunghezza_intestazione);
    const IntestazioneFirmware intestazione = leggi_intestazione(inizio);
    const TipoCpu *tipo = cerca_tipo_cpu(intestazione.tipo_cpu);
    rapporto.file_aperto(QFileInfo(percorso).fileName(), intestazione, tipo);
    if (!tipo)
        rapporto.messaggio(messaggio::firmware_non_compatibile);
    if (!bootloader_supportato(intestazione.versione_bootloader))
        rapporto.messaggio(messaggio::bootloader_non_supportato,
                           testo_versione_bootloader(intestazione.versione_bootloader));
    else if (tipo) {
        const ImmagineFirmware immagine = leggi_immagine(percorso, inizio, tipo->codice);
        if (immagine.errore)
            rapporto.stato(*immagine.errore);
    }
}
