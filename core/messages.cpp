#include "core/messages.h"

#include <algorithm>
#include <array>

namespace {

// Titles and texts shared by several boxes.
constexpr Testo invio_password{"Invio Password", "Password Send"};
constexpr Testo imposta_modalita{"Imposta Modalità", "Mode Setup"};
constexpr Testo reset_modulo{"Reset Modulo WiFi", "WiFi Module Reset"};
constexpr Testo errore_lettura{"Errore lettura modulo", "Module reading error"};
constexpr Testo aggiornamento_firmware{"Aggiornamento Firmware", "Firmware Update"};
constexpr Testo apri_firmware{"Apri firmware", "Open firmware"};

constexpr Messaggio avviso(Testo titolo, Testo testo)
{
    return {titolo, testo, Icona::Esclamazione, Pulsanti::Ok};
}

constexpr Messaggio domanda(Testo titolo, Testo testo)
{
    return {titolo, testo, Icona::Informazione, Pulsanti::SiNo};
}

// A question whose Yes may cost the device: a warning, No the default.
constexpr Messaggio domanda_prudente(Testo titolo, Testo testo)
{
    return {titolo, testo, Icona::Esclamazione, Pulsanti::SiNoPrudente};
}

} // namespace

namespace messaggio {

constexpr Messaggio errore_connessione = avviso(
    {"Errore di connessione", "Connection error"},
    {"Errore di connessione al modulo Wi-Fi, verificare l'indirizzo IP inserito.",
     "Connection error to the Wi-Fi module, check the entered IP address."});

constexpr Messaggio password_vuota = avviso(
    {"Richiesta password", "Password requested"},
    {"Aggiornamento disabilitato", "Update disabled"});

constexpr Messaggio password_errata = avviso(
    invio_password,
    {"Password errata!\r\nAggiornamento disabilitato", "Wrong password!\r\nUpdate disabled"});

constexpr Messaggio password_senza_risposta = avviso(invio_password, errore_lettura);

constexpr Messaggio domanda_access_point = domanda(
    {"Impostazione Modalità Access Point", "Access Point mode setting"},
    {"L'aggiornamento del firmware della ricevente KESTRA è possibile unicamente con il modulo "
     "Wi-Fi configurato come Access Point.\r\n"
     "Vuoi impostare il modulo come Access Point?",
     "The firmware update of the KESTRA receiver is only possible with the Wi-Fi module set as "
     "an Access Point.\r\n"
     "Do you want to set the module as an Access Point?"});

constexpr Messaggio modo_cambiato = avviso(
    imposta_modalita,
    {"Il modulo wifi è stato riavviato\r\n"
     "Attendi 30 secondi ed esegui nuovamente la connessione wifi",
     "The wifi module has been restarted\r\n"
     "Wait 30 seconds and run the wifi connection again"});

constexpr Messaggio modo_senza_risposta = avviso(imposta_modalita, errore_lettura);

constexpr Messaggio modulo_riavviato = avviso(
    reset_modulo,
    {"Il modulo wifi è stato riavviato\r\n"
     "Attendi 30 secondi ed esegui nuovamente la connessione",
     "The wifi module has been restarted\r\n"
     "Wait 30 seconds and run the wifi connection again"});

constexpr Messaggio reset_senza_risposta = avviso(reset_modulo, errore_lettura);

constexpr Messaggio offerta_reset = domanda(
    {"Connessione", "Connection"},
    {"E' probabile che il modulo wifi sia connesso al Cloud.\r\n"
     "Resettare il modulo Wi-Fi e riprovare?",
     "The Wi-Fi module is likely connected to the Cloud.\r\n"
     "Reset the Wi-Fi module and try again?"});

constexpr Messaggio avviso_wgm110 = avviso(
    {"BootLoader WiFi", "WiFi BootLoader"},
    {"La scheda potrebbe non supportare il modulo WGM110",
     "The board may not support the WGM110 module"});

constexpr Messaggio file_inesistente = avviso(apri_firmware, {"File Inesistente", "File not found"});
constexpr Messaggio firmware_non_compatibile{
    {"Apri Firmware", "Open Firmware"},
    {"Attenzione: il firmware caricato non è compatibile",
     "Warning: the firmware loaded is not compatible"},
    Icona::Critico,
    Pulsanti::Ok};

constexpr Messaggio bootloader_non_supportato = avviso(
    {"Versione bootloader", "Bootloader version"},
    {"Il bootloader in versione %1 non è supportato",
     "The bootloader version %1 is not supported"});

constexpr Messaggio conferma_aggiornamento{
    aggiornamento_firmware,
    {"Attenzione: questa operazione avvierà l'aggiornamento del firmware.\r\n"
     "Procedere?",
     "Warning: this operation will start the firmware update.\r\n"
     "Do you want to proceed?"},
    Icona::Critico,
    Pulsanti::SiNo};

constexpr Messaggio conferma_aggiornamento_wgm110{
    aggiornamento_firmware,
    {"Attenzione: questa operazione avvierà l'aggiornamento del firmware.\r\n"
     "Tutti i parametri ritorneranno nello stato di default ed il modulo si avvierà come "
     "Access Point\r\n"
     "Procedere?",
     "Warning: this operation will start the firmware update.\r\n"
     "All the parameters will return into default state and the module will start up as an "
     "Access Point\r\n"
     "Do you want to proceed?"},
    Icona::Critico,
    Pulsanti::SiNo};

constexpr Messaggio aggiornamento_terminato{
    {"Aggiornamento", "Update"},
    {"Aggiornamento terminato.", "Update completed."},
    Icona::Informazione,
    Pulsanti::Ok};

} // namespace messaggio

