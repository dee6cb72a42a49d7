#include "core/outcome.h"

#include "core/messages.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::pair<TipoEsito, const char *> nomi[] = {
    {TipoEsito::Completato, "completed"},
    {TipoEsito::FileRifiutato, "file"},
    {TipoEsito::FileDanneggiato, "damaged"},
    {TipoEsito::Connessione, "connection"},
    {TipoEsito::Password, "password"},
    {TipoEsito::AccessPoint, "access-point"},
    {TipoEsito::ModoCambiato, "switched"},
    {TipoEsito::Identificazione, "identification"},
    {TipoEsito::Scheda, "board"},
    {TipoEsito::Cancellazione, "erase"},
    {TipoEsito::Trasferimento, "transfer"},
    {TipoEsito::Verifica, "verification"},
    {TipoEsito::Riavvio, "restart"},
    {TipoEsito::Rinuncia, "declined"},
    {TipoEsito::Interrotto, "interrupted"},
    {TipoEsito::NonDisponibile, "unavailable"},
};

} // namespace

const char *nome_tipo_esito(TipoEsito tipo)
{
    return std::find_if(std::begin(nomi), std::end(nomi), [tipo](const auto &nome) { return nome.first == tipo; })
        ->second;
}

Esito Esito::di_stato(TipoEsito tipo, const Testo &stato, const QString &valore)
{
    return {tipo, nessun_testo, stato, valore.isNull() ? QStringList() : QStringList{valore}};
}

Esito Esito::di_messaggio(TipoEsito tipo, const Messaggio &messaggio, const QString &valore)
{
    return {tipo, messaggio.titolo, messaggio.testo, valore.isNull() ? QStringList() : QStringList{valore}};
}

QString Esito::in(int lingua) const
{
    QString righe = testo.righe_in(lingua);
    for (const QString &valore : valori)
        righe = righe.arg(valore);
    return titolo.vuoto() ? righe : titolo.in(lingua) + QStringLiteral(": ") + righe;
}
