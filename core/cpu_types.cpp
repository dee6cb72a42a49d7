#include "core/cpu_types.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr TipoCpu tipi_cpu[] = {
    {'t', "CPU: STM32F0 64K (256B)", 1},
    {'s', "CPU: STM32F1 128K (256B)", 2},
    {'W', "CPU: WGM110 1M (128B)", 3},
};

} // namespace

const TipoCpu *cerca_tipo_cpu(char lettera)
{
    const auto trovato = std::find_if(std::begin(tipi_cpu), std::end(tipi_cpu),
                                      [lettera](const TipoCpu &tipo) { return tipo.lettera == lettera; });
    return trovato == std::end(tipi_cpu) ? nullptr : trovato;
}
