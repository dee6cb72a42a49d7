#pragma once

#include <QtGlobal>

#include <span>

#include "core/messages.h"

#include <optional>

// Everything that depends on the CPU type a firmware file names at offset 1,
// one row a type.
struct TipoCpu
{
    char lettera;                         // at offset 1 of the firmware file
    const char *didascalia;               // caption of Label3
    int codice;                           // codice_cpu
    int kb_area;                          // erased before a transfer; the most an image may fill
    bool cancellazione_a_blocchi;         // one "PGS" a 64 KB block, else one "PGF" for the whole area
    const char *comando_mezza_pagina;     // "PGP" or "PGp"
    const char *comando_verifica;         // "PGX" or "PGW"
    int attesa_verifica_ms;               // for the device's verdict
    Domanda conferma;                          // asked before the verification
    bool riavvio_dopo_verifica;                // the module restarts whatever the verdict: the link closes
    std::optional<Avviso> avviso_senza_scheda; // when the device reports no board

    // The most image bytes the device holds: its area, 1024 bytes a KB; for
    // a type without an area, what the 16-bit page counters can count.
    qint64 byte_massimi() const;
};

// The row for a CPU letter (exact, case-sensitive), or nullptr when unknown.
const TipoCpu *cerca_tipo_cpu(char lettera);

// Every known type, in the order of the table.
std::span<const TipoCpu> tipi_cpu();

// The type in force before any known one: codice_cpu 0, caption "CPU:".
const TipoCpu &tipo_cpu_sconosciuto();
