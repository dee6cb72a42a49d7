#include "cli/outcomes.h"

#include "cli/texts.h"
#include "core/commands.h"
#include "core/cpu_types.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <map>

namespace {

using Suggerimento = QString (*)(const FattiDellaCorsa &, int);

QString niente(const FattiDellaCorsa &, int)
{
    return {};
}

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
    return (f.access_point_chiesto ? testo_flash::prova_access_point_di_nuovo : testo_flash::prova_access_point)
        .in(lingua);
}

QString prova_rete_access_point(const FattiDellaCorsa &f, int lingua)
{
    return testo_flash::prova_rete_access_point.in(lingua, f.indirizzo_access_point);
}

QString prova_force(const FattiDellaCorsa &, int lingua)
{
    return testo_flash::rifiutato.in(lingua);
}

// A run that ended while the device's verdict was on its way.
QString prova_verifica(const FattiDellaCorsa &f, int lingua)
{
    return f.fatti.verdetto_ignoto ? testo_flash::verdetto_ignoto.in(lingua) : QString();
}

// An unknown CPU letter, or an image larger than its CPU's area.
QString prova_file(const FattiDellaCorsa &f, int lingua)
{
    const Fatti &fatti = f.fatti;
    if (!fatti.intestazione)
        return {};
    const QString lettera(QLatin1Char(fatti.intestazione->tipo_cpu));
    if (!fatti.tipo) {
        QStringList note;
        for (const TipoCpu &noto : tipi_cpu())
            note.append(QStringLiteral("\"%1\"").arg(QLatin1Char(noto.lettera)));
        return testo_flash::prova_cpu.in(lingua).arg(lettera, note.join(QStringLiteral(", ")));
    }
    if (fatti.byte_immagine > fatti.tipo->byte_massimi())
        return testo_flash::prova_dimensione.in(lingua)
            .arg(fatti.byte_immagine)
            .arg(lettera)
            .arg(fatti.tipo->byte_massimi());
    return {};
}

QString prova_pagina(const FattiDellaCorsa &f, int lingua)
{
    const qint64 pagine = (f.fatti.byte_immagine + dimensione_pagina - 1) / dimensione_pagina;
    return testo_flash::prova_pagina.in(lingua).arg(f.fatti.pagine_inviate + 1).arg(pagine);
}

// What kestra-flash says of each kind of outcome, beside its class and exit
// code (core/outcome.cpp): what to try next, and its line in --help.
struct RigaUscita
{
    TipoEsito tipo;
    Suggerimento suggerimento;
    const char *aiuto;
};

constexpr std::array<RigaUscita, numero_tipi_esito> righe{{
    {TipoEsito::Completato, niente,
     "the device accepted the CRC16 and started programming; --check: the file passed; --identify: the identity "
     "was read; --reset: the module acknowledged"},
    {TipoEsito::Saltato, niente, "--skip-if-current: the device had the file's version; nothing was erased"},
    {TipoEsito::FileRifiutato, prova_file,
     "the firmware file was refused: missing, unreadable, no data, too large for its CPU, unknown CPU, bootloader "
     "other than 1.2/1.3"},
    {TipoEsito::FileDanneggiato, prova_force,
     "the firmware file is damaged or cut short: its image does not have the CRC16 its header gives (--force writes "
     "it all the same)"},
    {TipoEsito::Connessione, prova_indirizzo,
     "the module could not be reached: refused, unreachable, never completed, or lost before identification"},
    {TipoEsito::Password, prova_password, "the password was refused, unanswered, or none: give it with --password"},
    {TipoEsito::AccessPoint, prova_access_point, "the module is not in Access Point mode: run again with --switch-to-ap"},
    {TipoEsito::ModoCambiato, prova_rete_access_point,
     "the module was switched to Access Point mode: join its Wi-Fi network, wait 30 s, run again at its Access Point "
     "address"},
    {TipoEsito::Identificazione, niente, "the device did not identify itself, or not wholly"},
    {TipoEsito::Scheda, prova_force,
     "the file is for another board than the device reports (--force writes it all the same)"},
    {TipoEsito::Cancellazione, niente, "the erase failed"},
    {TipoEsito::Trasferimento, prova_pagina,
     "the page transfer failed: checksum refused, write failure, no reply, link lost"},
    {TipoEsito::Verifica, niente, "the verification failed: CRC16 error or no answer"},
    {TipoEsito::Riavvio, niente, "the module did not acknowledge its restart"},
    {TipoEsito::Rinuncia, niente, "a question was answered No"},
    {TipoEsito::Interrotto, prova_verifica, "a signal ended the run: Ctrl-C (130), SIGTERM (143), SIGHUP (129)"},
    {TipoEsito::NonDisponibile, niente, "the update history cannot be read"},
    {TipoEsito::Uso, niente, "bad options, no firmware file, or no terminal on standard input and no --yes"},
    {TipoEsito::StoricoDanneggiato, niente,
     "the history was listed, but for the records in its damaged pages (their number on standard error)"},
}};

