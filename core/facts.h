#pragma once

#include "core/firmware_header.h"
#include "core/identity.h"

#include <optional>

struct TipoCpu;

// What an update has learned so far, as every step returns it: a front end
// renders it and sums a run up from it, the history keeps it.
struct Fatti
{
    std::optional<IntestazioneFirmware> intestazione; // of the firmware file, once read
    const TipoCpu *tipo = nullptr;                    // its CPU type; nullptr while unknown
    qint64 byte_immagine = 0;                         // the image's size, as the file gives it
    std::optional<qint32> crc_immagine;               // of the image in whole pages, once read
    std::optional<IdentitaDispositivo> identita;      // the device's, once it gave one
    int pagine_inviate = 0;                           // by the last transfer
    qint64 byte_scritti = 0;                          // image bytes whose pages were all sent
    int rinvii = 0;                                   // half pages sent again
    qint64 ms_scrittura = 0;                          // how long the pages took
    bool cancellato = false;                          // the device may be erased: no verdict since its erase
    bool verdetto_ignoto = false;                     // the run ended while the device's verdict was on its way
};
