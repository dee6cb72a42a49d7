#include "sim/fault_option.h"

#include "sim/command_framing.h"

#include <cctype>

namespace {

enum class Argomento { Nessuno, Byte, Millisecondi, Taglio };

struct TipoGuasto
{
    QByteArrayView nome;
    Guasto::Tipo tipo;
    Argomento argomento;
};

constexpr TipoGuasto tipi[] = {
    {"none", Guasto::Tipo::NessunaRisposta, Argomento::Nessuno},
    {"reply", Guasto::Tipo::Risposta, Argomento::Byte},
    {"delay", Guasto::Tipo::Ritardo, Argomento::Millisecondi},
    {"stall", Guasto::Tipo::Stallo, Argomento::Millisecondi},
    {"split", Guasto::Tipo::Dividi, Argomento::Millisecondi},
    {"cut", Guasto::Tipo::Taglia, Argomento::Taglio},
    {"drop-before", Guasto::Tipo::ChiudiPrima, Argomento::Nessuno},
    {"drop-after", Guasto::Tipo::ChiudiDopo, Argomento::Nessuno},
    {"flood", Guasto::Tipo::Inonda, Argomento::Nessuno},
};

struct Sequenza
{
    char lettera;
    char byte;
};

constexpr Sequenza sequenze[] = {
    {'n', '\n'}, {'r', '\r'}, {'t', '\t'}, {'0', '\0'}, {'\\', '\\'},
};

const TipoGuasto *tipo_di(QByteArrayView nome)
{
    for (const TipoGuasto &tipo : tipi) {
        if (tipo.nome == nome)
            return &tipo;
    }
    return nullptr;
}

bool testa_nota(QByteArrayView testa)
{
    if (testa == "PAS?")
        return true;
    for (const FormatoComando &formato : formati_comando()) {
        if (formato.testa == testa)
            return true;
    }
    return false;
}

std::optional<char> sequenza_semplice(char lettera)
{
    for (const Sequenza &sequenza : sequenze) {
        if (sequenza.lettera == lettera)
            return sequenza.byte;
    }
    return std::nullopt;
}

// One or two hexadecimal digits after a backslash and x; how many were read goes to `letti`.
std::optional<char> sequenza_esadecimale(QByteArrayView cifre, qsizetype &letti)
{
    letti = 0;
    while (letti < qMin<qsizetype>(2, cifre.size()) && isxdigit(quint8(cifre[letti])))
        ++letti;
    if (letti == 0)
        return std::nullopt;
    return char(cifre.first(letti).toInt(nullptr, 16));
}

struct Parti
{
    QByteArray prima;
    std::optional<QByteArray> dopo; // nothing when the separator is missing
};

Parti dividi(const QByteArray &testo, char separatore)
{
    const qsizetype posizione = testo.indexOf(separatore);
    if (posizione < 0)
        return {testo, std::nullopt};
    return {testo.first(posizione), testo.sliced(posizione + 1)};
}

bool leggi_millisecondi(const QByteArray &testo, int &ms, QString &errore)
{
    bool ok = false;
    ms = testo.toInt(&ok);
    if (!ok || ms < 0) {
        errore = QStringLiteral("milliseconds must be a number from 0");
        return false;
    }
    return true;
}

// BYTES,MS: the bytes that leave at once and the milliseconds before the rest.
bool leggi_taglio(Guasto &guasto, const std::optional<QByteArray> &argomento, QString &errore)
{
    const Parti parti = argomento ? dividi(*argomento, ',') : Parti{};
    if (!parti.dopo) {
        errore = QStringLiteral("cut needs BYTES,MS: the bytes sent at once and the milliseconds before the rest");
        return false;
    }
    bool ok = false;
    guasto.taglio = parti.prima.toInt(&ok);
    if (!ok || guasto.taglio < 1) {
        errore = QStringLiteral("the bytes cut needs to send at once must be a number from 1");
        return false;
    }
    return leggi_millisecondi(*parti.dopo, guasto.ritardo_ms, errore);
}

// `argomento` must be there or not as the kind wants; the fault takes its value.
bool applica_argomento(Guasto &guasto, Argomento tipo, const std::optional<QByteArray> &argomento,
                       QString &errore)
{
    if (tipo == Argomento::Nessuno && argomento) {
        errore = QStringLiteral("this kind takes no argument");
        return false;
    }
    if (tipo == Argomento::Byte) {
        const std::optional<QByteArray> byte = argomento ? leggi_sequenze(*argomento) : std::nullopt;
        if (!byte)
            errore = QStringLiteral("reply needs the bytes to send, with well-formed escapes");
        guasto.risposta = byte.value_or(QByteArray());
        return byte.has_value();
    }
    if (tipo == Argomento::Taglio)
        return leggi_taglio(guasto, argomento, errore);
    if (tipo == Argomento::Millisecondi && argomento)
        return leggi_millisecondi(*argomento, guasto.ritardo_ms, errore);
    return true;
}

bool leggi_testa(Guasto &guasto, const QByteArray &testo, QString &errore)
{
    const Parti parti = dividi(testo, '#');
    guasto.comando = parti.prima;
    if (!testa_nota(guasto.comando)) {
        errore = QStringLiteral("unknown command \"%1\"").arg(QString::fromLatin1(guasto.comando));
        return false;
    }
    if (!parti.dopo)
        return true;
    bool ok = false;
    guasto.occorrenza = parti.dopo->toInt(&ok);
    if (!ok || guasto.occorrenza < 0) {
        errore = QStringLiteral("the occurrence after # must be a number from 0");
        return false;
    }
    return true;
}

} // namespace

std::optional<QByteArray> leggi_sequenze(QByteArrayView testo)
{
    QByteArray byte;
    for (qsizetype i = 0; i < testo.size(); ++i) {
        if (testo[i] != '\\') {
            byte.append(testo[i]);
            continue;
        }
        if (++i == testo.size())
            return std::nullopt;
        qsizetype letti = 0;
        const std::optional<char> valore = testo[i] == 'x'
                                               ? sequenza_esadecimale(testo.sliced(i + 1), letti)
                                               : sequenza_semplice(testo[i]);
        if (!valore)
            return std::nullopt;
        byte.append(*valore);
        i += letti;
    }
    return byte;
}

std::optional<Guasto> leggi_guasto(const QByteArray &testo, QString &errore)
{
    const Parti testa = dividi(testo, ':');
    if (!testa.dopo) {
        errore = QStringLiteral("expected HEAD[#N]:KIND[:ARG]");
        return std::nullopt;
    }
    Guasto guasto;
    if (!leggi_testa(guasto, testa.prima, errore))
        return std::nullopt;
    const Parti tipo = dividi(*testa.dopo, ':');
    const TipoGuasto *trovato = tipo_di(tipo.prima);
    if (!trovato) {
        errore = QStringLiteral("unknown kind \"%1\"").arg(QString::fromLatin1(tipo.prima));
        return std::nullopt;
    }
    guasto.tipo = trovato->tipo;
    if (!applica_argomento(guasto, trovato->argomento, tipo.dopo, errore))
        return std::nullopt;
    return guasto;
}
