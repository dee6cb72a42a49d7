#include "window/form1.h"

#include "core/settings_store.h"

void Form1::carica_parametri()
{
    const Impostazioni impostazioni = carica_file_impostazioni(m_percorso_app);
    m_aggiornatore.imposta_percorso_firmware(impostazioni.percorso_firmware);
    m_lingua = impostazioni.lingua;
}

void Form1::salva_parametri()
{
    // A folder that cannot be written keeps the settings it had: nothing to report at exit.
    salva_file_impostazioni(m_percorso_app, {m_aggiornatore.stato().percorso_firmware, m_lingua});
}
