#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The byte at `indice` (from 0) as an unsigned number; 0 past the end.
inline int byte_a(QByteArrayView dati, qsizetype indice)
{
    return indice < dati.size() ? quint8(dati[indice]) : 0;
}

// The bytes of a field that are there: a short input cuts it.
inline QByteArray campo(QByteArrayView dati, qsizetype indice, qsizetype lunghezza)
{
    return dati.toByteArray().mid(indice, lunghezza);
}
