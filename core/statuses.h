#pragma once

#include "core/language.h"

#include <QString>

// Texts of the status line Text2.
namespace stato {
// The six statuses that follow a change of language.
inline constexpr Testo attesa_connessione{"Attesa connessione...", "Waiting for connection..."};
inline constexpr Testo connesso{"Connesso...", "Connected..."};
inline constexpr Testo trasferimento{"Trasferimento in corso...", "Transfering..."};
inline constexpr Testo trasferimento_ok{"Trasferimento OK", "Transfer OK"};
inline constexpr Testo verifica_crc{"Verifica CRC16 in corso...", "Checking CRC16..."};
inline constexpr Testo programmazione_avviata{"Programmazione avviata...", "Programming started..."};

// Statuses that stay as they are when the language changes.
inline constexpr Testo errore_connessione{"errore connessione", "errore connessione"};
inline constexpr Testo info_non_disponibile{"Connesso: INFO non disponibile", "Connected: INFO unavailable"};
inline constexpr Testo cancellazione{"Cancellazione %1KB in corso...", "Deleting %1KB..."}; // %1: KB to erase
// %1: the bytes that came.
inline constexpr Testo identita_incompleta{"Identità incompleta: %1 byte di 20", "Incomplete identity: %1 of 20 bytes"};

// Failures of the transfer and of the check of the CRC16.
inline constexpr Testo errore_cancellazione{"Errore cancellazione", "Deleting error"};
inline constexpr Testo errore_scrittura_pagina{"Errore scrittura pagina", "Page write error"};
inline constexpr Testo errore_checksum_pagina_1{"Errore checksum pagina 1", "Checksum page 1 error"};
inline constexpr Testo errore_checksum_pagina_2{"Errore checksum pagina 2", "Checksum page 2 error"};
inline constexpr Testo errore_trasferimento{"Errore trasferimento", "Transfer error"};
inline constexpr Testo errore_crc16{"Errore CRC16", "CRC16 error"};
inline constexpr Testo file_firmware_illeggibile{"Errore: file firmware non leggibile", "Error: firmware file cannot be read"};
inline constexpr Testo file_firmware_vuoto{"Errore: file firmware senza dati", "Error: firmware file holds no data"};
inline constexpr Testo file_firmware_troppo_grande{"Errore: file firmware troppo grande", "Error: firmware file too large"};
inline constexpr Testo fuori_passo{"Errore: il modulo non ha mai risposto a un comando precedente; disconnettere e "
                                   "connettere di nuovo",
                                   "Error: the module never answered an earlier command; disconnect and connect again"};
// %1 the file's board, %2 the device's.
inline constexpr Testo scheda_diversa{"Il file è per la scheda \"%1\", il dispositivo riporta la scheda \"%2\".",
                                      "The file is for board \"%1\", the device reports board \"%2\"."};
// %1 the CRC16 its header gives, %2 its image's.
inline constexpr Testo file_danneggiato{
    "Il file firmware è danneggiato o troncato: l'intestazione dà il CRC16 %1, l'immagine ha %2.",
    "The firmware file is damaged or was cut short: its header gives CRC16 %1, its image has %2."};
inline constexpr Testo file_firmware_cambiato{"Errore: file firmware cambiato, riaprirlo", "Error: firmware file changed, open it again"};
} // namespace stato

// The status of `lingua` for a text that is one of the six statuses above in
// the other language; any other text comes back unchanged.
QString scambia_stato(const QString &testo, int lingua);
