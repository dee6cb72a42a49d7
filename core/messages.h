#pragma once

#include "core/language.h"

enum class Icona { Esclamazione, Informazione, Critico };
enum class Pulsanti { Ok, SiNo };

// Answers of a message box, as stored in `risposta`.
inline constexpr int risposta_ok = 1;
inline constexpr int risposta_si = 6;
inline constexpr int risposta_no = 7;

// A message box: lines of a text are joined by CR LF.
struct Messaggio
{
    Testo titolo;
    Testo testo;
    Icona icona;
    Pulsanti pulsanti;
};

namespace messaggio {
// Socket errors.
extern const Messaggio errore_connessione;
// Password and operating mode.
extern const Messaggio password_vuota;
extern const Messaggio password_errata;
extern const Messaggio password_senza_risposta;
extern const Messaggio domanda_access_point;
extern const Messaggio modo_cambiato;
extern const Messaggio modo_senza_risposta;
extern const Messaggio modulo_riavviato;
extern const Messaggio reset_senza_risposta;
// Identification.
extern const Messaggio offerta_reset;
extern const Messaggio avviso_wgm110;
// Firmware file. %1 in bootloader_non_supportato: the version; in
// file_illeggibile: the system's words.
extern const Messaggio file_inesistente;
extern const Messaggio file_cartella;
extern const Messaggio file_non_regolare;
extern const Messaggio file_ciclo;
extern const Messaggio file_illeggibile;
extern const Messaggio firmware_non_compatibile;
extern const Messaggio bootloader_non_supportato;
// Verification.
extern const Messaggio conferma_aggiornamento;         // two lines
extern const Messaggio conferma_aggiornamento_wgm110;  // three lines
extern const Messaggio aggiornamento_terminato;
} // namespace messaggio
