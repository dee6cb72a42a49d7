#pragma once

#include <QByteArrayView>

// What the device's one-byte reply to a programming command says. Only a
// whole reply of exactly "A" is a success: "A" with anything after it, or a
// lower-case "a", is not.
enum class RispostaDispositivo {
    Accettata,        // "A"
    ScritturaFallita, // "N": the device could not write the half page
    ChecksumErrato,   // "C": the device found the half page's sum wrong
    Altro,            // anything else, or nothing
};

inline RispostaDispositivo giudica_risposta(int dati_ricevuti, QByteArrayView buffer_rx)
{
    if (dati_ricevuti != 1)
        return RispostaDispositivo::Altro;
    if (buffer_rx == "A")
        return RispostaDispositivo::Accettata;
    if (buffer_rx == "N")
        return RispostaDispositivo::ScritturaFallita;
    if (buffer_rx == "C")
        return RispostaDispositivo::ChecksumErrato;
    return RispostaDispositivo::Altro;
}
