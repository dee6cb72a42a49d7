#include "history/columns.h"

namespace {

using Quando = Colonna::Quando;

template<auto membro>
QVariant leggi_campo(const Tentativo &t)
{
    return QVariant::fromValue(t.*membro);
}

template<auto membro>
void scrivi_campo(Tentativo &t, const QVariant &valore)
{
    t.*membro = valore.value<std::remove_cvref_t<decltype(t.*membro)>>();
}

template<auto membro>
constexpr Colonna campo(const char *nome, Quando quando = Quando::Inizio)
{
    return {nome, &leggi_campo<membro>, &scrivi_campo<membro>, quando};
}

const Colonna tabella[] = {
    campo<&Tentativo::id>("id"),
    {"started", [](const Tentativo &t) { return QVariant(testo_tempo(t.inizio)); },
     [](Tentativo &t, const QVariant &v) { t.inizio = tempo_da_testo(v.toString()); }, Quando::Inizio},
    {"completed", [](const Tentativo &t) { return t.concluso() ? QVariant(testo_tempo(t.fine())) : QVariant(); },
     nullptr, Quando::Mai},
    {"duration_ms", [](const Tentativo &t) { return t.concluso() ? QVariant(t.durata_ms) : QVariant(); },
     [](Tentativo &t, const QVariant &v) { t.durata_ms = v.isNull() ? -1 : v.toLongLong(); }, Quando::Fine},
    campo<&Tentativo::stazione>("station"),
    campo<&Tentativo::unita>("unit"),
    campo<&Tentativo::utente>("user"),
    campo<&Tentativo::forzato>("forced"),
    campo<&Tentativo::front_end>("front_end"),
    campo<&Tentativo::versione>("version"),
    campo<&Tentativo::indirizzo>("address"),
    campo<&Tentativo::porta>("port"),
    campo<&Tentativo::file>("file"),
    campo<&Tentativo::file_sha256>("file_sha256"),
    campo<&Tentativo::cpu>("cpu"),
    campo<&Tentativo::bootloader>("bootloader"),
    campo<&Tentativo::firmware>("firmware"),
    campo<&Tentativo::scheda>("board"),
    campo<&Tentativo::crc16_memorizzato>("crc16_stored"),
    campo<&Tentativo::firmware_dispositivo>("device_firmware"),
    campo<&Tentativo::scheda_dispositivo>("device_board"),
    campo<&Tentativo::nome_dispositivo>("device_name"),
    campo<&Tentativo::data_dispositivo>("device_date"),
    campo<&Tentativo::pagine>("pages", Quando::Fine),
    campo<&Tentativo::crc16>("crc16", Quando::Fine),
    campo<&Tentativo::rinvii>("resends", Quando::Fine),
    {"exit_code", [](const Tentativo &t) { return t.codice_uscita ? QVariant(*t.codice_uscita) : QVariant(); },
     [](Tentativo &t, const QVariant &v) { t.codice_uscita = v.isNull() ? std::nullopt : std::optional(v.toInt()); },
     Quando::Fine},
    campo<&Tentativo::classe>("class", Quando::Fine),
    campo<&Tentativo::testo>("text", Quando::Fine),
    // From its start, an attempt may have left the device erased: a record never says less.
    campo<&Tentativo::cancellato>("erased", Quando::Sempre),
};

} // namespace

std::span<const Colonna> colonne()
{
    return tabella;
}

QStringList nomi_salvati()
{
    QStringList nomi;
    for (const Colonna &colonna : tabella) {
        if (colonna.salvata())
            nomi.append(u'"' + QLatin1String(colonna.nome) + u'"');
    }
    return nomi;
}

QString testo_tempo(const QDateTime &tempo)
{
    return tempo.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime tempo_da_testo(const QString &testo)
{
    return QDateTime::fromString(testo, Qt::ISODateWithMs).toUTC();
}
