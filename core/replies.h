#pragma once

#include <QByteArrayView>

// The device answers every programming command with one character. Only a
// whole reply of exactly "A" is a success: "A" with anything after it, or a
// lower-case "a", is not.
inline bool risposta_accettata(int dati_ricevuti, QByteArrayView buffer_rx)
{
    return dati_ricevuti == 1 && buffer_rx == "A";
}

enum class RispostaMezzaPagina {
    Accettata,       // "A"
    ScritturaFallita, // "N": the device could not write it
    ChecksumErrato,  // "C": the device found the sum wrong
    Altro,           // anything else, or nothing
};

inline RispostaMezzaPagina giudica_mezza_pagina(int dati_ricevuti, QByteArrayView buffer_rx)
{
    if (risposta_accettata(dati_ricevuti, buffer_rx))
        return RispostaMezzaPagina::Accettata;
    if (buffer_rx == "N")
        return RispostaMezzaPagina::ScritturaFallita;
    if (buffer_rx == "C")
        return RispostaMezzaPagina::ChecksumErrato;
    return RispostaMezzaPagina::Altro;
}
