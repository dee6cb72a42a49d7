// The reader of "BootLoader.ini" and the round trip through its writer.
//
// What is written reads back the same, a folder with commas included (its
// line is written in double quotes), unless the folder holds CR or LF, or
// both a comma and a double quote: such a folder cannot be stored and is
// written empty. A second round trip changes nothing.

#include "fuzz/fuzz_check.h"
#include "core/settings_format.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

bool non_memorizzabile(const QString &cartella)
{
    return (cartella.contains(u'"') && cartella.contains(u',')) || cartella.contains(u'\r')
           || cartella.contains(u'\n');
}

bool stesse(const Impostazioni &a, const Impostazioni &b)
{
    return a.percorso_firmware == b.percorso_firmware && a.lingua == b.lingua;
}

Impostazioni andata_e_ritorno(const Impostazioni &impostazioni)
{
    return leggi_impostazioni(componi_impostazioni(impostazioni));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t dimensione)
{
    const QByteArrayView contenuto(dati, qsizetype(dimensione));
    const Impostazioni letto = leggi_impostazioni(contenuto);
    richiedi(letto.percorso_firmware.size() <= QString::fromLocal8Bit(contenuto).size(),
             "the folder is part of the content");

    const Impostazioni riletto = andata_e_ritorno(letto);
    if (non_memorizzabile(letto.percorso_firmware))
        richiedi(riletto.percorso_firmware.isEmpty() && riletto.lingua == letto.lingua,
                 "a folder that cannot be stored is left out");
    else
        richiedi(stesse(riletto, letto), "settings read back as written");
    richiedi(stesse(andata_e_ritorno(riletto), riletto), "a second round trip changes nothing");
    return 0;
}
