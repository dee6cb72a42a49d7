#include "cli/hints.h"

#include "core/commands.h"
#include "core/cpu_types.h"
#include "core/flash_texts.h"

#include <QStringList>
#include <algorithm>
#include <iterator>

namespace {

using Suggerimento = QString (*)(const FattiDellaCorsa &, int);

QString prova_indirizzo(const FattiDellaCorsa &f, int lingua)
{
    return testo_flash::prova_indirizzo.in(lingua).arg(f.indirizzo).arg(f.porta);
}

QString prova_password(const FattiDellaCorsa &, int lingua)
{
    return testo_flash::prova_password.in(lingua);
}

QString prova_access_point(const FattiDellaCorsa &f, int lingua)
{
    return (f.access_point_chiesto ? testo_flash::prova_access_point_di_nuovo : testo_flash::prova_access_point).in(lingua);
}

QString prova_force(const FattiDellaCorsa &, int lingua)
{
    return testo_flash::rifiutato.in(lingua);
}

QString prova_verifica(const FattiDellaCorsa &f, int lingua)
{
    return f.verdetto_ignoto ? testo_flash::verdetto_ignoto.in(lingua) : QString();
}

QString prova_rete_access_point(const FattiDellaCorsa &f, int lingua)
{
    return testo_flash::prova_rete_access_point.in(lingua, f.indirizzo_access_point);
}

// An unknown CPU letter, or an image larger than its CPU's area.
QString prova_file(const FattiDellaCorsa &f, int lingua)
{
    if (!f.intestazione)
        return {};
    const QString lettera(QLatin1Char(f.intestazione->tipo_cpu));
    if (!f.tipo) {
        QStringList note;
        for (const TipoCpu &noto : tipi_cpu())
            note.append(QStringLiteral("\"%1\"").arg(QLatin1Char(noto.lettera)));
        return testo_flash::prova_cpu.in(lingua).arg(lettera, note.join(QStringLiteral(", ")));
    }
    if (f.byte_immagine > f.tipo->byte_massimi())
        return testo_flash::prova_dimensione.in(lingua).arg(f.byte_immagine).arg(lettera).arg(f.tipo->byte_massimi());
    return {};
}

QString prova_pagina(const FattiDellaCorsa &f, int lingua)
{
    const qint64 pagine = (f.byte_immagine + dimensione_pagina - 1) / dimensione_pagina;
    return testo_flash::prova_pagina.in(lingua).arg(f.pagine_inviate + 1).arg(pagine);
}

constexpr std::pair<TipoEsito, Suggerimento> suggerimenti[] = {
    {TipoEsito::Connessione, &prova_indirizzo},
    {TipoEsito::Password, &prova_password},
    {TipoEsito::AccessPoint, &prova_access_point},
    {TipoEsito::ModoCambiato, &prova_rete_access_point},
    {TipoEsito::FileRifiutato, &prova_file},
    {TipoEsito::Trasferimento, &prova_pagina},
    {TipoEsito::Scheda, &prova_force},
    {TipoEsito::FileDanneggiato, &prova_force},
    {TipoEsito::Interrotto, &prova_verifica},
};

} // namespace

QString suggerimento(TipoEsito tipo, const FattiDellaCorsa &fatti, int lingua)
{
    const auto trovato = std::find_if(std::begin(suggerimenti), std::end(suggerimenti),
                                      [tipo](const auto &s) { return s.first == tipo; });
    return trovato == std::end(suggerimenti) ? QString() : trovato->second(fatti, lingua);
}
