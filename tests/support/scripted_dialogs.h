#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QString>

// Answers message boxes and the file dialog from a script and records what
// was shown.
class DialoghiScriptati final : public Dialoghi
{
public:
    struct Box
    {
        QString titolo;
        QString testo;
        Icona icona;
        Pulsanti pulsanti;
    };
    struct RichiestaFile
    {
        QString titolo;
        QString cartella;
        QString filtro;
    };

    // Answers for the Yes/No boxes, in order; when the script runs out, No.
    QList<int> risposte;
    // Answers for the file dialog, in order; nullopt is Cancel. When the
    // script runs out, Cancel.
    QList<std::optional<QString>> file;

    QList<Box> mostrati;
    QList<RichiestaFile> richieste_file;

    int mostra_messaggio(QWidget *, const QString &titolo, const QString &testo, Icona icona,
                         Pulsanti pulsanti) override
    {
        mostrati.append({titolo, testo, icona, pulsanti});
        if (pulsanti == Pulsanti::Ok)
            return risposta_ok;
        return risposte.isEmpty() ? risposta_no : risposte.takeFirst();
    }

    std::optional<QString> scegli_file(QWidget *, const QString &titolo, const QString &cartella,
                                       const QString &filtro) override
    {
        richieste_file.append({titolo, cartella, filtro});
        return file.isEmpty() ? std::nullopt : file.takeFirst();
    }

    QStringList titoli() const
    {
        QStringList elenco;
        for (const Box &box : mostrati)
            elenco.append(box.titolo);
        return elenco;
    }
};
