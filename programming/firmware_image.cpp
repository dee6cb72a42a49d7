#include "programming/firmware_image.h"

#include "image/firmware_header.h"
#include "programming/commands.h"
#include "texts/statuses.h"

#include <QFile>
#include <QFileInfo>

ImmagineFirmware leggi_immagine(const QString &percorso)
{
    constexpr qint64 lunghezza_massima = lunghezza_intestazione + qint64(pagine_massime) * dimensione_pagina;

    QFile file(percorso);
    if (!QFileInfo(percorso).isFile() || !file.open(QIODevice::ReadOnly))
        return {{}, stato::file_firmware_illeggibile};
    if (file.size() <= lunghezza_intestazione)
        return {{}, stato::file_firmware_vuoto};
    if (file.size() > lunghezza_massima)
        return {{}, stato::file_firmware_troppo_grande};
    if (!file.seek(lunghezza_intestazione))
        return {{}, stato::file_firmware_illeggibile};
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
