#include "core/firmware_image.h"

#include "core/commands.h"

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
