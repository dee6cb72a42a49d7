#include "tools/bench/sample_image.h"

#include "core/checksums.h"
#include "core/firmware_header.h"
#include "core/programming_commands.h"
#include "core/firmware_image.h"

#include <QRandomGenerator>

namespace {

constexpr int kb_per_blocco = 64;

QList<QByteArray> comandi_cancellazione(int codice_cpu)
{
    if (!cancellazione_a_blocchi(codice_cpu))
        return {comando_cancella_tutto()};
    QList<QByteArray> comandi;
    for (int blocco = 0; blocco < kb_da_cancellare(codice_cpu, 0) / kb_per_blocco; ++blocco)
        comandi.append(comando_cancella_blocco(blocco));
    return comandi;
}

} // namespace

QByteArray file_campione(const CampioneFirmware &campione)
{
    QByteArray file(lunghezza_intestazione, '\0');
    file[1] = campione.cpu;
    file[4] = 1; // bootloader 1.2
    file[5] = 2;
    QByteArray immagine(qsizetype(campione.kib) * 1024, Qt::Uninitialized);
    // A fixed seed: every run and every machine sends the same bytes.
    QRandomGenerator casuale(quint32(campione.cpu));
    for (char &byte : immagine)
        byte = char(casuale.bounded(256));
    return file + immagine;
}

QList<QByteArray> comandi_aggiornamento(const QByteArray &immagine, int codice_cpu)
{
    QList<QByteArray> comandi = comandi_cancellazione(codice_cpu);
    RegistroCrc crc{255, 255, 0xFFFF};
    const int pagine = numero_pagine(immagine.size());
    for (int n = 0; n < pagine; ++n) {
        const QByteArray dati = pagina(immagine, n);
        crc16_calc(crc, dati);
        for (int meta = 0; meta < 2; ++meta) {
            const QByteArrayView dati_meta = QByteArrayView(dati).sliced(meta * dimensione_mezza_pagina,
                                                                          dimensione_mezza_pagina);
            comandi.append(comando_mezza_pagina(codice_cpu, quint32(n * dimensione_pagina + meta * dimensione_mezza_pagina),
                                                dati_meta));
        }
    }
    comandi.append(comando_verifica(codice_cpu, pagine, crc.crc_alto, crc.crc_basso));
    return comandi;
}
