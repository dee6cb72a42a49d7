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
