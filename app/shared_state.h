#pragma once

#include "image/checksums.h"
#include "image/firmware_header.h"

#include <QString>

// The variables that the steps of an update share. The command channel keeps
// its own (buffer_rx, dati_ricevuti and the timer flags).
struct StatoCondiviso
{
    // Live for the whole run.
    QString nome_file;         // chosen firmware file, without its folder
    QString percorso_firmware; // its folder, with the trailing separator
    QString percorso_app;      // the program's folder, with the trailing separator
    QString password;          // last password confirmed in the password dialog
    int form2_aperta = 0;      // 1 while the password dialog is open
    qint16 lingua = 0;         // 0 Italian, anything else English

    int risposta = 0;                  // button of the last message box
    char tipo_cpu = 0;                 // CPU letter of the loaded file
    int codice_cpu = 0;                // 1 "t", 2 "s", 3 "W"; 0 before any known type
    IntestazioneFirmware intestazione; // header of the loaded file
    QByteArray byte_intestazione;      // its bytes as they were read
    RegistroCrc crc;                   // crc_alto, crc_basso, crc16

    int kb_cancellazione = 0; // size erased by the last transfer, in KB
    int pagine_inviate = 0;   // pages sent by the last transfer

    // What the verification sends: the CPU type, pages and CRC16 of the last
    // transfer that completed, whatever file was opened since.
    struct Trasferimento
    {
        int codice_cpu = 0;
        int pagine_inviate = 0;
        RegistroCrc crc;
    } trasferito;
};
