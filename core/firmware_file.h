#pragma once

#include "core/language.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <filesystem>

// Why a firmware file cannot be used.
enum class ProblemaFile {
    Nessuno,
    Inesistente,  // there is no such file
    Vuoto,        // it holds nothing
    Cartella,     // it is a folder
    NonRegolare,  // a FIFO, a device or a socket: never opened
    Ciclo,        // a loop of symbolic links
    Illeggibile,  // it cannot be opened or read: `motivo` says why
    Cambiato,     // it no longer starts with the header it had when it was opened
    SenzaDati,    // nothing follows its header
    TroppoGrande, // its image does not fit the area of its CPU type
};

// A firmware file as it was found: its header, and its image when it was asked for.
struct FileFirmware
{
    ProblemaFile problema = ProblemaFile::Nessuno;
    QString motivo;           // the system's words, for Illeggibile
    QByteArray intestazione;  // its first bytes, up to the header's 15
    qint64 byte_immagine = 0; // what follows the header, from the file's size
    QByteArray immagine;      // read by leggi_file_firmware only

    bool letto() const { return problema == ProblemaFile::Nessuno; }
};

// Looks at the file and reads its header. What is not a regular file is
// never opened: a FIFO would hold the program up.
FileFirmware leggi_intestazione_firmware(const std::filesystem::path &percorso);

// The header, then the image: when the file still starts with
// `intestazione_aperta` (empty: whatever it starts with) and its image has
// data and is no larger than `massimo` bytes. The size is judged before any
// of the image is read, so that a huge file costs nothing.
FileFirmware leggi_file_firmware(const std::filesystem::path &percorso, QByteArrayView intestazione_aperta,
                                 qint64 massimo);

// The status the transfer shows when the file it reads again cannot be used.
Testo stato_file_firmware(ProblemaFile problema);

// A file as the system names it, from its name as text; and its name as
// text for showing it (a name that is not valid text shows its bytes
// replaced, and still opens through its path).
std::filesystem::path percorso_di(const QString &testo);
QString testo_di(const std::filesystem::path &percorso);
