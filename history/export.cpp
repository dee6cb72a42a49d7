#include "history/export.h"

#include "history/columns.h"

#include <QJsonDocument>

namespace {

QByteArray campo_csv(const QVariant &valore)
{
    const QByteArray testo = valore.typeId() == QMetaType::Bool ? QByteArray(valore.toBool() ? "true" : "false")
                                                                : valore.toString().toUtf8();
    if (!testo.contains(',') && !testo.contains('"') && !testo.contains('\r') && !testo.contains('\n'))
        return testo;
    return '"' + QByteArray(testo).replace('"', "\"\"") + '"';
}

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
    if (m_formato == FormatoEsportazione::Json) {
        scrivi_riga(QJsonDocument(in_json(tentativo)).toJson(QJsonDocument::Compact));
        return m_scritto;
    }
    QByteArrayList campi;
    for (const Colonna &colonna : colonne())
        campi.append(campo_csv(colonna.leggi(tentativo)));
    scrivi_riga(campi.join(','));
    return m_scritto;
}

void Esportazione::scrivi_riga(const QByteArray &riga)
{
    const QByteArray fine = m_formato == FormatoEsportazione::Csv ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    m_scritto = m_scritto && m_uscita.write(riga + fine) == riga.size() + fine.size();
}
