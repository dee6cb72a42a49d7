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
    if (!tempo.isValid())
        return {};
    const QDateTime utc = tempo.toUTC();
    const QDate d = utc.date();
    const QTime t = utc.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second(), t.msec());
}

// The form testo_tempo() writes is read at once (a listing reads one a
// record); any other ISO 8601 form the slow way.
QDateTime tempo_da_testo(const QString &testo)
{
    const auto numero = [&testo](int da, int cifre) {
        int valore = 0;
        for (int i = da; i < da + cifre; ++i)
            valore = testo[i].isDigit() ? valore * 10 + testo[i].digitValue() : -1000000;
        return valore;
    };
    if (testo.size() == 24 && testo[10] == u'T' && testo[23] == u'Z') {
        const QDate data(numero(0, 4), numero(5, 2), numero(8, 2));
        const QTime ora(numero(11, 2), numero(14, 2), numero(17, 2), numero(20, 3));
        if (data.isValid() && ora.isValid() && testo[4] == u'-' && testo[7] == u'-' && testo[13] == u':'
            && testo[16] == u':' && testo[19] == u'.')
            return QDateTime(data, ora, Qt::UTC);
    }
    return QDateTime::fromString(testo, Qt::ISODateWithMs).toUTC();
}
