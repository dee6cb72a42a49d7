#pragma once

#include <QStringList>

#include <optional>

// What kestra-bench was asked to do.
//
//   kestra-bench [runs] [--campaign [updates]] [--seed N]
//
// With no --campaign it times the updaters, `runs` runs per figure; with
// --campaign alone it runs the stalled-link campaign alone; with both, the
// timings first. The seed of the campaign is --seed, else KESTRA_BENCH_SEED,
// else a fixed one, so that two runs of the same build make the same updates.
struct OpzioniBanco
{
    static constexpr int prove_predefinite = 5;
    static constexpr int prove_massime = 1000;
    static constexpr int aggiornamenti_predefiniti = 30;
    static constexpr int aggiornamenti_massimi = 10000;
    static constexpr quint32 seme_predefinito = 20240607;

    std::optional<int> prove;   // the timings, and their runs per figure
    std::optional<int> campagna; // the campaign, and its updates
    quint32 seme = seme_predefinito;
    bool aiuto = false;
};

// The options in `argomenti` (the program's name first); nothing, with the
// reason in `errore`, when they make no sense.
std::optional<OpzioniBanco> leggi_opzioni(const QStringList &argomenti, const QByteArray &seme_ambiente,
                                          QString &errore);

// The usage text, ending in a newline.
QString uso_banco();
