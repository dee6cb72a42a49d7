// The simulator's cutting of the module's byte stream into commands.
//
// Input: one byte whose value modulo 32 is the length of the expected
// password, that many password bytes, then chunks as they would arrive on the
// socket, each after one byte: bits 0..6 its length, bit 7 "the line then
// goes quiet". After each chunk the commands are drained as the simulator
// does; a quiet line then takes what is left.

#include "fuzz/fuzz_check.h"
#include "sim/command_framing.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

constexpr int lunghezza_massima_password = DivisoreComandi::lunghezza_massima_password;
const QByteArray testa_password = QByteArrayLiteral("PAS=");

// Longer than anything that may be left waiting between two arrivals.
qsizetype attesa_massima()
{
    int massima = lunghezza_massima_password - 1;
    for (const FormatoComando &formato : formati_comando())
        massima = std::max(massima, formato.lunghezza - 1);
    return massima;
}

bool comando_ben_formato(const QByteArray &comando)
{
    for (const FormatoComando &formato : formati_comando()) {
        if (!comando.startsWith(formato.testa))
            continue;
        if (formato.lunghezza > 0)
            return comando.size() == formato.lunghezza;
        return comando.size() <= lunghezza_massima_password;
    }
    return false;
}

// Commands are taken in order from the stream, never overlapping.
class Registro
{
public:
    void flusso(QByteArrayView dati) { m_flusso.append(dati); }

    void comando(const QByteArray &comando)
    {
        richiedi(comando_ben_formato(comando), "a known head with its length");
        const qsizetype dove = m_flusso.indexOf(comando, m_fine);
        richiedi(dove >= 0, "commands come in order from the stream");
        m_fine = dove + comando.size();
    }

private:
    QByteArray m_flusso;
    qsizetype m_fine = 0;
};

void svuota(DivisoreComandi &divisore, QByteArrayView password, Registro &registro)
{
    while (const std::optional<QByteArray> comando = divisore.prossimo(password)) {
        registro.comando(*comando);
        if (comando->startsWith(testa_password))
            richiedi(comando->sliced(testa_password.size()) == password
                         || comando->size() == lunghezza_massima_password,
                     "a password is taken early only when it is the expected one");
    }
    richiedi(divisore.in_attesa() <= attesa_massima(), "what waits is less than one command");
}

void a_riposo(DivisoreComandi &divisore, Registro &registro)
{
    if (const std::optional<QByteArray> comando = divisore.a_riposo()) {
        registro.comando(*comando);
        richiedi(comando->startsWith(testa_password), "only a password is taken when the line goes quiet");
    }
    richiedi(divisore.in_attesa() == 0, "nothing waits after the line went quiet");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t dimensione)
{
    QByteArrayView ingresso(dati, qsizetype(dimensione));
    if (ingresso.isEmpty())
        return 0;
    const qsizetype lunghezza_password = qMin(qsizetype(quint8(ingresso[0]) % 32), ingresso.size() - 1);
    const QByteArrayView password = ingresso.sliced(1, lunghezza_password);
    ingresso = ingresso.sliced(1 + lunghezza_password);

    DivisoreComandi divisore;
    Registro registro;
    while (!ingresso.isEmpty()) {
        const quint8 intestazione = quint8(ingresso[0]);
        const QByteArrayView pezzo = ingresso.sliced(1, qMin(qsizetype(intestazione & 0x7F), ingresso.size() - 1));
        ingresso = ingresso.sliced(1 + pezzo.size());
        divisore.aggiungi(pezzo);
        registro.flusso(pezzo);
        svuota(divisore, password, registro);
        if (intestazione & 0x80)
            a_riposo(divisore, registro);
    }
    return 0;
}
