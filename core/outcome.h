#pragma once

#include "core/facts.h"
#include "core/language.h"
#include "core/messages.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a step of an update came to, as a script, a history record and the
// exit code of kestra-flash read it.
enum class TipoEsito {
    Completato,      // the step did what it is for
    Saltato,         // the device had the file's firmware already: nothing was erased
    FileRifiutato,   // the firmware file: missing, unreadable, changed, too large, unknown CPU, bootloader
    FileDanneggiato, // the CRC16 of the image is not the one its header gives: damaged or cut short
    Connessione,     // the module could not be reached, or the link failed
    Password,        // the password was refused, unanswered or not given
    AccessPoint,     // the module is not in Access Point mode: not switched, or no reply to the switch
    ModoCambiato,    // the module was switched to Access Point mode and restarts: reach it there
    Identificazione, // the device did not answer "FWI"
    Scheda,          // the file is for another board than the device reports
    Cancellazione,   // the erase failed
    Trasferimento,   // a half page failed, or replies of the transfer never came
    Verifica,        // the device refused the CRC16, or gave no verdict
    Riavvio,         // the module did not acknowledge its restart
    Rinuncia,        // the user answered No
    Interrotto,      // the program is ending, or was told to stop
    NonDisponibile,  // the step is not on offer now, or another one is running
    Uso,             // kestra-flash was given options it cannot run with
    StoricoDanneggiato, // the history was listed but for records in damaged pages
};
inline constexpr int numero_tipi_esito = int(TipoEsito::StoricoDanneggiato) + 1;

// The name of a kind in a JSON line or a history record: "completed", "erase".
const char *nome_tipo_esito(TipoEsito tipo);
// kestra-flash's exit code for an outcome of that kind; a signal that
// interrupted a run (`segnale`, 0 for none) gives 128 + its number.
int codice_uscita(TipoEsito tipo, int segnale = 0);

inline constexpr Testo testo_interrotto{"Interrotto.", "Interrupted."};

// A kind and the text that said so: a status, or a message box's title and text.
struct Esito
{
    TipoEsito tipo = TipoEsito::Completato;
    Testo titolo = nessun_testo; // empty for a status
    Testo testo = nessun_testo;
    QStringList valori;            // stand for %1, %2, ... in the text
    std::optional<Avviso> avviso;  // the box that said so, when one did
    Fatti fatti;                   // what the update had learned when the step ended

    Esito() = default;
    Esito(TipoEsito tipo) : tipo(tipo) {}
    Esito(TipoEsito tipo, const Testo &titolo, const Testo &testo, QStringList valori)
        : tipo(tipo), titolo(titolo), testo(testo), valori(std::move(valori))
    {
    }
    static Esito di_stato(TipoEsito tipo, const Testo &stato, const QString &valore = {});
    static Esito di_avviso(TipoEsito tipo, Avviso avviso, const QStringList &valori = {});
    static Esito di_domanda(TipoEsito tipo, Domanda domanda, const QStringList &valori = {});

    bool riuscito() const { return tipo == TipoEsito::Completato || tipo == TipoEsito::Saltato; }
    // "Title: text" or the status, one line a line.
    QString in(int lingua) const;
};
