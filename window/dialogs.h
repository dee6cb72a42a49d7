#pragma once

#include "core/messages.h"

#include <QString>
#include <optional>

class QWidget;

// Every message box and the file-open dialog go through here, so that tests
// can script the answers.
class Dialoghi
{
public:
    virtual ~Dialoghi() = default;

    // Shows a modal message box; returns the button pressed.
    virtual Risposta mostra_messaggio(QWidget *parent, const QString &titolo, const QString &testo, Icona icona,
                                      Pulsanti pulsanti) = 0;

    // Asks for a file to open; the full path, or nothing when cancelled.
    // The file need not exist.
    virtual std::optional<QString> scegli_file(QWidget *parent, const QString &titolo,
                                               const QString &cartella, const QString &filtro) = 0;
    // Asks for a file to write; the full path, or nothing when cancelled.
    virtual std::optional<QString> scegli_file_da_scrivere(QWidget *parent, const QString &titolo,
                                                           const QString &filtro) = 0;
};

// The real boxes and dialog.
class DialoghiQt final : public Dialoghi
{
public:
    Risposta mostra_messaggio(QWidget *parent, const QString &titolo, const QString &testo, Icona icona,
                              Pulsanti pulsanti) override;
    std::optional<QString> scegli_file(QWidget *parent, const QString &titolo,
                                       const QString &cartella, const QString &filtro) override;
    std::optional<QString> scegli_file_da_scrivere(QWidget *parent, const QString &titolo,
                                                   const QString &filtro) override;
};
