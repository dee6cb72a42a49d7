#include "core/statuses.h"

#include <array>

namespace {

// In the order in which they are compared.
constexpr std::array<Testo, 6> stati_tradotti{
    stato::attesa_connessione,
    stato::connesso,
    stato::trasferimento,
    stato::trasferimento_ok,
    stato::verifica_crc,
    stato::programmazione_avviata,
};

} // namespace

QString scambia_stato(const QString &testo, int lingua)
{
    for (const Testo &stato : stati_tradotti) {
        if (testo == stato.in_altra(lingua))
            return stato.in(lingua);
    }
    return testo;
}
