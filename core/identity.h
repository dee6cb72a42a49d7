#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The device's reply to "FWI". Bytes that did not arrive count as 0 (numbers)
// or are left out (the board and file name keep the characters that came).
struct IdentitaDispositivo
{
    bool info_disponibile = false; // false for the exact reply "FWI=???"
    int maggiore = 0;              // byte 5
    int minore = 0;                // byte 6
    QByteArray scheda;             // bytes 7..10; empty when no information
    QByteArray nome_file;          // bytes 11..18
    int giorno = 0;                // date bytes 19..20: bits 4..0
    int mese = 0;                  // bits 8..5
    int anno = 0;                  // bits 15..9
};

inline constexpr const char *risposta_info_non_disponibile = "FWI=???";

IdentitaDispositivo leggi_identita(QByteArrayView risposta);
