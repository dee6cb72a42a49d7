#include "core/identity.h"

#include "core/bytes.h"

namespace {

// Offsets in the reply: bytes 5, 6, 7, 11, 19 and 20 counted from 1.
enum Posizione : qsizetype {
    pos_maggiore = 4,
    pos_minore = 5,
    pos_scheda = 6,
    pos_nome_file = 10,
    pos_data_alta = 18,
    pos_data_bassa = 19,
};

constexpr qsizetype lunghezza_scheda = 4;
constexpr qsizetype lunghezza_nome_file = 8;

} // namespace

IdentitaDispositivo leggi_identita(QByteArrayView risposta)
{
    IdentitaDispositivo identita;
    if (risposta == QByteArrayView(risposta_info_non_disponibile))
        return identita;
    identita.info_disponibile = true;
    identita.maggiore = byte_a(risposta, pos_maggiore);
    identita.minore = byte_a(risposta, pos_minore);
    identita.scheda = campo(risposta, pos_scheda, lunghezza_scheda);
    identita.nome_file = campo(risposta, pos_nome_file, lunghezza_nome_file);
    const int data_alta = byte_a(risposta, pos_data_alta);
    const int data_bassa = byte_a(risposta, pos_data_bassa);
    identita.anno = data_alta / 2;
    identita.mese = (data_alta & 1) * 8 + data_bassa / 32;
    identita.giorno = data_bassa & 31;
    return identita;
}
