// The reader of "BootLoader.ini" and the round trip through its writer.
//
// What is written reads back the same unless the folder holds a comma, CR or
// LF: these end the folder's field, and the rest of its line becomes the
// language. Such a folder can only come from a field in double quotes, and
// the folder read back from what is written never holds one, so a second
// round trip always gives the same settings.

#include "fuzz/fuzz_check.h"
#include "settings/settings_file.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

bool tiene_separatori(const QString &cartella)
{
    return cartella.contains(u',') || cartella.contains(u'\r') || cartella.contains(u'\n');
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
    richiedi(!tiene_separatori(riletto.percorso_firmware), "a written folder reads back without separators");
    if (!tiene_separatori(letto.percorso_firmware))
        richiedi(stesse(riletto, letto), "settings read back as written");
    richiedi(stesse(andata_e_ritorno(riletto), riletto), "a second round trip changes nothing");
    return 0;
}
