#include "core/firmware_header.h"

#include "core/bytes.h"

namespace {

// Offsets from the first byte of the file.
enum Posizione : qsizetype {
    pos_tipo_cpu = 1,
    pos_bootloader_intero = 4,
    pos_bootloader_decimi = 5,
    pos_fw_maggiore = 6,
    pos_fw_minore = 7,
    pos_scheda = 9,
    pos_crc_alto = 13,
    pos_crc_basso = 14,
};

constexpr qsizetype lunghezza_scheda = 4;

} // namespace

IntestazioneFirmware leggi_intestazione(QByteArrayView primi_byte)
{
    IntestazioneFirmware intestazione;
    intestazione.tipo_cpu = char(byte_a(primi_byte, pos_tipo_cpu));
    intestazione.versione_bootloader =
        10 * byte_a(primi_byte, pos_bootloader_intero) + byte_a(primi_byte, pos_bootloader_decimi);
    intestazione.fw_maggiore = byte_a(primi_byte, pos_fw_maggiore);
    intestazione.fw_minore = byte_a(primi_byte, pos_fw_minore);
    intestazione.scheda_file = campo(primi_byte, pos_scheda, lunghezza_scheda);
    intestazione.crc_alto = byte_a(primi_byte, pos_crc_alto);
    intestazione.crc_basso = byte_a(primi_byte, pos_crc_basso);
    return intestazione;
}

bool bootloader_supportato(int versione_bootloader)
{
    return versione_bootloader == 12 || versione_bootloader == 13;
}
