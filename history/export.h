#pragma once

#include "core/attempt.h"

#include <QIODevice>
#include <QJsonObject>

// A record as a JSON object, a key for each field of colonne(): "started"
// and "completed" as ISO 8601 UTC times to the millisecond, "completed" null
// for an attempt that never ended (its program was killed).
QJsonObject in_json(const Tentativo &tentativo);

enum class FormatoEsportazione
{
    Json, // one object a line
    Csv,  // RFC 4180, UTF-8
};

// Writes records to `uscita` as they come, holding none: JSON, one object a
// line; or CSV, a header row of the field names first, then a row a record,
// fields in double quotes when they hold a comma, a double quote, CR or LF,
// double quotes doubled, lines ended by CRLF; true and false as such, a
// missing value empty.
class Esportazione
{
public:
    Esportazione(QIODevice &uscita, FormatoEsportazione formato);
    // False once `uscita` has refused a write.
    bool scrivi(const Tentativo &tentativo);

private:
    void scrivi_riga(const QByteArray &riga);

    QIODevice &m_uscita;
    const FormatoEsportazione m_formato;
    bool m_scritto = true;
};
