#pragma once

#include "core/firmware_header.h"
#include "core/outcome.h"

#include <QString>
#include <optional>

struct TipoCpu;

// What a run knows when it fails, for saying what to try next.
struct FattiDellaCorsa
{
    QString indirizzo, indirizzo_access_point;
    quint16 porta = 0;
    bool access_point_chiesto = false; // --switch-to-ap
    std::optional<IntestazioneFirmware> intestazione; // of the firmware file, once read
    const TipoCpu *tipo = nullptr;                    // its CPU type; nullptr when unknown
    qint64 byte_immagine = 0;
    int pagine_inviate = 0;        // before the page that failed
    bool verdetto_ignoto = false;  // the run ended while the verdict was on its way
};

// What to try next after a failure of this kind, in `lingua`; empty when
// there is nothing to add.
QString suggerimento(TipoEsito tipo, const FattiDellaCorsa &fatti, int lingua);
