#include "app/form1.h"

#include "app/dialogs.h"
#include "app/form2.h"
#include "app/lamp.h"
#include "app/stacking.h"
#include "texts/captions.h"
#include "texts/statuses.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

Form1::Form1(Dialoghi &dialoghi, QString cartella_programma, QString indirizzo_access_point, quint16 porta,
             QWidget *parent)
    : QMainWindow(parent)
    , m_dialoghi(dialoghi)
    , m_cartella_programma(std::move(cartella_programma))
    , m_indirizzo_access_point(std::move(indirizzo_access_point))
    , m_porta(porta)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KESTRA Firmware updater"));
    crea_controlli();
    crea_menu();
    setFixedSize(sizeHint());

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(&m_canale, &CanaleComandi::connesso, this, &Form1::Winsock1_Connect);
    connect(&m_canale, &CanaleComandi::errore, this, &Form1::Winsock1_Error);
}

Form1::~Form1() = default;

void Form1::crea_menu()
{
    menu_lingua = menuBar()->addMenu(QStringLiteral("Italiano"));
    menu_lingua->setObjectName(QStringLiteral("menu_lingua"));
    const char *voci[] = {"Italiano", "English"};
    for (int indice = 0; indice < 2; ++indice) {
        QAction *voce = menu_lingua->addAction(QLatin1String(voci[indice]));
        voce->setObjectName(QStringLiteral("menu_lingua_item_%1").arg(indice));
        voce->setCheckable(true);
        voce->setChecked(indice == 0);
        connect(voce, &QAction::triggered, this, [this, indice] { menu_lingua_item_Click(indice); });
        menu_lingua_item[indice] = voce;
    }
}

void Form1::avvia()
{
    show();
    const QString cartella = m_cartella_programma.isEmpty() ? QCoreApplication::applicationDirPath()
                                                             : m_cartella_programma;
    m_stato.percorso_app = QDir(cartella).absolutePath() + QLatin1Char('/');
    carica_parametri();
    imposta_lingua();
    stato_in(stato::attesa_connessione);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!m_in_chiusura) {
        m_in_chiusura = true;
        salva_parametri();
        m_canale.chiudi();
        // Every wait in progress ends now and the handler that waited returns
        // without sending anything more.
        m_canale.attesa().interrompi();
        if (m_form2)
            m_form2->close();
    }
    event->accept();
}

void Form1::Command1_Click()
{
    close();
}

void Form1::Check1_Click()
{
    const bool in_primo_piano = Check1->checkState() == Qt::Checked;
    imposta_sempre_in_primo_piano(*this, in_primo_piano);
    // An open password dialog stays above the window.
    if (m_form2) {
        imposta_sempre_in_primo_piano(*m_form2, in_primo_piano);
        m_form2->raise();
    }
}

void Form1::menu_lingua_item_Click(int indice)
{
    m_stato.lingua = indice == 1 ? 1 : 0;
    imposta_lingua();
}

void Form1::imposta_lingua()
{
    const int lingua = m_stato.lingua;
    m_traduzione_qt.imposta(lingua);
    menu_lingua->setTitle(titolo_menu_lingua(lingua));
    menu_lingua_item[0]->setChecked(lingua == 0);
    menu_lingua_item[1]->setChecked(lingua != 0);

    for (const DidascaliaControllo &didascalia : didascalie_fisse()) {
        QWidget *controllo = findChild<QWidget *>(QLatin1String(didascalia.controllo));
        const QString testo = didascalia.testo.in(lingua);
        if (auto *cornice = qobject_cast<QGroupBox *>(controllo))
            cornice->setTitle(testo);
        else if (auto *pulsante = qobject_cast<QAbstractButton *>(controllo))
            pulsante->setText(testo);
        else if (auto *etichetta = qobject_cast<QLabel *>(controllo))
            etichetta->setText(testo);
    }
    for (const EtichettaConPrefisso &etichetta : etichette_con_prefisso()) {
        auto *label = findChild<QLabel *>(QLatin1String(etichetta.controllo));
        label->setText(scambia_prefisso(label->text(), etichetta.prefisso, lingua));
    }
    Text2->setText(scambia_stato(Text2->text(), lingua));
}

int Form1::mostra(const Messaggio &messaggio, const QString &valore)
{
    QString testo = this->testo(messaggio.testo);
    if (!valore.isNull())
        testo = testo.arg(valore);
    m_stato.risposta = m_dialoghi.mostra_messaggio(this, this->testo(messaggio.titolo), testo,
                                                    messaggio.icona, messaggio.pulsanti);
    return m_stato.risposta;
}

void Form1::stato_in(const Testo &testo)
{
    Text2->setText(this->testo(testo));
}

void Form1::imposta_pulsanti(std::initializer_list<std::pair<QPushButton *, bool>> pulsanti)
{
    for (const auto &[pulsante, abilitato] : pulsanti)
        pulsante->setEnabled(abilitato);
}

bool Form1::indirizzo_access_point() const
{
    return Text1->text() == m_indirizzo_access_point;
}
