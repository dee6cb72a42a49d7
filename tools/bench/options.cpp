#include "tools/bench/options.h"

namespace {

std::optional<qint64> numero(const QString &testo, qint64 minimo, qint64 massimo)
{
    bool ok = false;
    const qint64 valore = testo.toLongLong(&ok);
    if (!ok || valore < minimo || valore > massimo)
        return std::nullopt;
    return valore;
}

} // namespace

std::optional<OpzioniBanco> leggi_opzioni(const QStringList &argomenti, const QByteArray &seme_ambiente,
                                          QString &errore)
{
    OpzioniBanco opzioni;
    constexpr qint64 seme_massimo = 0xFFFFFFFF;
    if (!seme_ambiente.isEmpty()) {
        const std::optional<qint64> seme = numero(QString::fromLatin1(seme_ambiente), 0, seme_massimo);
        if (!seme) {
            errore = QStringLiteral("KESTRA_BENCH_SEED: not a number from 0 to %1").arg(seme_massimo);
            return std::nullopt;
        }
        opzioni.seme = quint32(*seme);
    }
    for (qsizetype i = 1; i < argomenti.size(); ++i) {
        const QString &argomento = argomenti[i];
        // "--name=value" or "--name value"; the value of --campaign may be left out.
        const qsizetype uguale = argomento.indexOf(u'=');
        const QString nome = uguale < 0 ? argomento : argomento.left(uguale);
        std::optional<QString> valore;
        if (uguale >= 0)
            valore = argomento.mid(uguale + 1);
        const bool segue_numero = i + 1 < argomenti.size() && numero(argomenti[i + 1], 0, seme_massimo);
        if (nome == QLatin1String("-h") || nome == QLatin1String("--help")) {
            opzioni.aiuto = true;
        } else if (nome == QLatin1String("--campaign")) {
            if (!valore && segue_numero)
                valore = argomenti[++i];
            const std::optional<qint64> n = valore ? numero(*valore, 1, OpzioniBanco::aggiornamenti_massimi)
                                                   : OpzioniBanco::aggiornamenti_predefiniti;
            if (!n) {
                errore = QStringLiteral("--campaign: updates from 1 to %1").arg(OpzioniBanco::aggiornamenti_massimi);
                return std::nullopt;
            }
            opzioni.campagna = int(*n);
        } else if (nome == QLatin1String("--seed")) {
            if (!valore && i + 1 < argomenti.size())
                valore = argomenti[++i];
            const std::optional<qint64> seme = valore ? numero(*valore, 0, seme_massimo) : std::nullopt;
            if (!seme) {
                errore = QStringLiteral("--seed: a number from 0 to %1").arg(seme_massimo);
                return std::nullopt;
            }
            opzioni.seme = quint32(*seme);
        } else if (!opzioni.prove && !argomento.startsWith(u'-')) {
            const std::optional<qint64> prove = numero(argomento, 1, OpzioniBanco::prove_massime);
            if (!prove) {
                errore = QStringLiteral("runs: from 1 to %1").arg(OpzioniBanco::prove_massime);
                return std::nullopt;
            }
            opzioni.prove = int(*prove);
        } else {
            errore = QStringLiteral("unknown argument: %1").arg(argomento);
            return std::nullopt;
        }
    }
    if (!opzioni.campagna && !opzioni.prove)
        opzioni.prove = OpzioniBanco::prove_predefinite;
    return opzioni;
}

QString uso_banco()
{
    return QStringLiteral(
               "usage: kestra-bench [runs] [--campaign [updates]] [--seed N]\n"
               "  runs           time the window, kestra-flash and the floor client: the median of\n"
               "                 this many runs per figure (1 to %1, default %2)\n"
               "  --campaign     updates against a module that stalls once and refuses about half\n"
               "                 the verifications, each front end judged against what the module\n"
               "                 answered (default %3 updates); alone it skips the timings\n"
               "  --seed N       the campaign's random seed (default KESTRA_BENCH_SEED, else %4)\n")
        .arg(OpzioniBanco::prove_massime)
        .arg(OpzioniBanco::prove_predefinite)
        .arg(OpzioniBanco::aggiornamenti_predefiniti)
        .arg(OpzioniBanco::seme_predefinito);
}
