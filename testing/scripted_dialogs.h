#pragma once

#include "testing/scripted_answers.h"
#include "window/dialogs.h"

#include <QStringList>

#include <functional>

// Answers message boxes and the file dialog from a script and records what
// was shown.
class DialoghiScriptati final : public Dialoghi
{
public:
    struct RichiestaFile
    {
        QString titolo, cartella, filtro;
    };

    QList<Risposta> risposte;                // to the Yes/No boxes, in order; then No
    QList<std::optional<QString>> file; // chosen in the file dialog, in order; then Cancel
    QList<std::optional<QString>> da_scrivere; // chosen to be written, in order; then Cancel
    QStringList titoli, testi;          // of the boxes shown
    std::function<void()> al_messaggio; // runs while a box shows
    QList<RichiestaFile> richieste_file;

    Risposta mostra_messaggio(QWidget *, const QString &titolo, const QString &testo, Icona, Pulsanti pulsanti) override
    {
        titoli.append(titolo);
        testi.append(testo);
        if (al_messaggio)
            al_messaggio();
        return risposta_a(pulsanti, risposte);
    }

    std::optional<QString> scegli_file(QWidget *, const QString &titolo, const QString &cartella,
                                       const QString &filtro) override
    {
        richieste_file.append({titolo, cartella, filtro});
        return prossima_risposta(file, std::optional<QString>());
    }

    std::optional<QString> scegli_file_da_scrivere(QWidget *, const QString &titolo, const QString &filtro) override
    {
        richieste_file.append({titolo, {}, filtro});
        return prossima_risposta(da_scrivere, std::optional<QString>());
    }
};
