#include "sim/device_model.h"

namespace {

constexpr quint16 polinomio = 0x1021;

// Where the fields of the programming commands start, after the three-byte head.
constexpr qsizetype pos_offset = 3;
constexpr qsizetype pos_dati = pos_offset + 3;
constexpr qsizetype pos_somma = pos_dati + mezza_pagina_dispositivo;
constexpr qsizetype lunghezza_mezza_pagina = pos_somma + 1;
constexpr qsizetype pos_pagine = 3;
constexpr qsizetype pos_crc = pos_pagine + 2;
constexpr qsizetype lunghezza_verifica = pos_crc + 2;

quint32 byte_in(QByteArrayView comando, qsizetype posizione)
{
    return quint8(comando[posizione]);
}

quint32 numero_in(QByteArrayView comando, qsizetype posizione, int byte)
{
    quint32 numero = 0;
    for (int i = 0; i < byte; ++i)
        numero = numero << 8 | byte_in(comando, posizione + i);
    return numero;
}

QByteArray campo(QByteArray testo, int lunghezza)
{
    testo.resize(lunghezza, ' ');
    return testo;
}

QByteArray pagine_intere(QByteArrayView byte, qsizetype pagine)
{
    QByteArray risultato = byte.first(qMin(byte.size(), pagine * pagina_dispositivo)).toByteArray();
    risultato.resize(pagine * pagina_dispositivo, '\xFF');
    return risultato;
}

} // namespace

quint16 crc16_dispositivo(QByteArrayView byte, quint16 registro)
{
    for (const char c : byte) {
        registro ^= quint8(c);
        for (int passo = 0; passo < 8; ++passo) {
            const bool riporto = registro & 1;
            registro >>= 1;
            if (riporto)
                registro ^= polinomio;
        }
    }
    return registro;
}

quint16 crc16_pagine(QByteArrayView immagine)
{
    const qsizetype pagine = (immagine.size() + pagina_dispositivo - 1) / pagina_dispositivo;
    return crc16_dispositivo(pagine_intere(immagine, pagine));
}

quint8 somma_dispositivo(QByteArrayView byte)
{
    quint32 somma = 0;
    for (const char c : byte)
        somma += quint8(c);
    return quint8(somma % 256);
}

QByteArray risposta_identita(const IdentitaSimulata &identita)
{
    if (identita.info_non_disponibile)
        return "FWI=???";
    return "FWI=" + QByteArray(1, char(identita.fw_maggiore)) + char(identita.fw_minore)
           + campo(identita.scheda, 4) + campo(identita.nome_file, 8) + char(identita.data_alta)
           + char(identita.data_bassa);
}

QByteArray ModelloDispositivo::cancella()
{
    m_flash.clear();
    m_verificata.reset();
    m_offset_ricevuti.clear();
    m_ripetute = 0;
    return "A";
}

QByteArray ModelloDispositivo::scrivi_mezza_pagina(QByteArrayView comando)
{
    if (comando.size() != lunghezza_mezza_pagina)
        return "C"; // cut short: its sum cannot be right
    const QByteArrayView dati = comando.sliced(pos_dati, mezza_pagina_dispositivo);
    const qsizetype offset = numero_in(comando, pos_offset, 3);
    if (m_offset_ricevuti.contains(offset))
        ++m_ripetute;
    m_offset_ricevuti.insert(offset);
    if (somma_dispositivo(dati) != byte_in(comando, pos_somma))
        return "C";
    const qsizetype fine_pagina = (offset + mezza_pagina_dispositivo + pagina_dispositivo - 1)
                                  / pagina_dispositivo * pagina_dispositivo;
    if (m_flash.size() < fine_pagina)
        m_flash.resize(fine_pagina, '\xFF');
    m_flash.replace(offset, dati.size(), dati);
    return "A";
}

QByteArray ModelloDispositivo::verifica(QByteArrayView comando)
{
    m_verificata.reset();
    if (comando.size() != lunghezza_verifica)
        return "E";
    QByteArray pagine = pagine_intere(m_flash, numero_in(comando, pos_pagine, 2));
    if (crc16_dispositivo(pagine) != numero_in(comando, pos_crc, 2))
        return "E";
    m_verificata = std::move(pagine);
    return "A";
}
