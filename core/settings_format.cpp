#include "core/settings_format.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <optional>

namespace {

bool fine_riga(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool spazio(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Reads the content as a stream of comma- or line-separated fields.
class LettoreCampi
{
public:
    explicit LettoreCampi(QStringView testo) : testo_(testo) {}

    bool finito() const { return pos_ >= testo_.size(); }

    QString campo()
    {
        while (!finito() && spazio(testo_[pos_]))
            ++pos_;
        QString valore;
        if (!finito() && testo_[pos_] == u'"') {
            valore = tra_virgolette();
            fino_al_separatore(); // whatever follows the closing quote is dropped
        } else {
            valore = fino_al_separatore();
        }
        salta_separatore();
        return valore;
    }

private:
    QString fino_al_separatore()
    {
        const qsizetype inizio = pos_;
        while (!finito() && testo_[pos_] != u',' && !fine_riga(testo_[pos_]))
            ++pos_;
        return testo_.sliced(inizio, pos_ - inizio).toString();
    }

    QString tra_virgolette()
    {
        const qsizetype inizio = pos_ + 1;
        qsizetype chiusura = testo_.indexOf(u'"', inizio);
        if (chiusura < 0)
            chiusura = testo_.size();
        pos_ = qMin(chiusura + 1, testo_.size());
        return testo_.sliced(inizio, chiusura - inizio).toString();
    }

    // A comma, or one line ending: CR LF, LF or CR.
    void salta_separatore()
    {
        if (finito())
            return;
        const bool ritorno_carrello = testo_[pos_] == u'\r';
        ++pos_;
        if (ritorno_carrello && !finito() && testo_[pos_] == u'\n')
            ++pos_;
    }

    QStringView testo_;
    qsizetype pos_ = 0;
};

// UTF-16 units of the character at pos: two for one outside the BMP.
qsizetype unita_carattere(QStringView testo, qsizetype pos)
{
    const bool coppia = pos + 1 < testo.size() && testo[pos].isHighSurrogate() && testo[pos + 1].isLowSurrogate();
    return coppia ? 2 : 1;
}

// What follows the first "=" less the one character right after it (the
// blank the writer puts there); a field without "=" loses its first character.
// That character goes whole, never half of a surrogate pair.
std::optional<QString> valore_campo(const QString &campo)
{
    const qsizetype p = campo.indexOf(u'=') + 1;
    const qsizetype inizio = p + unita_carattere(campo, p);
    const qsizetype n = campo.size() - inizio;
    if (n <= 0)
        return std::nullopt;
    return campo.sliced(inizio, n);
}

qsizetype dopo_cifre(QStringView testo, qsizetype pos)
{
    while (pos < testo.size() && testo[pos] >= u'0' && testo[pos] <= u'9')
        ++pos;
    return pos;
}

// Length of the number at the start of testo: sign, digits, fraction and
// exponent; 0 when it does not start with one.
qsizetype lunghezza_numero(QStringView testo)
{
    qsizetype pos = 0;
    if (pos < testo.size() && (testo[pos] == u'+' || testo[pos] == u'-'))
        ++pos;
    const qsizetype inizio_cifre = pos;
    pos = dopo_cifre(testo, pos);
    qsizetype cifre = pos - inizio_cifre;
    if (pos < testo.size() && testo[pos] == u'.') {
        const qsizetype dopo_punto = dopo_cifre(testo, pos + 1);
        cifre += dopo_punto - pos - 1;
        pos = dopo_punto;
    }
    if (cifre == 0)
        return 0;
    if (pos < testo.size() && (testo[pos] == u'e' || testo[pos] == u'E')) {
        qsizetype esponente = pos + 1;
        if (esponente < testo.size() && (testo[esponente] == u'+' || testo[esponente] == u'-'))
            ++esponente;
        const qsizetype fine = dopo_cifre(testo, esponente);
        if (fine > esponente)
            pos = fine;
    }
    return pos;
}

// The leading number of the text, blanks before it skipped; 0 without one.
double numero_iniziale(QStringView testo)
{
    qsizetype inizio = 0;
    while (inizio < testo.size() && spazio(testo[inizio]))
        ++inizio;
    const QStringView resto = testo.sliced(inizio);
    bool ok = false;
    const double valore = QLocale::c().toDouble(resto.first(lunghezza_numero(resto)), &ok);
    // Overflow gives an infinity; an exponent too small for a double gives 0.
    return (ok || std::isinf(valore)) ? valore : 0.0;
}

// A language number that does not fit the 16-bit setting (or is not finite)
// is taken as English: it is certainly not the Italian 0.
qint16 lingua_da_testo(QStringView testo)
{
    const double arrotondato = std::nearbyint(numero_iniziale(testo)); // halves to even
    const bool entra = arrotondato >= std::numeric_limits<qint16>::min()
                       && arrotondato <= std::numeric_limits<qint16>::max();
    return entra ? qint16(arrotondato) : qint16(1);
}

// The reader cuts a line at a comma unless the whole line is in double
// quotes, which end at the first quote: a folder with both a comma and a
// quote, or with a line break, cannot be stored whole.
QString riga_percorso(const QString &cartella)
{
    const QString riga = QStringLiteral("Path = ");
    const bool virgola = cartella.contains(u',');
    if ((virgola && cartella.contains(u'"')) || cartella.contains(u'\r') || cartella.contains(u'\n'))
        return riga;
    return virgola ? u'"' + riga + cartella + u'"' : riga + cartella;
}

} // namespace

Impostazioni leggi_impostazioni(QByteArrayView contenuto)
{
    const QString testo = QString::fromLocal8Bit(contenuto);
    LettoreCampi lettore(testo);
    Impostazioni impostazioni;
    impostazioni.percorso_firmware = valore_campo(lettore.campo()).value_or(QString());
    if (lettore.finito())
        return impostazioni;
    const std::optional<QString> lingua = valore_campo(lettore.campo());
    impostazioni.lingua = lingua ? lingua_da_testo(*lingua) : qint16(0);
    return impostazioni;
}

QByteArray componi_impostazioni(const Impostazioni &impostazioni)
{
    return (riga_percorso(impostazioni.percorso_firmware) + QStringLiteral("\r\n")
            + QStringLiteral("Language = ") + QString::number(impostazioni.lingua) + QStringLiteral("\r\n"))
        .toLocal8Bit();
}
