#pragma once

#include "app/conversation.h"
#include "app/qt_translation.h"
#include "app/shared_state.h"
#include "link/command_channel.h"
#include "texts/messages.h"

#include <QMainWindow>
#include <QPointer>
#include <optional>

class Dialoghi;
struct IdentitaDispositivo;
class Form2;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

// The updater's one window: it owns the controls, the link to the module and
// the state that the steps of an update share.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr const char *indirizzo_access_point_predefinito = "192.168.1.1";
    static constexpr quint16 porta_predefinita = 7999;

    // `cartella_programma`: where "BootLoader.ini" is kept (empty: the
    // program's own folder).
    explicit Form1(Dialoghi &dialoghi, QString cartella_programma = {},
                   QString indirizzo_access_point = QString::fromLatin1(indirizzo_access_point_predefinito),
                   quint16 porta = porta_predefinita, QWidget *parent = nullptr);
    ~Form1() override;

    // Shows the window, then loads the settings and applies the language.
    void avvia();

    const StatoCondiviso &stato() const { return m_stato; }
    CanaleComandi &canale() { return m_canale; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Start-up, shut-down and the window's own controls.
    void crea_controlli();
    void crea_menu();
    void Command1_Click();
    void Check1_Click();
    void menu_lingua_item_Click(int indice);
    void imposta_lingua();
    void carica_parametri();
    void salva_parametri();

    // Command channel.
    void Winsock1_Connect();
    void Winsock1_Error();
    void chiudi_socket();

    // Module access.
    void Command5_Click();
    void invia_password();
    void cambia_modo();
    void reset();
    void accedi_con_password();
    bool attendi_password();
    bool comando_risposto() const;

    // Identification.
    void Command7_Click();
    void mostra_identita(const IdentitaDispositivo &identita);
    void Command3_Click();

    // Firmware file.
    void Command6_Click();
    void aprifile();

    // Programming.
    void Command2_Click();
    std::optional<Testo> trasferisci();
    bool cancella();
    std::optional<Testo> invia_pagina(const QByteArray &dati, quint32 indirizzo);
    void Command4_Click();

    // Shows a message box in the current language; the answer goes to risposta.
    int mostra(const Messaggio &messaggio, const QString &valore = {});
    QString testo(const Testo &testo) const { return testo.in(m_stato.lingua); }
    void stato_in(const Testo &testo); // writes Text2
    void imposta_pulsanti(std::initializer_list<std::pair<QPushButton *, bool>> pulsanti);
    bool indirizzo_access_point() const;

    Dialoghi &m_dialoghi;
    QString m_cartella_programma;
    QString m_indirizzo_access_point;
    quint16 m_porta;

    StatoCondiviso m_stato;
    CanaleComandi m_canale;
    bool m_conversazione_in_corso = false;
    bool m_in_chiusura = false;
    QPointer<Form2> m_form2;
    TraduzioneQt m_traduzione_qt;

    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr, *Frame3 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
                *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr;
    QLabel *Label1 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label7 = nullptr,
           *Label9 = nullptr, *Label11 = nullptr, *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr;
    QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text4 = nullptr;
    QFrame *Shape1 = nullptr, *Shape2 = nullptr, *Shape3 = nullptr, *Shape4 = nullptr;
    QCheckBox *Check1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QMenu *menu_lingua = nullptr;
    QAction *menu_lingua_item[2] = {};
};
