#pragma once

#include <QByteArray>
#include <QByteArrayView>

inline constexpr int dimensione_pagina = 256;
inline constexpr int dimensione_mezza_pagina = 128;

// STM32F0 and STM32F1 (codes 1 and 2) are erased block by block and written
// with "PGP"; every other type is erased at once and written with "PGp".
bool cancellazione_a_blocchi(int codice_cpu);

// The page counters of the protocol are 16-bit: at most 32,767 pages.
inline constexpr int pagine_massime = 32767;

// Size of the area to erase in KB for a CPU type; `precedente` for an unknown type.
int kb_da_cancellare(int codice_cpu, int precedente);

// The most image bytes the device of a CPU type holds: its area, 1024 bytes
// a KB; for an unknown type, what the page counters can count.
qint64 byte_area_cpu(int codice_cpu);

QByteArray comando_cancella_blocco(int blocco); // "PGS" + block index
QByteArray comando_cancella_tutto();            // "PGF" 0x00

// "PGP"/"PGp", the three offset bytes, the 128 data bytes and their 8-bit sum.
QByteArray comando_mezza_pagina(int codice_cpu, quint32 offset, QByteArrayView dati);

// "PGX" ("PGW" for the WGM110, code 3), page count high/low, CRC high/low.
QByteArray comando_verifica(int codice_cpu, int pagine_inviate, int crc_alto, int crc_basso);

// Time the device gets to check the CRC16: 20 s for the WGM110, 5 s otherwise.
int attesa_verifica_ms(int codice_cpu);
