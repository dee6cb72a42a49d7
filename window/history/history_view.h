#pragma once

#include "core/language.h"
#include "history/reading.h"
#include "history/server_config.h"
#include "history/sync.h"
#include "window/history/history_model.h"

#include <QDialog>
#include <QSortFilterProxyModel>

#include <optional>

class Dialoghi;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// Where the history view reads: the station's file, and the plant's server
// when one is configured.
struct FontiStorico
{
    QString percorso;
    ConfigurazioneServer server;
};

// What the window knows of its history's health: the problems its writer
// told, and how the last sending to the plant's server went.
struct SaluteStorico
{
    QStringList problemi;
    std::optional<EsitoInvio> invio;
};

// The window's view of the update history, "Cronologia" / "History": the
// newest records, newest first, read only and off the window's thread, so
// that it never holds an update up; a box that narrows the list; "Esporta
// CSV..." of what is shown; this station or every station when a plant's
// server is configured; and, in words, what is wrong with the history.
class VistaStorico final : public QDialog
{
    Q_OBJECT

public:
    // At most so many of the newest records are shown.
    static constexpr int limite = 1000;

    VistaStorico(Dialoghi &dialoghi, FontiStorico fonti, int lingua, QWidget *parent = nullptr);

    void imposta_lingua(int lingua);
    void imposta_salute(const SaluteStorico &salute);
    // Reads the records again.
    void aggiorna();

signals:
    // The records read are shown.
    void letto();

private:
    struct Lettura
    {
        QList<Tentativo> tentativi;
        EsitoLettura esito;
    };

    void crea_controlli();
    void mostra(const Lettura &lettura);
    void mostra_stato();
    void esporta();
    QString testo(const Testo &testo) const { return testo.in(m_lingua); }

    Dialoghi &m_dialoghi;
    const FontiStorico m_fonti;
    int m_lingua;
    ModelloStorico m_modello;
    QSortFilterProxyModel m_filtrato;
    std::optional<EsitoLettura> m_letto;
    SaluteStorico m_salute;

    QLineEdit *m_filtro = nullptr;
    QComboBox *m_ambito = nullptr;
    QTableView *m_tabella = nullptr;
    QLabel *m_stato = nullptr;
    QPushButton *m_esporta = nullptr, *m_chiudi = nullptr;
};
