#include "core/cpu_types.h"

#include "core/commands.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr TipoCpu tipi[] = {
    {'t', "CPU: STM32F0 64K (256B)", 1, 64, true, "PGP", "PGX", 5000, Domanda::ConfermaAggiornamento, false, {}},
    {'s', "CPU: STM32F1 128K (256B)", 2, 128, true, "PGP", "PGX", 5000, Domanda::ConfermaAggiornamento, false, {}},
    {'W', "CPU: WGM110 1M (128B)", 3, 756, false, "PGp", "PGW", 20000, Domanda::ConfermaAggiornamentoWgm110, true,
     Avviso::SchedaSenzaWgm110},
};

// Erased at once, written with "PGp" and verified with "PGX": what an image
// of an unknown type would get, had it not been refused.
constexpr TipoCpu sconosciuto{'\0', "CPU:", 0, 0, false, "PGp", "PGX", 5000, Domanda::ConfermaAggiornamento, false, {}};

} // namespace

qint64 TipoCpu::byte_massimi() const
{
    return kb_area > 0 ? qint64(kb_area) * 1024 : qint64(pagine_massime) * dimensione_pagina;
}

const TipoCpu *cerca_tipo_cpu(char lettera)
{
    const auto trovato = std::find_if(std::begin(tipi), std::end(tipi),
                                      [lettera](const TipoCpu &tipo) { return tipo.lettera == lettera; });
    return trovato == std::end(tipi) ? nullptr : trovato;
}

std::span<const TipoCpu> tipi_cpu()
{
    return tipi;
}

const TipoCpu &tipo_cpu_sconosciuto()
{
    return sconosciuto;
}
