// The reply to "FWI", the labels shown from it, and formatta_hex. The last
// five bytes of the input also give a float (four bytes) and a digit count
// (-16..16) for formatta_hex.

#include "fuzz/fuzz_check.h"
#include "core/hex_format.h"
#include "core/identity.h"
#include "core/labels.h"

#include <QByteArrayView>
#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr qsizetype lunghezza_risposta = 20; // the bytes of the reply that are read

bool stessa_identita(const IdentitaDispositivo &a, const IdentitaDispositivo &b)
{
    return a.info_disponibile == b.info_disponibile && a.maggiore == b.maggiore && a.minore == b.minore
           && a.scheda == b.scheda && a.nome_file == b.nome_file && a.giorno == b.giorno && a.mese == b.mese
           && a.anno == b.anno;
}

void verifica_identita(QByteArrayView risposta)
{
    const IdentitaDispositivo identita = leggi_identita(risposta);
    richiedi(identita.info_disponibile != (risposta == QByteArrayView(risposta_info_non_disponibile)),
             "no information only for the exact \"FWI=???\"");
    richiedi(stessa_identita(identita, leggi_identita(risposta.first(qMin(risposta.size(), lunghezza_risposta)))),
             "bytes after the twentieth are ignored");
    richiedi(identita.scheda.size() <= 4 && identita.nome_file.size() <= 8, "text field lengths");
    richiedi(identita.giorno <= 31 && identita.mese <= 15 && identita.anno <= 127, "date bit fields");

    static const QRegularExpression forma_data(QStringLiteral("^[0-9]{2}\\.[0-9]{2}\\.[0-9]{2,3}$"));
    richiedi(forma_data.match(testo_data(identita)).hasMatch(), "date as dd.mm.yy");
    static const QRegularExpression forma_firmware(QStringLiteral("^Firmware: v\\.[0-9]{1,3}\\.[0-9A-F]{2}$"));
    richiedi(forma_firmware.match(etichetta_firmware_dispositivo(identita)).hasMatch(),
             "firmware label as major.HH");
}

// The text of each digit count is the tail of the eight-digit text, padded
// with zeros beyond eight digits.
void verifica_hex(float valore, int cifre)
{
    const QString testo = formatta_hex(valore, cifre);
    richiedi(testo.size() == qMax(cifre, 0), "exactly the digits asked for");
    static const QRegularExpression forma(QStringLiteral("^[0-9A-F]*$"));
    richiedi(forma.match(testo).hasMatch(), "upper-case hexadecimal digits");
    const QString otto = formatta_hex(valore, 8);
    const QString atteso = cifre <= 8 ? otto.right(qMax(cifre, 0)) : otto.rightJustified(cifre, u'0');
    richiedi(testo == atteso, "digits cut or padded from the same value");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t dimensione)
{
    const QByteArrayView risposta(dati, qsizetype(dimensione));
    verifica_identita(risposta);

    float valore = 0;
    if (dimensione < sizeof valore + 1)
        return 0;
    std::memcpy(&valore, dati + dimensione - sizeof valore - 1, sizeof valore);
    verifica_hex(valore, int(int8_t(dati[dimensione - 1])) % 17);
    return 0;
}
