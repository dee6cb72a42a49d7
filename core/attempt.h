#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// One update attempt as the history keeps it: it starts when the erase
// starts and ends with its outcome; a run that reached the device and erased
// nothing on purpose (skipped, refused for another board) is one too, begun
// and ended at once. Texts are as a record shows them: versions "2.13",
// CRC16s in hexadecimal, the outcome in English.
struct Tentativo
{
    QString id;            // a UUID: the record's key on every station and server
    QDateTime inizio;      // started, UTC, to the millisecond
    qint64 durata_ms = -1; // -1 while it has not ended
    QString front_end;     // "window" or "cli"
    QString versione;      // the program's
    QString stazione;      // the station's name
    QString unita;         // the receiver's label or serial number, as the operator gave it
    QString utente;        // the account that ran it
    bool forzato = false;  // a refusal was overridden (--force, or Yes to the window's question)
    QString indirizzo;
    quint16 porta = 0;

    QString file; // its name
    QString file_sha256;
    QString cpu, bootloader, firmware, scheda, crc16_memorizzato; // from its header

    QString firmware_dispositivo, scheda_dispositivo, nome_dispositivo, data_dispositivo; // from the identity

    int pagine = 0;
    QString crc16; // the CRC16 transferred, once the transfer completed
    int rinvii = 0;

    std::optional<int> codice_uscita; // kestra-flash's; the window has none
    QString classe;                   // the kind of the outcome: "completed", "transfer", ...
    QString testo;                    // the final status or message
    bool cancellato = false;          // the device may be erased: from the erase on, until the device's verdict

    bool concluso() const { return durata_ms >= 0; }
    // When it ended; invalid while it has not.
    QDateTime fine() const { return concluso() ? inizio.addMSecs(durata_ms) : QDateTime(); }
};

// Where update attempts are recorded. A history that cannot be written never
// stops an update: its implementation says so once and goes on without it.
class Storico
{
public:
    virtual ~Storico() = default;

    // The attempt starts: it is recorded as not ended.
    virtual void inizio(const Tentativo &tentativo) = 0;
    // The attempt begun last ends as `tentativo` says.
    virtual void fine(const Tentativo &tentativo) = 0;
};
