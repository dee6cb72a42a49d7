#pragma once

#include "core/language.h"
#include "core/messages.h"

// The texts of kestra-flash that the window does not show: its own question,
// its refusals, what to try next and the summary of a run.
namespace testo_flash {

inline constexpr Messaggio domanda_cancellazione{
    {"Cancellazione", "Erase"}, {"Cancellare il dispositivo?", "Erase the device?"}, Icona::Critico, Pulsanti::SiNo};

inline constexpr Testo da_aggiornare{"Il dispositivo è cancellato e va aggiornato di nuovo.",
                                     "The device is erased and must be updated again."};
inline constexpr Testo senza_terminale{"lo standard input non è un terminale: rispondere alle domande con --yes",
                                       "standard input is not a terminal: answer the questions with --yes"};

// Refusals that --force lets through.
// %1 the file's board, %2 the device's.
inline constexpr Testo scheda_diversa{
    "Il file è per la scheda \"%1\", il dispositivo riporta la scheda \"%2\": non è stato cancellato nulla. "
    "Con --force il file viene scritto comunque.",
    "The file is for board \"%1\", the device reports board \"%2\": nothing was erased. "
    "--force writes it all the same."};
// %1 the CRC16 in the header, %2 the image's.
inline constexpr Testo file_danneggiato{
    "Il file firmware è danneggiato o troncato: l'intestazione dà il CRC16 %1, l'immagine ha %2. "
    "Con --force il file viene scritto comunque.",
    "The firmware file is damaged or was cut short: its header gives CRC16 %1, its image has %2. "
    "--force writes it all the same."};
inline constexpr Testo forzato{"--force: si prosegue.", "--force: going on."};

// What to try next, after a failure.
// %1 the address, %2 the port.
inline constexpr Testo prova_indirizzo{
    "Impossibile connettersi al modulo a %1:%2: controllare l'indirizzo e che il PC sia sulla rete Wi-Fi del modulo.",
    "Cannot connect to the module at %1:%2: check the address, and that this PC is on the module's Wi-Fi network."};
inline constexpr Testo prova_password{
    "Dare la password del modulo con --password o nella variabile KESTRA_PASSWORD.",
    "Give the module's password with --password or in the KESTRA_PASSWORD variable."};
inline constexpr Testo prova_access_point{
    "Il modulo non è in modalità Access Point: eseguire di nuovo con --switch-to-ap.",
    "The module is not in Access Point mode: run again with --switch-to-ap."};
// %1 the Access Point address.
inline constexpr Testo prova_rete_access_point{
    "Il modulo è stato portato in modalità Access Point: collegare il PC alla sua rete Wi-Fi, attendere 30 s ed "
    "eseguire di nuovo all'indirizzo %1.",
    "The module was switched to Access Point mode: join its Wi-Fi network, wait 30 s, run again at %1."};
// %1 the letter found, %2 the letters known.
inline constexpr Testo prova_cpu{"Il file indica il tipo di CPU \"%1\"; i tipi noti sono %2.",
                                 "The file names CPU type \"%1\"; the known types are %2."};
// %1 the image's bytes, %2 the CPU type, %3 its limit.
inline constexpr Testo prova_dimensione{"L'immagine è di %1 byte; il tipo di CPU \"%2\" ne accetta al massimo %3.",
                                        "The image is %1 bytes; CPU type \"%2\" takes at most %3."};
// %1 the page, %2 the pages in all.
inline constexpr Testo prova_pagina{"Pagina %1 di %2 non scritta.", "Page %1 of %2 was not written."};

// --retries: %1 this try, %2 the tries in all.
inline constexpr Testo di_nuovo{"Nuovo tentativo (%1 di %2): il dispositivo è cancellato.",
                                "Trying again (%1 of %2): the device is erased."};
// --skip-if-current: %1 the version.
inline constexpr Testo gia_aggiornato{"Il dispositivo ha già il firmware %1: non è stato cancellato nulla.",
                                      "The device is already at firmware %1: nothing was erased."};
inline constexpr Testo storico_illeggibile{"Lo storico degli aggiornamenti non si può leggere.",
                                           "The update history cannot be read."};

// The summary: %1 bytes, %2 seconds, %3 KB/s, %4 half pages sent again.
inline constexpr Testo riepilogo{"Scritti %1 byte in %2 s (%3 KB/s), %4 mezze pagine inviate di nuovo",
                                 "Wrote %1 bytes in %2 s (%3 KB/s), %4 half pages sent again"};

} // namespace testo_flash
