#include "core/identity.h"

#include "core/hex_format.h"

namespace {

// Positions in the reply, counted from 1.
enum Posizione : qsizetype {
    pos_maggiore = 5,
    pos_minore = 6,
    pos_scheda = 7,
    pos_nome_file = 11,
    pos_data_alta = 19,
    pos_data_bassa = 20,
};

constexpr qsizetype lunghezza_scheda = 4;
constexpr qsizetype lunghezza_nome_file = 8;

int byte_a(QByteArrayView risposta, qsizetype posizione)
{
    return posizione <= risposta.size() ? quint8(risposta[posizione - 1]) : 0;
}

// The characters of a text field that arrived; a short reply cuts it.
QByteArray campo(QByteArrayView risposta, qsizetype posizione, qsizetype lunghezza)
{
    return risposta.toByteArray().mid(posizione - 1, lunghezza);
}

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

QString etichetta_firmware_dispositivo(const IdentitaDispositivo &identita)
{
    return QStringLiteral("Firmware: v.") + QString::number(identita.maggiore) + u'.'
           + formatta_hex(float(identita.minore), 2);
}

QString testo_data(const IdentitaDispositivo &identita)
{
    const auto due_cifre = [](int valore) { return QStringLiteral("%1").arg(valore, 2, 10, QChar(u'0')); };
    return due_cifre(identita.giorno) + u'.' + due_cifre(identita.mese) + u'.' + due_cifre(identita.anno);
}
