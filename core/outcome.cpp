#include "core/outcome.h"

#include "core/messages.h"

#include <array>

namespace {

struct RigaEsito
{
    TipoEsito tipo;
    const char *classe;
    int codice_uscita;
};

// One row a kind, in the kinds' order.
constexpr std::array<RigaEsito, numero_tipi_esito> righe{{
    {TipoEsito::Completato, "completed", 0},
    {TipoEsito::Saltato, "skipped", 0},
    {TipoEsito::FileRifiutato, "file", 3},
    {TipoEsito::FileDanneggiato, "damaged", 3},
    {TipoEsito::Connessione, "connection", 4},
    {TipoEsito::Password, "password", 5},
    {TipoEsito::AccessPoint, "access-point", 6},
    {TipoEsito::ModoCambiato, "switched", 11},
    {TipoEsito::Identificazione, "identification", 7},
    {TipoEsito::Scheda, "board", 12},
    {TipoEsito::Cancellazione, "erase", 8},
    {TipoEsito::Trasferimento, "transfer", 9},
    {TipoEsito::Verifica, "verification", 10},
    {TipoEsito::Riavvio, "restart", 1},
    {TipoEsito::Rinuncia, "declined", 1},
    {TipoEsito::Interrotto, "interrupted", 130},
    {TipoEsito::NonDisponibile, "unavailable", 1},
    {TipoEsito::Uso, "usage", 2},
    {TipoEsito::StoricoDanneggiato, "history-damaged", 13},
}};

constexpr bool in_ordine()
{
    for (std::size_t i = 0; i < righe.size(); ++i)
        if (righe[i].tipo != TipoEsito(i) || righe[i].classe == nullptr)
            return false;
    return true;
}
static_assert(in_ordine(), "every kind of outcome has its row, in order");

const RigaEsito &riga(TipoEsito tipo)
{
    return righe[std::size_t(tipo)];
}

} // namespace

const char *nome_tipo_esito(TipoEsito tipo)
{
    return riga(tipo).classe;
}

int codice_uscita(TipoEsito tipo, int segnale)
{
    return tipo == TipoEsito::Interrotto && segnale != 0 ? 128 + segnale : riga(tipo).codice_uscita;
}

Esito Esito::di_stato(TipoEsito tipo, const Testo &stato, const QString &valore)
{
    return {tipo, nessun_testo, stato, valore.isNull() ? QStringList() : QStringList{valore}};
}

Esito Esito::di_avviso(TipoEsito tipo, Avviso avviso, const QStringList &valori)
{
    const Messaggio &messaggio = messaggio_di(avviso);
    Esito esito{tipo, messaggio.titolo, messaggio.testo, valori};
    esito.avviso = avviso;
    return esito;
}

Esito Esito::di_domanda(TipoEsito tipo, Domanda domanda, const QStringList &valori)
{
    const Messaggio &messaggio = messaggio_di(domanda);
    return {tipo, messaggio.titolo, messaggio.testo, valori};
}

QString Esito::in(int lingua) const
{
    const QString righe = testo.righe_in(lingua, valori);
    return titolo.vuoto() ? righe : titolo.in(lingua) + QStringLiteral(": ") + righe;
}
