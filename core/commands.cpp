#include "core/commands.h"

#include "core/checksums.h"
#include "core/cpu_types.h"
#include "core/identity.h"

#include <initializer_list>

namespace {

constexpr int kb_per_blocco = 64;

QByteArray con_byte(const char *prefisso, std::initializer_list<int> valori)
{
    QByteArray comando(prefisso);
    for (const int valore : valori)
        comando += char(valore);
    return comando;
}

} // namespace

QByteArray comando_password(const QString &password)
{
    return QByteArrayLiteral("PAS=") + password.toLatin1();
}

QByteArray comando_access_point()
{
    return con_byte("MOP=", {2});
}

QByteArray comando_reset()
{
    return QByteArrayLiteral("RST!");
}

QByteArray comando_identificazione()
{
    return QByteArrayLiteral("FWI");
}

FormaRisposta forma_risposta(QByteArrayView comando)
{
    static constexpr std::pair<const char *, FormaRisposta> forme[] = {
        {"PG", {1}}, {"FWI", {20, risposta_info_non_disponibile}}, {"PAS=", {4}}, {"MOP=", {4}}, {"RST!", {4}},
    };
    for (const auto &[testa, forma] : forme) {
        if (comando.startsWith(testa))
            return forma;
    }
    return {};
}

bool risposta_intera(const FormaRisposta &forma, QByteArrayView ricevuti)
{
    return ricevuti.size() >= forma.byte || (forma.intera_se && ricevuti == QByteArrayView(forma.intera_se));
}

QList<QByteArray> comandi_cancellazione(const TipoCpu &tipo)
{
    if (!tipo.cancellazione_a_blocchi)
        return {con_byte("PGF", {0})};
    QList<QByteArray> comandi;
    for (int blocco = 0; blocco < tipo.kb_area / kb_per_blocco; ++blocco)
        comandi.append(con_byte("PGS", {blocco}));
    return comandi;
}

QByteArray comando_mezza_pagina(const TipoCpu &tipo, quint32 offset, QByteArrayView dati)
{
    QByteArray comando = con_byte(tipo.comando_mezza_pagina, {int(offset >> 16), int(offset >> 8), int(offset)});
    comando += dati;
    comando += char(check_calc(dati));
    return comando;
}

QByteArray comando_verifica(const TipoCpu &tipo, int pagine_inviate, int crc_alto, int crc_basso)
{
    return con_byte(tipo.comando_verifica, {pagine_inviate / 256, pagine_inviate % 256, crc_alto, crc_basso});
}
