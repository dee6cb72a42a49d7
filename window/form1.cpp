#include "window/form1.h"

#include "window/dialogs.h"
#include "window/form2.h"
#include "window/lamp.h"
#include "window/stacking.h"
#include "core/settings_store.h"
#include "core/captions.h"
#include "core/firmware_file.h"
#include "core/station.h"
#include "core/statuses.h"
#include "version.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>

Form1::Form1(Dialoghi &dialoghi, Collegamento &link, Storico *storico, FontiStorico fonti,
             QString cartella_programma, QString indirizzo_access_point, quint16 porta, QWidget *parent)
    : QMainWindow(parent)
    , m_dialoghi(dialoghi)
    , m_cartella_programma(std::move(cartella_programma))
    , m_fonti(std::move(fonti))
    , m_link(link)
    , m_aggiornatore(link, *this, std::move(indirizzo_access_point), porta)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KESTRA Firmware updater"));
    crea_controlli();
    crea_menu();
    setFixedSize(sizeHint());
    collega_controlli();
    m_aggiornatore.registra_in({storico, QStringLiteral("window"), QString::fromLatin1(versione_kestra), false,
                                nome_stazione({}, m_fonti.server.stazione), {}, nome_utente()});
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
        connect(voce, &QAction::triggered, this, [this, indice] { menu_lingua_item_Click(indice); });
        menu_lingua_item[indice] = voce;
    }
    menu_cronologia = menuBar()->addAction(QStringLiteral("Cronologia"));
    menu_cronologia->setObjectName(QStringLiteral("menu_cronologia"));
    connect(menu_cronologia, &QAction::triggered, this, &Form1::apri_cronologia);
}

void Form1::collega_controlli()
{
    Aggiornatore *aggiornatore = &m_aggiornatore;
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, aggiornatore, &Aggiornatore::trasferisci);
    connect(Command3, &QPushButton::clicked, aggiornatore, &Aggiornatore::disconnetti);
    connect(Command4, &QPushButton::clicked, aggiornatore, &Aggiornatore::aggiorna);
    connect(Command5, &QPushButton::clicked, aggiornatore, &Aggiornatore::connetti);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, aggiornatore, &Aggiornatore::identifica);
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(Text1, &QLineEdit::textChanged, aggiornatore, &Aggiornatore::imposta_indirizzo);
    m_aggiornatore.imposta_indirizzo(Text1->text());
    passi(m_aggiornatore.passi());
}

void Form1::avvia()
{
    show();
    const QString cartella = m_cartella_programma.isEmpty() ? QCoreApplication::applicationDirPath()
                                                             : m_cartella_programma;
    // Where an installed copy is: its own install folder, and the usual ones.
    const QStringList di_sistema{QStringLiteral(KESTRA_CARTELLA_PROGRAMMI), QStringLiteral("/usr/bin"),
                                 QStringLiteral("/usr/local/bin"), QStringLiteral("/bin")};
    m_percorso_app = cartella_impostazioni(QDir(cartella).absolutePath() + u'/',
                                           QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u'/',
                                           di_sistema);
    carica_parametri();
    imposta_lingua();
    stato(stato::attesa_connessione, {});
    // Only a history that is there has anything to send: starting changes nothing in it.
    if (QFileInfo::exists(m_fonti.percorso))
        sincronizza_storico();
}

void Form1::closeEvent(QCloseEvent *event)
{
    salva_parametri();
    // Every wait in progress ends now and the step that waited returns
    // without sending or showing anything more.
    m_aggiornatore.termina();
    if (m_form2)
        m_form2->close();
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

void Form1::Command6_Click()
{
    // A file opened while a transfer or an update waits for the device would change what it sends.
    if (!m_aggiornatore.disponibile(Passo::Apri))
        return;
    static constexpr Testo titolo{"Apri Firmware", "Open Firmware"};
    const std::optional<QString> scelta = m_dialoghi.scegli_file(
        this, testo(titolo), m_aggiornatore.stato().percorso_firmware, QStringLiteral("File BIN (*.BIN)"));
    if (scelta)
        m_aggiornatore.apri(percorso_di(*scelta));
}

void Form1::menu_lingua_item_Click(int indice)
{
    m_lingua = indice == 1 ? 1 : 0;
    imposta_lingua();
}

void Form1::imposta_lingua()
{
    const int lingua = m_lingua;
    m_traduzione_qt.imposta(lingua);
    menu_lingua->setTitle(titolo_menu_lingua(lingua));
    menu_lingua_item[0]->setChecked(lingua == 0);
    menu_lingua_item[1]->setChecked(lingua != 0);
    static constexpr Testo cronologia{"&Cronologia", "&History"};
    menu_cronologia->setText(cronologia.in(lingua));
    if (m_vista)
        m_vista->imposta_lingua(lingua);

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
    annuncia_stato();
    ProgressBar1->setAccessibleName(nome_accessibile::avanzamento.in(lingua));
    Command5->setAccessibleName(nome_accessibile::connetti_modulo.in(lingua));
    Command7->setAccessibleName(nome_accessibile::connetti_dispositivo.in(lingua));
    for (QFrame *lampada : {Shape1, Shape2, Shape3, Shape4})
        lampada::nomina(lampada, lingua);
}