constexpr bool in_ordine()
{
    for (std::size_t i = 0; i < righe.size(); ++i)
        if (righe[i].tipo != TipoEsito(i) || righe[i].suggerimento == nullptr || righe[i].aiuto == nullptr)
            return false;
    return true;
}
static_assert(in_ordine(), "every kind of outcome has its row, in order");

constexpr int larghezza = 80;
constexpr int rientro = 7; // "  130  "

// `testo` in lines that fit, the first after `inizio`, the others indented.
QString a_capo(const QString &inizio, const QString &testo)
{
    QString fatte, riga = inizio;
    for (const QString &parola : testo.split(u' ')) {
        if (riga.size() > rientro && riga.size() + 1 + parola.size() > larghezza) {
            fatte += riga + u'\n';
            riga = QString(rientro, u' ');
        } else if (riga.size() > rientro) {
            riga += u' ';
        }
        riga += parola;
    }
    return fatte + riga + u'\n';
}

} // namespace

QString testo_avviso(Avviso avviso, const QStringList &valori, int lingua, const QString &file)
{
    static constexpr Avviso del_file[] = {Avviso::FileInesistente, Avviso::FileCartella,  Avviso::FileNonRegolare,
                                          Avviso::FileCiclo,       Avviso::FileIlleggibile, Avviso::FileSenzaDati,
                                          Avviso::FileTroppoGrande};
    const Messaggio &messaggio = messaggio_di(avviso);
    const QString percorso = std::ranges::find(del_file, avviso) != std::end(del_file) ? file + QStringLiteral(": ")
                                                                                       : QString();
    return messaggio.titolo.in(lingua) + QStringLiteral(": ") + percorso + messaggio.testo.righe_in(lingua, valori);
}

QString testo_esito(const Esito &esito, int lingua, const QString &file)
{
    return esito.avviso ? testo_avviso(*esito.avviso, esito.valori, lingua, file) : esito.in(lingua);
}

QString suggerimento(TipoEsito tipo, const FattiDellaCorsa &fatti, int lingua)
{
    return righe[std::size_t(tipo)].suggerimento(fatti, lingua);
}

QString elenco_codici()
{
    std::map<int, QStringList> per_codice;
    for (const RigaUscita &riga : righe)
        per_codice[codice_uscita(riga.tipo)].append(QLatin1String(nome_tipo_esito(riga.tipo)) + QStringLiteral(": ")
                                                    + QLatin1String(riga.aiuto));
    QString elenco = QStringLiteral("\nExit codes:\n");
    for (const auto &[codice, significati] : per_codice) {
        QString inizio = QStringLiteral("%1  ").arg(codice, 5);
        for (const QString &significato : significati) {
            elenco += a_capo(inizio, significato);
            inizio = QString(rientro, u' ');
        }
    }
    return elenco;
}
