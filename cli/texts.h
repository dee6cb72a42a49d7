#pragma once

#include "core/language.h"

// The texts of kestra-flash that the window does not show: what --force
// does, what to try next and the summary of a run.
namespace testo_flash {

inline constexpr Testo da_aggiornare{"Il dispositivo è cancellato e va aggiornato di nuovo.",
                                     "The device is erased and must be updated again."};
inline constexpr Testo verdetto_ignoto{
    "Il verdetto del dispositivo non è arrivato: può essere cancellato. Controllarlo e, se serve, aggiornarlo di "
    "nuovo.",
    "The device's verdict did not come: it may be erased. Check it, and update it again if need be."};
// %1 the seconds the verdict may still take.
inline constexpr Testo attesa_verdetto{
    "Il verdetto del dispositivo è in arrivo: lo si attende (al massimo %1 s). Un altro segnale termina subito.",
    "The device's verdict is on its way: waiting for it (at most %1 s). Another signal ends at once."};
inline constexpr Testo senza_terminale{"lo standard input non è un terminale: rispondere alle domande con --yes",
                                       "standard input is not a terminal: answer the questions with --yes"};

// A refusal that --force lets through: what was done of it.
inline constexpr Testo rifiutato{"Non è stato cancellato nulla. Con --force il file viene scritto comunque.",
                                 "Nothing was erased. --force writes it all the same."};
inline constexpr Testo forzato{"--force: il dispositivo verrà cancellato e scritto.",
                               "--force: the device will be erased and written."};

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
inline constexpr Testo prova_access_point_di_nuovo{
    "Il modulo non ha risposto al passaggio in modalità Access Point: controllare il collegamento ed eseguire di "
    "nuovo.",
    "The module did not answer the switch to Access Point mode: check the link and run again."};
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
// %1 why.
inline constexpr Testo storico_illeggibile{"Lo storico degli aggiornamenti non si può leggere: %1",
                                           "The update history cannot be read: %1"};
// %1 how many.
inline constexpr Testo storico_danneggiato{
    "Lo storico è danneggiato: %1 record nelle sue pagine danneggiate non si sono potuti leggere.",
    "The history is damaged: %1 records in its damaged pages could not be read."};
inline constexpr Testo storico_piu_nuovo{
    "Lo storico è di una versione più nuova del programma: sono elencati i campi che questa conosce.",
    "The history was written by a newer version of the program: the fields this one knows are listed."};
inline constexpr Testo nessun_server{
    "Nessun server dello storico configurato (--history-url, KESTRA_HISTORY_URL o history.conf).",
    "No history server is configured (--history-url, KESTRA_HISTORY_URL or history.conf)."};
// --history-sync: %1 records sent, %2 waiting, %3 the server.
inline constexpr Testo inviati{"%1 record inviati a %3; %2 in attesa.", "%1 records sent to %3; %2 waiting."};

// The summary: %1 bytes, %2 seconds, %3 KB/s, %4 half pages sent again.
inline constexpr Testo riepilogo{"Scritti %1 byte in %2 s (%3 KB/s), %4 mezze pagine inviate di nuovo",
                                 "Wrote %1 bytes in %2 s (%3 KB/s), %4 half pages sent again"};

} // namespace testo_flash
