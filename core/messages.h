#pragma once

#include "core/language.h"

#include <QStringList>

enum class Icona { Esclamazione, Informazione, Critico };
// OK; Yes and No with Yes the default; Yes and No with No the default.
enum class Pulsanti { Ok, SiNo, SiNoPrudente };

// The button pressed in a message box, as stored in `risposta`.
enum class Risposta { Ok = 1, Si = 6, No = 7 };

// What the engine asks a front end. The answer is Yes or No; only Yes leads on.
enum class Domanda {
    AccessPoint,                 // switch the module to Access Point mode?
    OffertaReset,                // the module seems to be in the Cloud: restart it?
    SchedaDiversa,               // %1 the file's board, %2 the device's: erase and write all the same?
    ImmagineDanneggiata,         // %1 the header's CRC16, %2 the image's: erase and write all the same?
    Cancellazione,               // erase the device? (the window does not show it: its Transfer button says so)
    ConfermaAggiornamento,       // start the update?
    ConfermaAggiornamentoWgm110, // the same, for the WGM110: its parameters return to their defaults
};
inline constexpr int numero_domande = int(Domanda::ConfermaAggiornamentoWgm110) + 1;

// What the engine tells a front end, to be acknowledged.
enum class Avviso {
    ErroreConnessione,
    PasswordVuota,
    PasswordErrata,
    PasswordSenzaRisposta,
    ModoCambiato,
    ModoSenzaRisposta,
    ModuloRiavviato,
    ResetSenzaRisposta,
    SchedaSenzaWgm110,       // the device gives no board and the file is for the WGM110
    FileInesistente,
    FileCartella,
    FileNonRegolare,
    FileCiclo,
    FileIlleggibile,         // %1 the system's words
    FileSenzaDati,           // nothing follows its header
    FileTroppoGrande,        // its image does not fit its CPU's area
    FirmwareNonCompatibile,
    BootloaderNonSupportato, // %1 the version
    AggiornamentoTerminato,
};
inline constexpr int numero_avvisi = int(Avviso::AggiornamentoTerminato) + 1;

// A message box: lines of a text are joined by CR LF.
struct Messaggio
{
    Testo titolo;
    Testo testo;
    Icona icona;
    Pulsanti pulsanti;

    bool domanda() const { return pulsanti != Pulsanti::Ok; }
};

// How each question and warning is shown, in both languages.
const Messaggio &messaggio_di(Domanda domanda);
const Messaggio &messaggio_di(Avviso avviso);

namespace messaggio {
extern const Messaggio errore_connessione;
extern const Messaggio password_vuota;
extern const Messaggio password_errata;
extern const Messaggio password_senza_risposta;
extern const Messaggio domanda_access_point;
extern const Messaggio modo_cambiato;
extern const Messaggio modo_senza_risposta;
extern const Messaggio modulo_riavviato;
extern const Messaggio reset_senza_risposta;
extern const Messaggio offerta_reset;
extern const Messaggio avviso_wgm110;
extern const Messaggio file_inesistente;
extern const Messaggio firmware_non_compatibile;
extern const Messaggio bootloader_non_supportato;
extern const Messaggio conferma_aggiornamento;         // two lines
extern const Messaggio conferma_aggiornamento_wgm110;  // three lines
extern const Messaggio aggiornamento_terminato;
} // namespace messaggio
