#include "core/programming_commands.h"

#include "core/checksums.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace {

constexpr int codice_wgm110 = 3;

struct AreaCpu
{
    int codice;
    int kb;
};

constexpr AreaCpu aree_cpu[] = {
    {1, 64},
    {2, 128},
    {codice_wgm110, 756},
};

QByteArray con_byte(const char *prefisso, std::initializer_list<int> valori)
{
    QByteArray comando(prefisso);
    for (const int valore : valori)
        comando += char(valore);
    return comando;
}

} // namespace

bool cancellazione_a_blocchi(int codice_cpu)
{
    return codice_cpu == 1 || codice_cpu == 2;
}

int kb_da_cancellare(int codice_cpu, int precedente)
{
    const auto area = std::find_if(std::begin(aree_cpu), std::end(aree_cpu),
                                   [codice_cpu](const AreaCpu &a) { return a.codice == codice_cpu; });
    return area == std::end(aree_cpu) ? precedente : area->kb;
}

qint64 byte_area_cpu(int codice_cpu)
{
    const int kb = kb_da_cancellare(codice_cpu, 0);
    return kb > 0 ? qint64(kb) * 1024 : qint64(pagine_massime) * dimensione_pagina;
}

QByteArray comando_cancella_blocco(int blocco)
{
    return con_byte("PGS", {blocco});
}

QByteArray comando_cancella_tutto()
{
    return con_byte("PGF", {0});
}

QByteArray comando_mezza_pagina(int codice_cpu, quint32 offset, QByteArrayView dati)
{
    QByteArray comando = con_byte(cancellazione_a_blocchi(codice_cpu) ? "PGP" : "PGp",
                                  {int(offset >> 16), int(offset >> 8), int(offset)});
    comando += dati;
    comando += char(check_calc(dati));
    return comando;
}

QByteArray comando_verifica(int codice_cpu, int pagine_inviate, int crc_alto, int crc_basso)
{
    return con_byte(codice_cpu == codice_wgm110 ? "PGW" : "PGX",
                    {pagine_inviate / 256, pagine_inviate % 256, crc_alto, crc_basso});
}

int attesa_verifica_ms(int codice_cpu)
{
    return codice_cpu == codice_wgm110 ? 20000 : 5000;
}
