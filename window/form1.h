#pragma once

#include "window/qt_translation.h"
#include "core/module.h"
#include "engine/report.h"
#include "engine/updater.h"
#include "window/history/history_view.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

class Dialoghi;
class Form2;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

// The updater's one window. It builds the controls, hands each click to the
// update engine and shows what the engine reports; the language, the
// always-on-top switch and the settings are its own.
class Form1 : public QMainWindow, private Rapporto
{
    Q_OBJECT

public:
    // The module is reached over `link`; update attempts are recorded in
    // `storico` (none: nowhere). `cartella_programma`: the folder
    // "BootLoader.ini" is looked for in first (empty: the program's own
    // folder). `indirizzo_access_point` and `porta`: where the module is
    // reached in Access Point mode.
    Form1(Dialoghi &dialoghi, Collegamento &link, Storico *storico, FontiStorico fonti,
          QString cartella_programma = {},
          QString indirizzo_access_point = QString::fromLatin1(indirizzo_access_point_predefinito),
          quint16 porta = porta_modulo, QWidget *parent = nullptr);
    ~Form1() override;

    // Shows the window, then loads the settings and applies the language;
    // sends what the plant's server lacks, off the window's thread.
    void avvia();

    // A problem of the history's, shown in its view.
    void problema_storico(const QString &problema);
    // Sends what the plant's server lacks, off the window's thread (after a record is written).
    void sincronizza_storico();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Start-up, shut-down and the window's own controls.
    void crea_controlli();
    void crea_menu();
    void collega_controlli();
    void Command1_Click();
    void Check1_Click();
    void Command6_Click();
    void menu_lingua_item_Click(int indice);
    void imposta_lingua();
    void apri_cronologia();
    void carica_parametri();
    void salva_parametri();

    // What the engine reports.
    void stato(const Testo &testo, const QString &valore) override;
    void tappa(Tappa tappa, StatoTappa stato) override;
    void passi(Passi disponibili) override;
    void file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione, const TipoCpu *tipo,
                     std::optional<qint32> crc_immagine) override;
    void identita(const IdentitaDispositivo &identita) override;
    void crc_trasferito(qint32 crc16) override;
    void indirizzo(const QString &indirizzo) override;
    void avanzamento(const Avanzamento &avanzamento) override;
    void occupato(bool occupato) override;
    Risposta chiedi(Domanda domanda, const QStringList &valori) override;
    void avvisa(Avviso avviso, const QStringList &valori) override;
    Risposta mostra(const Messaggio &messaggio, const QStringList &valori);
    std::optional<QString> chiedi_password() override;

    void annuncia_stato();
    void mostra_avanzamento();
    QString testo(const Testo &testo) const { return testo.in(m_lingua); }
    QFrame *Shape(Tappa tappa) const;

    Dialoghi &m_dialoghi;
    QString m_cartella_programma;
    QString m_percorso_app; // the folder that keeps "BootLoader.ini", with the trailing separator
    qint16 m_lingua = 0;    // 0 Italian, anything else English
    QPointer<Form2> m_form2;
    const FontiStorico m_fonti;
    SaluteStorico m_salute;
    QPointer<VistaStorico> m_vista;
    bool m_invio_in_corso = false, m_invio_ancora = false;
    Avanzamento m_avanzamento{Avanzamento::Fase::Cancellazione, 0, 0, 0}; // the last reported
    QElapsedTimer m_barra_mostrata; // since ProgressBar1 last took a value
    TraduzioneQt m_traduzione_qt;
    Collegamento &m_link;
    Aggiornatore m_aggiornatore;

    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
                *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr;
    QLabel *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label7 = nullptr, *Label11 = nullptr,
           *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr;
    QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text4 = nullptr;
    QFrame *Shape1 = nullptr, *Shape2 = nullptr, *Shape3 = nullptr, *Shape4 = nullptr;
    QCheckBox *Check1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QMenu *menu_lingua = nullptr;
    QAction *menu_cronologia = nullptr;
    QAction *menu_lingua_item[2] = {};
};
