#include "core/firmware_image.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/statuses.h"

#include <QFile>
#include <QFileInfo>

ImmagineFirmware leggi_immagine(const QString &percorso, QByteArrayView intestazione_aperta, const TipoCpu &tipo)
{
    if (!QFileInfo::exists(percorso))
        return {{}, stato::file_firmware_cambiato};
    QFile file(percorso);
    if (!QFileInfo(percorso).isFile() || !file.open(QIODevice::ReadOnly))
        return {{}, stato::file_firmware_illeggibile};
    if (file.read(lunghezza_intestazione) != intestazione_aperta)
        return {{}, stato::file_firmware_cambiato};
    if (file.size() <= lunghezza_intestazione)
        return {{}, stato::file_firmware_vuoto};
    if (file.size() - lunghezza_intestazione > tipo.byte_massimi())
        return {{}, stato::file_firmware_troppo_grande};
    QByteArray dati = file.readAll();
    if (dati.size() != file.size() - lunghezza_intestazione)
        return {{}, stato::file_firmware_illeggibile};
    return {dati, std::nullopt};
}

int numero_pagine(qsizetype lunghezza)
{
    return int((lunghezza + dimensione_pagina - 1) / dimensione_pagina);
}

QByteArray pagina(const QByteArray &dati, int n)
{
    QByteArray risultato = dati.mid(qsizetype(n) * dimensione_pagina, dimensione_pagina);
    risultato.append(dimensione_pagina - risultato.size(), char(0xFF));
    return risultato;
}

RegistroCrc crc_pagine(const QByteArray &dati)
{
    RegistroCrc crc{255, 255, 0xFFFF};
    for (int n = 0; n < numero_pagine(dati.size()); ++n)
        crc16_calc(crc, pagina(dati, n));
    return crc;
}

std::optional<CrcFirmware> leggi_crc_firmware(const QString &percorso)
{
    QFile file(percorso);
    if (!QFileInfo(percorso).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const IntestazioneFirmware intestazione = leggi_intestazione(file.read(lunghezza_intestazione));
    return CrcFirmware{intestazione.crc16(), crc_pagine(file.readAll()).crc16};
}
