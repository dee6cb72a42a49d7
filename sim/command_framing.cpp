#include "sim/command_framing.h"

namespace {

const FormatoComando *formato_di(QByteArrayView dati)
{
    for (const FormatoComando &formato : formati_comando()) {
        if (dati.startsWith(formato.testa))
            return &formato;
    }
    return nullptr;
}

// `dati` begins with a head, or is the beginning of one.
bool puo_iniziare(QByteArrayView dati)
{
    for (const FormatoComando &formato : formati_comando()) {
        if (dati.startsWith(formato.testa) || QByteArrayView(formato.testa).startsWith(dati))
            return true;
    }
    return false;
}

bool password_giusta(QByteArrayView dati, QByteArrayView testa, QByteArrayView password)
{
    return dati.size() == testa.size() + password.size() && dati.sliced(testa.size()) == password;
}

// How many bytes at the front of `dati` make a complete command; 0 when none does yet.
qsizetype lunghezza_pronta(QByteArrayView dati, QByteArrayView password)
{
    const FormatoComando *formato = formato_di(dati);
    if (!formato)
        return 0;
    if (formato->lunghezza > 0)
        return dati.size() >= formato->lunghezza ? formato->lunghezza : 0;
    if (password_giusta(dati, formato->testa, password))
        return dati.size();
    return dati.size() >= DivisoreComandi::lunghezza_massima_password
               ? DivisoreComandi::lunghezza_massima_password
               : 0;
}

} // namespace

const QList<FormatoComando> &formati_comando()
{
    static const QList<FormatoComando> formati = {
        {"PAS=", 0},   {"MOP=", 5},   {"RST!", 4},   {"FWI", 3},   {"PGS", 4},
        {"PGF", 4},    {"PGP", 135},  {"PGp", 135},  {"PGX", 7},   {"PGW", 7},
    };
    return formati;
}

void DivisoreComandi::aggiungi(QByteArrayView dati)
{
    m_dati.append(dati);
}

std::optional<QByteArray> DivisoreComandi::prossimo(QByteArrayView password_attesa)
{
    salta_rumore();
    const qsizetype lunghezza = lunghezza_pronta(resto(), password_attesa);
    if (lunghezza > 0)
        return preleva(lunghezza);
    m_dati.remove(0, m_inizio);
    m_inizio = 0;
    return std::nullopt;
}

std::optional<QByteArray> DivisoreComandi::a_riposo()
{
    salta_rumore();
    const FormatoComando *formato = formato_di(resto());
    std::optional<QByteArray> comando;
    if (formato && formato->lunghezza == 0)
        comando = preleva(in_attesa());
    azzera();
    return comando;
}

void DivisoreComandi::azzera()
{
    m_dati.clear();
    m_inizio = 0;
}

void DivisoreComandi::salta_rumore()
{
    while (m_inizio < m_dati.size() && !puo_iniziare(resto()))
        ++m_inizio;
}

QByteArray DivisoreComandi::preleva(qsizetype lunghezza)
{
    QByteArray comando = resto().first(lunghezza).toByteArray();
    m_inizio += lunghezza;
    return comando;
}