namespace {

constexpr Messaggio file_cartella = avviso(apri_firmware, {"È una cartella, non un file", "This is a folder, not a file"});
constexpr Messaggio file_non_regolare = avviso(
    apri_firmware,
    {"Non è un file ordinario (una FIFO, un dispositivo o un socket)", "Not a regular file (a FIFO, a device or a socket)"});
constexpr Messaggio file_ciclo = avviso(apri_firmware, {"Collegamenti simbolici in un ciclo", "A loop of symbolic links"});
constexpr Messaggio file_illeggibile = avviso(apri_firmware, {"Impossibile leggere il file: %1", "The file cannot be read: %1"});
constexpr Messaggio file_senza_dati = avviso(apri_firmware, {"Il file firmware non ha dati dopo l'intestazione",
                                                             "The firmware file holds no data after its header"});
constexpr Messaggio file_troppo_grande = avviso(apri_firmware, {"Il file firmware è troppo grande per la sua CPU",
                                                                "The firmware file is too large for its CPU"});

constexpr Messaggio scheda_diversa = domanda_prudente(
    {"Scheda diversa", "Different board"},
    {"Il file firmware è per la scheda \"%1\", il dispositivo riporta la scheda \"%2\".\r\n"
     "Il dispositivo verrà cancellato e scritto con questo file. Procedere?",
     "The firmware file is for board \"%1\", the device reports board \"%2\".\r\n"
     "The device will be erased and written with this file. Do you want to proceed?"});
constexpr Messaggio immagine_danneggiata = domanda_prudente(
    {"File danneggiato", "Damaged file"},
    {"Il file firmware è danneggiato o troncato: l'intestazione dà il CRC16 %1, l'immagine ha %2.\r\n"
     "Il dispositivo verrà cancellato e scritto con questo file. Procedere?",
     "The firmware file is damaged or was cut short: its header gives CRC16 %1, its image has %2.\r\n"
     "The device will be erased and written with this file. Do you want to proceed?"});
constexpr Messaggio cancellazione{{"Cancellazione", "Erase"}, {"Cancellare il dispositivo?", "Erase the device?"},
                                  Icona::Critico, Pulsanti::SiNo};

constexpr std::array<const Messaggio *, numero_domande> domande{
    &messaggio::domanda_access_point, &messaggio::offerta_reset, &scheda_diversa, &immagine_danneggiata,
    &cancellazione, &messaggio::conferma_aggiornamento, &messaggio::conferma_aggiornamento_wgm110,
};

constexpr std::array<const Messaggio *, numero_avvisi> avvisi{
    &messaggio::errore_connessione, &messaggio::password_vuota, &messaggio::password_errata,
    &messaggio::password_senza_risposta, &messaggio::modo_cambiato, &messaggio::modo_senza_risposta,
    &messaggio::modulo_riavviato, &messaggio::reset_senza_risposta, &messaggio::avviso_wgm110,
    &messaggio::file_inesistente, &file_cartella, &file_non_regolare, &file_ciclo, &file_illeggibile, &file_senza_dati, &file_troppo_grande,
    &messaggio::firmware_non_compatibile, &messaggio::bootloader_non_supportato, &messaggio::aggiornamento_terminato,
};

// A kind added without its box does not build.
constexpr bool tutti(const auto &tabella)
{
    return std::ranges::none_of(tabella, [](const Messaggio *messaggio) { return messaggio == nullptr; });
}
static_assert(tutti(domande) && tutti(avvisi));

} // namespace

const Messaggio &messaggio_di(Domanda domanda)
{
    return *domande[std::size_t(domanda)];
}

const Messaggio &messaggio_di(Avviso avviso)
{
    return *avvisi[std::size_t(avviso)];
}
