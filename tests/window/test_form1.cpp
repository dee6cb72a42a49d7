#include "app/dialogs.h"
#include "app/form1.h"
#include "sim/module_simulator.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

const QColor rosso(255, 0, 0);
const QColor verde(0, 255, 0);
// 127.0.0.2 is loopback and nothing listens there: as the Access Point
// address it makes the simulator's 127.0.0.1 "another address".
const char *const altro_ap = "127.0.0.2";

QByteArray leggi(const QString &percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray firmware(char cpu, const QByteArray &dati, const QByteArray &scheda = "BRD1")
{
    QByteArray file("\0?\0\0\x01\x02\x02\x13\0BRD1\x1A\x98", 15);
    file[1] = cpu;
    return file.replace(9, 4, scheda) + dati;
}

// The real window, offscreen, against the simulator on a free loopback port.
struct Banco
{
    explicit Banco(OpzioniSimulatore opzioni = {}, const char *indirizzo_ap = "127.0.0.1") : sim(std::move(opzioni))
    {
        if (!sim.listen(QHostAddress::LocalHost, 0))
            qFatal("the simulator cannot listen");
        finestra = std::make_unique<Form1>(dialoghi, cartella.path(), QString::fromLatin1(indirizzo_ap),
                                           sim.serverPort());
        finestra->avvia();
        trova<QLineEdit>("Text1")->setText(QStringLiteral("127.0.0.1"));
    }

    template<typename T = QWidget>
    T *trova(const char *nome) const
    {
        T *controllo = finestra->findChild<T *>(QLatin1String(nome));
        if (!controllo)
            qFatal("no control %s", nome);
        return controllo;
    }
    QString testo(const char *nome) const
    {
        if (auto *etichetta = finestra->findChild<QLabel *>(QLatin1String(nome)))
            return etichetta->text();
        return trova<QLineEdit>(nome)->text();
    }
    QColor lampada(const char *nome) const { return trova(nome)->palette().color(QPalette::Window); }
    void clicca(const char *nome) { QTest::mouseClick(trova<QPushButton>(nome), Qt::LeftButton); }
    void lingua(int indice) { trova<QAction>(qPrintable(QStringLiteral("menu_lingua_item_%1").arg(indice)))->trigger(); }
    QStringList abilitati() const
    {
        QStringList nomi;
        for (const char *nome : {"Command2", "Command3", "Command4", "Command5", "Command6", "Command7"})
            if (trova<QPushButton>(nome)->isEnabled())
                nomi.append(QLatin1String(nome));
        return nomi;
    }
    void apri(const QByteArray &contenuto, const QString &nome = QStringLiteral("FW.BIN"))
    {
        QFile file(cartella.filePath(nome));
        if (!file.open(QIODevice::WriteOnly) || file.write(contenuto) != contenuto.size())
            qFatal("cannot write the firmware file");
        file.close();
        dialoghi.file.append(file.fileName());
        clicca("Command6");
    }
    // Runs `azione` on the password dialog as soon as it shows.
    void al_dialogo_password(std::function<void(QDialog *)> azione)
    {
        auto *sonda = new QTimer(finestra.get());
        QObject::connect(sonda, &QTimer::timeout, sonda, [sonda, azione] {
            auto *dialogo = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            for (QWidget *finestra : QApplication::topLevelWidgets())
                if (finestra->objectName() == QLatin1String("Form2") && finestra->isVisible())
                    dialogo = qobject_cast<QDialog *>(finestra);
            if (!dialogo || dialogo->objectName() != QLatin1String("Form2"))
                return;
            sonda->deleteLater();
            sonda->stop();
            azione(dialogo);
        });
        sonda->start(5);
    }

    QTemporaryDir cartella;
    SimulatoreModulo sim;
    DialoghiScriptati dialoghi;
    std::unique_ptr<Form1> finestra;
};

OpzioniSimulatore stazione(QList<Guasto> guasti = {})
{
    OpzioniSimulatore opzioni;
    opzioni.modo = OpzioniSimulatore::Modo::Stazione;
    opzioni.guasti = std::move(guasti);
    return opzioni;
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void starts_in_italian_with_its_controls_in_place()
    {
        Banco banco;
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Attesa connessione..."));
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        for (const char *lampada : {"Shape1", "Shape2", "Shape3", "Shape4"})
            QCOMPARE(banco.lampada(lampada), rosso);
        QCOMPARE(banco.finestra->windowTitle(), QStringLiteral("KESTRA Firmware updater"));
        QCOMPARE(leggi(banco.cartella.filePath("BootLoader.ini")), QByteArray("Path = \r\nLanguage = 0\r\n"));

        const qreal dpi = banco.finestra->screen()->logicalDotsPerInch();
        const auto pixel = [dpi](int x, int y, int l, int a) {
            const auto p = [dpi](int twip) { return qRound(twip * dpi / 1440.0); };
            return QRect(p(x), p(y), p(l), p(a));
        };
        const std::pair<const char *, QRect> posti[] = {
            {"Frame1", pixel(120, 120, 4455, 1455)},  {"Command3", pixel(240, 840, 1095, 375)},
            {"Text1", pixel(2760, 360, 1455, 285)},   {"Label7", pixel(1800, 960, 2535, 255)},
            {"Frame2", pixel(120, 3120, 4455, 3255)}, {"Label12", pixel(1800, 480, 1215, 255)},
            {"Text2", pixel(240, 2280, 3975, 375)},   {"Shape2", pixel(3840, 1800, 375, 375)},
            {"Check1", pixel(120, 6600, 2175, 255)},  {"Command1", pixel(3600, 6480, 975, 375)},
        };
        for (const auto &[nome, posto] : posti)
            QCOMPARE(banco.trova(nome)->geometry(), posto);
        QCOMPARE(banco.finestra->centralWidget()->size(), pixel(0, 0, 4695, 6990).size());
    }

    void starts_in_english_from_the_settings()
    {
        QTemporaryDir cartella;
        QFile ini(cartella.filePath("BootLoader.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("Path = /fw/\r\nLanguage = 1\r\n");
        ini.close();
        DialoghiScriptati dialoghi;
        Form1 finestra(dialoghi, cartella.path(), "127.0.0.1", 1);
        finestra.avvia();
        QCOMPARE(finestra.findChild<QLineEdit *>("Text2")->text(), QStringLiteral("Waiting for connection..."));
        QCOMPARE(finestra.findChild<QLabel *>("Label13")->text(), QStringLiteral("File name:"));
        QCOMPARE(finestra.findChild<QMenu *>("menu_lingua")->title(), QStringLiteral("English"));
        QVERIFY(finestra.findChild<QAction *>("menu_lingua_item_1")->isChecked());
        QVERIFY(!finestra.findChild<QAction *>("menu_lingua_item_0")->isChecked());
        finestra.findChild<QPushButton *>("Command6")->setEnabled(true);
        finestra.findChild<QPushButton *>("Command6")->click();
        QCOMPARE(dialoghi.richieste_file.size(), 0); // not on offer before a connection
    }

    void every_button_reaches_its_step_and_the_window_shows_the_reports()
    {
        const QByteArray dati(1000, '\x5A');
        Banco banco;
        banco.clicca("Command5");
        QTRY_COMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
        banco.apri(firmware('t', dati, "<hr>"), QStringLiteral("<b>a[*].BIN"));
        QCOMPARE(banco.dialoghi.richieste_file.last().titolo, QStringLiteral("Apri Firmware"));
        QCOMPARE(banco.dialoghi.richieste_file.last().filtro, QStringLiteral("File BIN (*.BIN)"));
        QCOMPARE(banco.finestra->windowHandle()->title(), QStringLiteral("KESTRA Firmware updater - <b>a[*].BIN"));
        QCOMPARE((QStringList{banco.testo("Label3"), banco.testo("Label4"), banco.testo("Label5"),
                              banco.testo("Label7"), banco.testo("Text4")}),
                 (QStringList{"CPU: STM32F0 64K (256B)", "Booloader: v.1.2", "Firmware: v.2.13", "Scheda: <hr>",
                              "1A98"}));
        banco.sim.opzioni().scheda = "<s>K";
        banco.clicca("Command7");
        QCOMPARE((QStringList{banco.testo("Label11"), banco.testo("Label12"), banco.testo("Label13"),
                              banco.testo("Label14"), banco.testo("Text2")}),
                 (QStringList{"Firmware: v.2.15", "Scheda: <s>K", "Nome file: KESTRA01", "Data: 05.03.18",
                              "Connesso..."}));
        for (const char *nome : {"Label7", "Label12"})
            QCOMPARE(banco.trova<QLabel>(nome)->textFormat(), Qt::PlainText);
        QCOMPARE(banco.lampada("Shape3"), verde);

        banco.clicca("Command2");
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Trasferimento OK"));
        QCOMPARE(banco.trova<QProgressBar>("ProgressBar1")->value(), 100);
        QCOMPARE(banco.lampada("Shape1"), verde);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command4"}));
        banco.dialoghi.risposte = {risposta_si};
        QLineEdit *text2 = banco.trova<QLineEdit>("Text2");
        QStringList stati;
        connect(text2, &QLineEdit::textChanged, text2, [&stati](const QString &testo) { stati.append(testo); });
        banco.clicca("Command4");
        QCOMPARE(stati, (QStringList{"Verifica CRC16 in corso...", "Programmazione avviata..."}));
        QCOMPARE(banco.dialoghi.titoli(), (QStringList{"Aggiornamento Firmware", "Aggiornamento"}));
        QVERIFY(banco.sim.ultima_verifica_ok());
        QCOMPARE(banco.sim.flash().first(dati.size()), dati);
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);

        banco.clicca("Command3");
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
    }

    void language_menu_switches_captions_and_is_saved_at_exit()
    {
        Banco banco;
        banco.clicca("Command5");
        banco.apri(firmware('s', "x"));
        banco.lingua(1);
        QCOMPARE((QStringList{banco.trova<QPushButton>("Command2")->text(), banco.testo("Label9"),
                              banco.testo("Label7"), banco.testo("Text2"),
                              banco.trova<QGroupBox>("Frame1")->title()}),
                 (QStringList{"Transfer", "TALVIO IP", "Board: BRD1", "Waiting for connection...",
                              "Connection to KESTRA module"}));
        banco.lingua(1); // again: the labels keep only their prefix
        QCOMPARE(banco.testo("Label7"), QStringLiteral("Board:"));
        banco.lingua(0);
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Attesa connessione..."));
        banco.lingua(1);
        banco.clicca("Command1");
        QVERIFY(!banco.finestra->isVisible());
        QCOMPARE(leggi(banco.cartella.filePath("BootLoader.ini")),
                 QByteArray("Path = " + banco.cartella.path().toLocal8Bit() + "/\r\nLanguage = 1\r\n"));
    }

    void password_dialog_opens_on_ok_with_its_texts_whole()
    {
        Banco banco(stazione(), altro_ap);
        banco.lingua(1);
        QStringList visto;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            const auto *etichetta = dialogo->findChild<QLabel *>("Label2");
            visto << dialogo->focusWidget()->objectName() << dialogo->windowTitle()
                  << dialogo->findChild<QLabel *>("Label1")->text()
                  << dialogo->findChild<QPushButton *>("Command1")->text()
                  << dialogo->findChild<QLineEdit *>("Text1")->text()
                  << QString::number(QFontMetrics(etichetta->font()).horizontalAdvance(etichetta->text())
                                     <= etichetta->contentsRect().width());
            QTest::keyClick(dialogo->focusWidget(), Qt::Key_Return);
        });
        banco.dialoghi.risposte = {risposta_no};
        banco.clicca("Command5");
        QCOMPARE(visto, (QStringList{"Command2", "Password Login", "To continue, you must provide the password",
                                     "Cancel", "40718253", "1"}));
        QCOMPARE(banco.sim.comandi("PAS="), QList<QByteArray>{"PAS=40718253"});
        QCOMPARE(banco.dialoghi.titoli(), QStringList{"Access Point mode setting"});
    }

    void a_link_lost_in_the_password_dialog_leaves_the_next_connection_clean()
    {
        Banco banco(stazione({{"PAS?", 1, Guasto::Tipo::ChiudiDopo, {}, 0}}), altro_ap);
        banco.al_dialogo_password([&](QDialog *dialogo) {
            QTRY_COMPARE(banco.finestra->canale().Winsock1().state(), QAbstractSocket::UnconnectedState);
            dialogo->findChild<QPushButton *>("Command2")->click();
        });
        banco.clicca("Command5");
        QCOMPARE(banco.dialoghi.titoli(), (QStringList{"Invio Password", "Invio Password"}));
        banco.al_dialogo_password([](QDialog *dialogo) { dialogo->findChild<QPushButton *>("Command2")->click(); });
        banco.clicca("Command5");
        QCOMPARE(banco.sim.comandi("PAS="), QList<QByteArray>{"PAS=40718253"});
    }

    void exit_inside_the_password_dialog_closes_it_and_sends_nothing()
    {
        Banco banco(stazione(), altro_ap);
        QPointer<QDialog> visto;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            visto = dialogo;
            banco.clicca("Command1");
        });
        banco.clicca("Command5");
        QVERIFY(!banco.finestra->isVisible());
        QTRY_VERIFY(!visto || !visto->isVisible());
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QVERIFY(banco.sim.comandi_ricevuti().isEmpty());
    }

    void clicks_inside_a_wait()
    {
        OpzioniSimulatore opzioni;
        opzioni.guasti = {{"PGS", 0, Guasto::Tipo::Ritardo, {}, 300}, {"FWI", 0, Guasto::Tipo::NessunaRisposta, {}, 0}};
        Banco banco(opzioni);
        banco.clicca("Command5");
        banco.apri(firmware('t', QByteArray(300, 'x')));
        banco.clicca("Command7");
        banco.sim.opzioni().guasti.removeLast();
        banco.clicca("Command7");
        // Open while the erase waits is refused; Exit ends the program there.
        QTimer::singleShot(100, banco.finestra.get(), [&] {
            banco.trova<QPushButton>("Command6")->setEnabled(true);
            banco.clicca("Command6");
            banco.clicca("Command1");
        });
        banco.clicca("Command2");
        QCOMPARE(banco.dialoghi.richieste_file.size(), 1);
        QVERIFY(!banco.finestra->isVisible());
        QCOMPARE(banco.sim.comandi_ricevuti().last(), QByteArray("PGS\0", 4));
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Cancellazione 64KB in corso..."));
    }

    void always_on_top_keeps_the_native_window_and_the_dialog_above()
    {
        Banco banco(stazione(), altro_ap);
        const QRect prima = banco.finestra->geometry();
        const WId nativa = banco.finestra->winId();
        int nascosta = 0;
        banco.finestra->installEventFilter(this);
        connect(this, &TestForm1::nascosta, this, [&nascosta] { ++nascosta; });
        bool dialogo_sopra = false;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            banco.trova<QCheckBox>("Check1")->click();
            dialogo_sopra = dialogo->isVisible() && dialogo->windowHandle()->flags() & Qt::WindowStaysOnTopHint;
            dialogo->close();
        });
        banco.clicca("Command5");
        QVERIFY(dialogo_sopra);
        QVERIFY(banco.finestra->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        banco.trova<QCheckBox>("Check1")->click();
        QVERIFY(!(banco.finestra->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(banco.finestra->winId(), nativa);
        QCOMPARE(banco.finestra->geometry(), prima);
        QCOMPARE(nascosta, 0);
    }

    void qt_texts_follow_the_language()
    {
        Banco banco;
        DialoghiQt veri;
        const auto pulsanti = [&] {
            QStringList testi;
            QTimer::singleShot(0, banco.finestra.get(), [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->textFormat(), Qt::PlainText);
                for (QAbstractButton *pulsante : box->buttons())
                    testi.append(pulsante->text().remove(u'&'));
                box->button(QMessageBox::Yes)->click();
            });
            testi.append(QString::number(
                veri.mostra_messaggio(banco.finestra.get(), "?", "<b>x</b>", Icona::Informazione, Pulsanti::SiNo)));
            testi.sort();
            return testi;
        };
        QCOMPARE(pulsanti(), (QStringList{"6", "No", QStringLiteral("Sì")}));
        banco.lingua(1);
        QCOMPARE(pulsanti(), (QStringList{"6", "No", "Yes"}));
        banco.lingua(0);
        QCOMPARE(pulsanti(), (QStringList{"6", "No", QStringLiteral("Sì")}));
    }

signals:
    void nascosta();

protected:
    bool eventFilter(QObject *, QEvent *evento) override
    {
        if (evento->type() == QEvent::Hide)
            emit nascosta();
        return false;
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
