#include "history/export.h"

#include "history/columns.h"


namespace {

// A value as a CSV field, in double quotes when it holds a comma, a double quote, CR or LF.
void aggiungi_csv(QByteArray &riga, const QVariant &valore)
{
    const QByteArray testo = valore.typeId() == QMetaType::Bool ? QByteArray(valore.toBool() ? "true" : "false")
                                                                : valore.toString().toUtf8();
    if (std::none_of(testo.begin(), testo.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }))
        riga += testo;
    else
        riga += '"' + QByteArray(testo).replace('"', "\"\"") + '"';
}

// A value as JSON, written straight as UTF-8: faster than a QJsonObject, for a whole history.
void aggiungi_json(QByteArray &riga, const QVariant &valore)
{
    switch (valore.typeId()) {
    case QMetaType::UnknownType:
        riga += "null";
        return;
    case QMetaType::Bool:
        riga += valore.toBool() ? "true" : "false";
        return;
    case QMetaType::QString:
        break;
    default:
        riga += QByteArray::number(valore.toLongLong());
        return;
    }
    const QByteArray testo = valore.toString().toUtf8();
    const auto da_cambiare = [](char c) { return c == '"' || c == '\\' || quint8(c) < 0x20; };
    riga += '"';
    if (std::none_of(testo.begin(), testo.end(), da_cambiare)) {
        riga += testo;
    } else {
        for (const char c : testo) {
            if (!da_cambiare(c))
                riga += c;
            else if (quint8(c) >= 0x20)
                riga += '\\' + QByteArray(1, c);
            else
                riga += "\\u00" + QByteArray::number(c, 16).rightJustified(2, '0');
        }
    }
    riga += '"';
}

// Each field's key as a JSON object starts it: `"name":`.
const QByteArrayList chiavi_json = [] {
    QByteArrayList chiavi;
    for (const Colonna &colonna : colonne())
        chiavi.append('"' + QByteArray(colonna.nome) + "\":");
    return chiavi;
}();

} // namespace

QJsonObject in_json(const Tentativo &tentativo)
{
    QJsonObject campi;
    for (const Colonna &colonna : colonne())
        campi.insert(QLatin1String(colonna.nome), QJsonValue::fromVariant(colonna.leggi(tentativo)));
    return campi;
}

Esportazione::Esportazione(QIODevice &uscita, FormatoEsportazione formato)
    : m_uscita(uscita)
    , m_formato(formato)
{
    if (m_formato != FormatoEsportazione::Csv)
        return;
    QByteArrayList nomi;
    for (const Colonna &colonna : colonne())
        nomi.append(colonna.nome);
    scrivi_riga(nomi.join(','));
}

bool Esportazione::scrivi(const Tentativo &tentativo)
{
    const bool json = m_formato == FormatoEsportazione::Json;
    QByteArray riga = json ? QByteArrayLiteral("{") : QByteArray();
    riga.reserve(1024);
    for (qsizetype i = 0; i < qsizetype(colonne().size()); ++i) {
        const Colonna &colonna = colonne()[i];
        if (i > 0)
            riga += ',';
        if (json) {
            riga += chiavi_json[i];
            aggiungi_json(riga, colonna.leggi(tentativo));
        } else {
            aggiungi_csv(riga, colonna.leggi(tentativo));
        }
    }
    if (json)
        riga += '}';
    scrivi_riga(riga);
    return m_scritto;
}

void Esportazione::scrivi_riga(const QByteArray &riga)
{
    const QByteArray fine = m_formato == FormatoEsportazione::Csv ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    m_scritto = m_scritto && m_uscita.write(riga + fine) == riga.size() + fine.size();
}
