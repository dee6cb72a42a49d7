#include "window/dialogs.h"
#include "window/form1.h"
#include "window/history/history_view.h"
#include "history/history_db.h"
#include "sim/module_simulator.h"
#include "testing/files.h"
#include "testing/scripted_dialogs.h"
#include "testing/scripted_link.h"
#include "engine/command_channel.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTableView>
#include <QAbstractItemView>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

const QColor rosso(255, 0, 0);
const QColor verde(0, 255, 0);
// Loopback, and nothing listens there: as the Access Point address it makes
// the simulator's 127.0.0.1 "another address".
const char *const altro_ap = "127.0.0.2";

QRect in_pixel(const QWidget *finestra, QRect twip)
{
    const qreal dpi = finestra->screen()->logicalDotsPerInch();
    const auto p = [dpi](int twip) { return qRound(twip * dpi / 1440.0); };
    return QRect(p(twip.x()), p(twip.y()), p(twip.width()), p(twip.height()));
}

// Runs `azione` on the first modal dialog or password dialog that shows.
void al_dialogo(const char *nome, std::function<void(QWidget *)> azione)
{
    auto *sonda = new QTimer;
    QObject::connect(sonda, &QTimer::timeout, sonda, [=] {
        for (QWidget *finestra : QApplication::topLevelWidgets()) {
            if (finestra->isVisible() && finestra->inherits(nome)) {
                sonda->deleteLater();
                sonda->stop();
                azione(finestra);
                return;
            }
        }
    });
    sonda->start(5);
}

// The real window, offscreen, with scripted dialogs and its history in a
// temporary folder, on a scripted link; or, given the simulator's options,
// on the TCP channel against the simulator on a free loopback port.
struct Banco
{
    explicit Banco(const char *indirizzo_ap = "127.0.0.1", QByteArray ini = {}) { avvia(link, indirizzo_ap, ini); }
    explicit Banco(OpzioniSimulatore opzioni, const char *indirizzo_ap = "127.0.0.1")
        : sim(std::make_unique<SimulatoreModulo>(std::move(opzioni)))
    {
        if (!sim->listen(QHostAddress::LocalHost, 0))
            qFatal("the simulator cannot listen");
        avvia(canale, indirizzo_ap, {});
    }

    template<typename T = QWidget>
    T *trova(const char *nome) const
    {
        T *controllo = finestra->findChild<T *>(QLatin1String(nome));
        if (!controllo)
            qFatal("no control %s", nome);
        return controllo;
    }
    QString testo(const char *nome) const { return trova(nome)->property("text").toString(); }
    QColor lampada(const char *nome) const { return trova(nome)->palette().color(QPalette::Window); }
    void clicca(const char *nome) { QTest::mouseClick(trova<QPushButton>(nome), Qt::LeftButton); }
    void lingua(int indice) { trova<QAction>(qPrintable(QStringLiteral("menu_lingua_item_%1").arg(indice)))->trigger(); }
    QStringList abilitati() const
    {
        QStringList nomi;
        for (const char *nome : {"Command2", "Command3", "Command4", "Command5", "Command6", "Command7"})
            if (trova(nome)->isEnabled())
                nomi.append(QLatin1String(nome));
        return nomi;
    }
    void apri(const QByteArray &contenuto, const QString &nome = QStringLiteral("FW.BIN"))
    {
        dialoghi.file.append(scrivi_file(cartella.filePath(nome), contenuto));
        clicca("Command6");
    }
    // The commands sent with this head, on whichever link.
    QList<QByteArray> comandi(QByteArrayView testa) const
    {
        if (sim)
            return sim->comandi(testa);
        QList<QByteArray> scelti;
        for (const QByteArray &comando : link.comandi)
            if (comando.startsWith(testa))
                scelti.append(comando);
        return scelti;
    }

    QTemporaryDir cartella;
    std::unique_ptr<SimulatoreModulo> sim;
    CollegamentoScriptato link;
    CanaleComandi canale;
    StoricoSqlite storico{cartella.filePath("history.sqlite"), [](const QString &avviso) { QFAIL(qPrintable(avviso)); }};
    DialoghiScriptati dialoghi;
    std::unique_ptr<Form1> finestra;

private:
    void avvia(Collegamento &collegamento, const char *indirizzo_ap, const QByteArray &ini)
    {
        scrivi_file(cartella.filePath("BootLoader.ini"), ini);
        finestra = std::make_unique<Form1>(dialoghi, collegamento, &storico, FontiStorico{storico.percorso(), {}},
                                           cartella.path(),
                                           QString::fromLatin1(indirizzo_ap), sim ? sim->serverPort() : 7999);
        finestra->avvia();
        trova<QLineEdit>("Text1")->setText(QStringLiteral("127.0.0.1"));
    }
};

const OpzioniSimulatore stazione = [] {
    OpzioniSimulatore opzioni;
    opzioni.modo = OpzioniSimulatore::Modo::Stazione;
    return opzioni;
}();

bool intero(const QLabel *etichetta)
{
    return QFontMetrics(etichetta->font()).horizontalAdvance(etichetta->text()) <= etichetta->contentsRect().width();
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void starts_in_italian_with_its_controls_as_designed()
    {
        Banco banco;
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Attesa connessione..."));
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        for (const char *lampada : {"Shape1", "Shape2", "Shape3", "Shape4"})
            QCOMPARE(banco.lampada(lampada), rosso);
        QCOMPARE(leggi_file(banco.cartella.filePath("BootLoader.ini")), QByteArray("Path = \r\nLanguage = 0\r\n"));
        QCOMPARE(banco.finestra->windowTitle(), QStringLiteral("KESTRA Firmware updater"));
        QCOMPARE(banco.finestra->centralWidget()->size(), in_pixel(banco.finestra.get(), {0, 0, 4695, 6990}).size());
        QCOMPARE(banco.trova("Command3")->geometry(), in_pixel(banco.finestra.get(), {240, 840, 1095, 375}));
        QCOMPARE(banco.finestra->minimumSize(), banco.finestra->maximumSize());
        QVERIFY2(banco.trova("Frame3")->font().bold(), "the frames' captions are bold");
        QCOMPARE(banco.trova("Frame3")->font().pointSizeF(), 8.25);
        QVERIFY2(!banco.trova("Label3")->font().bold(), "the labels are not bold");
        QCOMPARE(banco.trova("Command2")->font().pointSizeF(), 8.25);
    }

    void a_refused_connection_is_reported_in_the_current_language()
    {
        Banco banco{OpzioniSimulatore{}};
        banco.sim->close();
        banco.lingua(1);
        banco.clicca("Command5");
        QTRY_COMPARE(banco.dialoghi.titoli, QStringList{"Connection error"});
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"})); // the buttons say connected all the same
        QCOMPARE(banco.dialoghi.testi.first(),
                 QStringLiteral("Connection error to the Wi-Fi module, check the entered IP address."));
        QCOMPARE(banco.lampada("Shape4"), rosso);
    }

    void every_button_reaches_its_step_and_the_window_shows_the_reports()
    {
        const QByteArray dati(1000, '\x5A');
        Banco banco;
        banco.clicca("Command5");
        QCOMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
        banco.apri(firmware_integro('t', dati, "<hr>"), QStringLiteral("<b>a[*].BIN"));
        const auto &richiesta = banco.dialoghi.richieste_file.last();
        QCOMPARE((QStringList{richiesta.titolo, richiesta.filtro, richiesta.cartella}),
                 (QStringList{"Apri Firmware", "File BIN (*.BIN)", ""}));
        QCOMPARE(banco.finestra->windowHandle()->title(), QStringLiteral("KESTRA Firmware updater - <b>a[*].BIN"));
        QCOMPARE((QStringList{banco.testo("Label3"), banco.testo("Label4"), banco.testo("Label5"),
                              banco.testo("Label7"), banco.testo("Text4")}),
                 (QStringList{"CPU: STM32F0 64K (256B)", "Booloader: v.1.2", "Firmware: v.2.13", "Scheda: <hr>",
                              "4D6"}));
        banco.link.script("FWI", 0, CollegamentoScriptato::risposta(QByteArray("FWI=\x02\x15<hr>KESTRA01\x24\x65", 20)));
        Qt::CursorShape nell_attesa = Qt::ArrowCursor;
        banco.link.durante_attesa = [&](int) { nell_attesa = banco.finestra->cursor().shape(); };
        banco.clicca("Command7");
        banco.link.durante_attesa = nullptr;
        QCOMPARE(nell_attesa, Qt::WaitCursor);
        QCOMPARE((QStringList{banco.testo("Label11"), banco.testo("Label12"), banco.testo("Label13"),
                              banco.testo("Label14"), banco.testo("Text2")}),
                 (QStringList{"Firmware: v.2.15", "Scheda: <hr>", "Nome file: KESTRA01", "Data: 05.03.18",
                              "Connesso..."}));
        QCOMPARE(banco.lampada("Shape3"), verde);

        QLineEdit *text2 = banco.trova<QLineEdit>("Text2");
        QStringList stati;
        connect(text2, &QLineEdit::textChanged, text2, [&stati](const QString &testo) { stati.append(testo); });
        banco.clicca("Command2");
        QCOMPARE((QStringList{banco.testo("Text4"), banco.trova("ProgressBar1")->property("value").toString()}),
                 (QStringList{"4D6", "100"}));
        QCOMPARE(banco.lampada("Shape1"), verde);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command4"}));
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        banco.dialoghi.risposte = {Risposta::Si};
        QStringList lampade_ai_messaggi; // Shape2 while each box shows
        banco.dialoghi.al_messaggio = [&] { lampade_ai_messaggi << banco.lampada("Shape2").name(); };
        banco.clicca("Command4");
        QCOMPARE(lampade_ai_messaggi, (QStringList{"#ff0000", "#00ff00"})); // green until "Update completed." is closed
        QCOMPARE(stati, (QStringList{"Cancellazione 64KB in corso...", "Trasferimento in corso...", "Trasferimento OK",
                                     "Verifica CRC16 in corso...", "Programmazione avviata..."}));
        QCOMPARE(banco.dialoghi.titoli, (QStringList{"Aggiornamento Firmware", "Aggiornamento"}));
        QCOMPARE(banco.comandi("PGX"), (QList<QByteArray>{QByteArray("PGX\0\x04\x04\xD6", 7)}));
        QCOMPARE(banco.lampada("Shape2"), rosso);
        // The attempt is in the history, as the window's, which has no exit code.
        const Tentativo tentativo = banco.storico.elenco(1).value().value(0);
        QCOMPARE((QStringList{tentativo.front_end, tentativo.classe, tentativo.file, tentativo.crc16}),
                 (QStringList{"window", "completed", "<b>a[*].BIN", "4D6"}));
        QVERIFY2(!tentativo.codice_uscita && !tentativo.cancellato, "the window's record: no exit code, not left erased");

        banco.clicca("Command3");
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
        banco.clicca("Command1");
        QCOMPARE(leggi_file(banco.cartella.filePath("BootLoader.ini")),
                 QByteArray("Path = " + banco.cartella.path().toLocal8Bit() + "/\r\nLanguage = 0\r\n"));
    }

    void a_stall_costs_resends_and_the_verdict_stays_the_devices_data()
    {
        QTest::addColumn<QList<Guasto>>("guasti");
        QTest::addColumn<QString>("esito");
        const Guasto stallo{"PGP", 3, Guasto::Tipo::Stallo, {}, 1500};
        QTest::newRow("verified") << QList<Guasto>{stallo} << "Programmazione avviata...";
        QTest::newRow("refused") << QList<Guasto>{stallo, {"PGX", 0, Guasto::Tipo::Risposta, "E", 0}}
                                 << "Errore CRC16";
    }
    void a_stall_costs_resends_and_the_verdict_stays_the_devices()
    {
        QFETCH(QList<Guasto>, guasti);
        OpzioniSimulatore opzioni;
        opzioni.scrittura_ms = 2;
        opzioni.guasti = guasti;
        const QByteArray dati = QByteArray(1000, '\x3C');
        Banco banco(opzioni);
        banco.clicca("Command5");
        banco.apri(firmware_integro('t', dati));
        QTRY_COMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.canale.findChild<QTcpSocket *>("Winsock1")->socketOption(QAbstractSocket::LowDelayOption), 1);
        banco.clicca("Command7");
        banco.clicca("Command2");
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Trasferimento OK"));
        QCOMPARE(banco.comandi("PGP").size(), 9); // one resend
        banco.dialoghi.risposte = {Risposta::Si};
        banco.clicca("Command4");
        QTEST(banco.testo("Text2"), "esito");
        QCOMPARE(banco.sim->flash().first(dati.size()), dati);
    }

    void language_from_the_settings_and_the_menu_saved_at_exit()
    {
        Banco banco("127.0.0.1", "Path = /fw/\r\nLanguage = 1\r\n");
        banco.clicca("Command5");
        banco.apri(firmware('s', "x"));
        QCOMPARE(banco.dialoghi.richieste_file.last().cartella, QStringLiteral("/fw/"));
        QCOMPARE((QStringList{banco.testo("Command2"), banco.testo("Label9"), banco.testo("Label7"),
                              banco.testo("Text2"), banco.trova("Frame1")->property("title").toString(),
                              banco.trova<QMenu>("menu_lingua")->title(), banco.testo("Label13")}),
                 (QStringList{"Transfer", "TALVIO IP", "Board: BRD1", "Waiting for connection...",
                              "Connection to KESTRA module", "English", "File name:"}));
        QVERIFY2(banco.trova<QAction>("menu_lingua_item_1")->isChecked(), "English is checked");
        QVERIFY2(!banco.trova<QAction>("menu_lingua_item_0")->isChecked(), "Italian is checked");
        banco.lingua(1); // the same again: the labels keep only their prefix
        QCOMPARE(banco.testo("Label7"), QStringLiteral("Board:"));
        banco.lingua(0);
        QCOMPARE((QStringList{banco.testo("Text2"), banco.testo("Label7")}),
                 (QStringList{"Attesa connessione...", "Scheda:"}));
        QVERIFY2(banco.trova<QAction>("menu_lingua_item_0")->isChecked(), "Italian is checked");
        banco.finestra->close();
        QVERIFY2(leggi_file(banco.cartella.filePath("BootLoader.ini")).endsWith("Language = 0\r\n"), leggi_file(banco.cartella.filePath("BootLoader.ini")).constData());
    }

    void password_dialog_as_designed_opens_on_ok()
    {
        Banco banco(altro_ap);
        banco.link.alla_connessione = {{1, "PAS?"}};
        banco.lingua(1);
        QStringList visto;
        al_dialogo("Form2", [&](QWidget *dialogo) {
            QCOMPARE(dialogo->size(), in_pixel(dialogo, {0, 0, 3735, 1425}).size());
            QCOMPARE(dialogo->findChild<QWidget *>("Text1")->geometry(), in_pixel(dialogo, {1080, 480, 2535, 285}));
            QCOMPARE(dialogo->findChild<QWidget *>("Command2")->geometry(), in_pixel(dialogo, {2760, 960, 855, 375}));
            QVERIFY2(intero(dialogo->findChild<QLabel *>("Label1")) && intero(dialogo->findChild<QLabel *>("Label2")), "a label of the password dialog is cut");
            QCOMPARE(dialogo->findChild<QLabel *>("Label2")->alignment(), Qt::AlignRight | Qt::AlignTop);
            for (QWidget *w = dialogo->focusWidget(); visto.size() < 3; w = w->nextInFocusChain()) {
                if (w->focusPolicy() & Qt::TabFocus)
                    visto << w->objectName();
            }
            visto << dialogo->windowTitle() + (dialogo->isModal() ? " (modal)" : "")
                  << dialogo->findChild<QLabel *>("Label1")->text() << dialogo->findChild<QPushButton *>("Command1")->text()
                  << dialogo->findChild<QLineEdit *>("Text1")->text();
            QTest::keyClick(dialogo->focusWidget(), Qt::Key_Return);
        });
        banco.dialoghi.risposte = {Risposta::No};
        banco.clicca("Command5");
        QCOMPARE(visto, (QStringList{"Command2", "Command1", "Text1", "Password Login",
                                     "To continue, you must provide the password", "Cancel", "40718253"}));
        QCOMPARE(banco.comandi("PAS="), QList<QByteArray>{"PAS=40718253"});
    }

    // A password was confirmed; how the next challenge's dialog is left decides what is sent.
    void the_next_challenge_data()
    {
        QTest::addColumn<std::function<void(QWidget *)>>("azione");
        QTest::addColumn<QString>("titolo"); // of the box that follows
        QTest::addColumn<int>("password");   // sent in all
        QTest::newRow("Cancel: nothing sent") << std::function<void(QWidget *)>(
            [](QWidget *d) { d->findChild<QPushButton *>("Command1")->click(); }) << "Password requested" << 1;
        QTest::newRow("the close box: the earlier password again")
            << std::function<void(QWidget *)>([](QWidget *d) { d->close(); }) << "Access Point mode setting" << 2;
    }
    void the_next_challenge()
    {
        QFETCH(std::function<void(QWidget *)>, azione);
        Banco banco(altro_ap);
        banco.link.alla_connessione = {{1, "PAS?"}};
        banco.lingua(1);
        banco.dialoghi.risposte = {Risposta::No, Risposta::No};
        al_dialogo("Form2", [](QWidget *dialogo) { dialogo->findChild<QPushButton *>("Command2")->click(); });
        banco.clicca("Command5");
        al_dialogo("Form2", azione);
        banco.clicca("Command5");
        QTEST(banco.dialoghi.titoli.value(1), "titolo");
        QTEST(int(banco.comandi("PAS=").size()), "password");
    }

    void a_new_connection_starts_from_a_closed_socket_and_the_end_closes_it()
    {
        OpzioniSimulatore opzioni = stazione;
        opzioni.guasti = {{"MOP=", 0, Guasto::Tipo::NessunaRisposta, {}, 0}}; // the link stays open
        Banco banco(opzioni, altro_ap);
        QSignalSpy collegati(banco.sim.get(), &SimulatoreModulo::cliente_connesso);
        QSignalSpy scollegati(banco.sim.get(), &SimulatoreModulo::cliente_scollegato);
        banco.dialoghi.risposte = {Risposta::Si, Risposta::Si}; // both links left open
        for (int volta = 1; volta <= 2; ++volta) {
            banco.sim->opzioni().modo = OpzioniSimulatore::Modo::Stazione; // the mode command was carried out
            al_dialogo("Form2", [](QWidget *dialogo) { dialogo->findChild<QPushButton *>("Command2")->click(); });
            banco.clicca("Command5");
            QCOMPARE(collegati.count(), volta);
        }
        QTRY_COMPARE(scollegati.count(), 1); // the first link, before the second one
        QTest::qWait(100);
        QCOMPARE(scollegati.count(), 1);
        banco.finestra->close(); // the window is still there, its link closed
        QTRY_COMPARE(scollegati.count(), 2);
    }

    void exit_inside_a_wait_ends_the_program_there()
    {
        Banco banco;
        banco.clicca("Command5");
        banco.apri(firmware_integro('t', QByteArray(300, 'x')));
        banco.clicca("Command7");
        // Open while the erase waits is refused; Exit ends the program there.
        banco.link.durante_attesa = [&](int) {
            if (!banco.link.comandi.last().startsWith("PGS"))
                return;
            banco.trova("Command6")->setEnabled(true);
            banco.clicca("Command6");
            banco.clicca("Command1");
        };
        banco.clicca("Command2");
        QCOMPARE(banco.dialoghi.richieste_file.size(), 1);
        QVERIFY2(!banco.finestra->isVisible(), "the window is closed");
        QCOMPARE(banco.link.comandi.last(), QByteArray("PGS\0", 4));
        QVERIFY2(banco.dialoghi.titoli.isEmpty(), "no message box shown");
        QVERIFY2(leggi_file(banco.cartella.filePath("BootLoader.ini")).startsWith("Path = /"), leggi_file(banco.cartella.filePath("BootLoader.ini")).constData()); // saved at exit
    }

    void in_the_password_dialog_always_on_top_keeps_it_above_and_exit_closes_both()
    {
        Banco banco(altro_ap);
        banco.link.alla_connessione = {{1, "PAS?"}};
        const QRect prima = banco.finestra->geometry();
        const WId nativa = banco.finestra->winId();
        banco.finestra->installEventFilter(this);
        QPointer<QWidget> visto;
        QList<bool> sopra;
        al_dialogo("Form2", [&](QWidget *dialogo) {
            visto = dialogo;
            sopra << bool(dialogo->windowHandle()->flags() & Qt::WindowStaysOnTopHint); // as Check1 was
            for (int volta = 0; volta < 2; ++volta) {
                banco.trova<QCheckBox>("Check1")->click();
                for (const QWidget *finestra : {static_cast<QWidget *>(banco.finestra.get()), dialogo})
                    sopra << bool(finestra->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
            }
            QCOMPARE(banco.finestra->winId(), nativa);
            QCOMPARE(banco.finestra->geometry(), prima);
            QCOMPARE(m_nascosta, 0);
            banco.clicca("Command1");
        });
        banco.clicca("Command5");
        QCOMPARE(sopra, (QList<bool>{false, true, true, false, false}));
        QVERIFY2(!banco.finestra->isVisible(), "the window is closed");
        QTRY_VERIFY(!visto || !visto->isVisible());
        QVERIFY2(banco.dialoghi.titoli.isEmpty(), "no message box shown");
        QVERIFY2(banco.link.comandi.isEmpty(), "nothing sent");
    }

    // What would brick a receiver is asked before anything is erased; No
    // leaves the window as it was before the click.
    void the_window_asks_before_it_erases_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<Risposta>>("risposte");
        QTest::addColumn<QStringList>("domande"); // the titles of the boxes before the erase
        QTest::addColumn<bool>("scritto");
        const QByteArray dati(600, '\x61');
        const QByteArray altra_scheda = firmware_integro('t', dati, "KS01");
        const QByteArray danneggiato = firmware('t', dati); // its header's CRC16 is not its image's
        QTest::newRow("another board, No") << altra_scheda << QList<Risposta>{Risposta::No}
                                           << QStringList{"Scheda diversa"} << false;
        QTest::newRow("another board, Yes") << altra_scheda << QList<Risposta>{Risposta::Si}
                                            << QStringList{"Scheda diversa"} << true;
        QTest::newRow("damaged, No") << QByteArray(danneggiato).replace(9, 4, "KR01") << QList<Risposta>{Risposta::No}
                                     << QStringList{"File danneggiato"} << false;
        QTest::newRow("both, Yes then No") << firmware('t', dati) << QList<Risposta>{Risposta::Si, Risposta::No}
                                           << QStringList{"Scheda diversa", "File danneggiato"} << false;
        QTest::newRow("the device's board and image: nothing asked")
            << firmware_integro('t', dati) << QList<Risposta>{} << QStringList{} << true;
    }
    void the_window_asks_before_it_erases()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, scritto);
        Banco banco;
        banco.clicca("Command5");
        banco.apri(file);
        banco.clicca("Command7");
        const QString stato = banco.testo("Text2");
        QFETCH(QList<Risposta>, risposte);
        banco.dialoghi.risposte = risposte;
        banco.clicca("Command2");
        QTEST(banco.dialoghi.titoli, "domande");
        QCOMPARE(banco.comandi("PGS").size(), int(scritto));
        if (scritto) {
            QCOMPARE(banco.testo("Text2"), QStringLiteral("Trasferimento OK"));
            return;
        }
        QCOMPARE(banco.testo("Text2"), stato);
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape1"), rosso);
        // A device left alone for its board is in the books, erased nothing; a damaged file is not.
        const QList<Tentativo> storico = banco.storico.elenco(0).value();
        QCOMPARE(storico.size(), int(banco.dialoghi.titoli == QStringList{"Scheda diversa"}));
        if (!storico.isEmpty())
            QCOMPARE((std::pair{storico.first().classe, storico.first().cancellato}), (std::pair{QString("board"), false}));
    }

    // After each step the keyboard is on the next one's button, so that Space goes on.
    void the_keyboard_follows_the_update()
    {
        Banco banco;
        const auto avanti = [&] {
            QWidget *fuoco = banco.finestra->focusWidget();
            if (!fuoco)
                return QString();
            QTest::keyClick(fuoco, Qt::Key_Space);
            return fuoco->objectName();
        };
        banco.dialoghi.file.append(scrivi_file(banco.cartella.filePath("FW.BIN"), firmware_integro('t', "x")));
        banco.dialoghi.risposte = {Risposta::Si};
        QStringList seguiti;
        for (int passo = 0; passo < 6; ++passo)
            seguiti << avanti();
        QCOMPARE(seguiti, (QStringList{"Command5", "Command6", "Command7", "Command2", "Command4", "Command7"}));
        QCOMPARE(banco.testo("Text2"), QStringLiteral("Connesso..."));
    }

    // The history's view: the newest records first, failures and erased
    // receivers in words and with an icon, a filter, an export of what it shows.
    void the_history_view_shows_filters_and_exports()
    {
        Banco banco;
        const auto registra = [&](const char *classe, bool cancellato, const char *stazione) {
            Tentativo t;
            t.inizio = QDateTime::currentDateTimeUtc();
            t.front_end = "window";
            t.stazione = stazione;
            t.file = "FW.BIN";
            banco.storico.inizio(t);
            t.durata_ms = 1200;
            t.classe = classe;
            t.cancellato = cancellato;
            banco.storico.fine(t);
        };
        registra("completed", false, "banco-1");
        registra("transfer", true, "banco-2");
        registra("skipped", false, "banco-1");
        banco.finestra->problema_storico("history: the disk is full");
        banco.lingua(1);
        banco.trova<QAction>("menu_cronologia")->trigger();
        auto *vista = banco.finestra->findChild<VistaStorico *>();
        QVERIFY2(vista, "the menu opens the history's view");
        QSignalSpy letto(vista, &VistaStorico::letto);
        QVERIFY2(letto.wait(5000), "the records were not read");
        const QAbstractItemModel *righe = vista->findChild<QTableView *>("tabella")->model();
        const auto cella = [&](int riga, int colonna, int ruolo = Qt::DisplayRole) {
            return righe->index(riga, colonna).data(ruolo);
        };
        QCOMPARE(righe->rowCount(), 3);
        QCOMPARE((QStringList{cella(0, ModelloStorico::Esito).toString(), cella(1, ModelloStorico::Esito).toString(),
                              cella(1, ModelloStorico::Cancellato).toString()}),
                 (QStringList{"Already current: nothing erased", "Failed: transfer", "Yes"}));
        QVERIFY2(!cella(1, ModelloStorico::Esito, Qt::DecorationRole).value<QIcon>().isNull(), "a failure's icon");
        QVERIFY2(vista->findChild<QLabel *>("stato")->text().contains("history: the disk is full"),
                 qPrintable(vista->findChild<QLabel *>("stato")->text()));
        QVERIFY2(!vista->findChild<QComboBox *>("ambito")->isVisibleTo(vista), "no server: one station only");

        vista->findChild<QLineEdit *>("filtro")->setText("BANCO-2");
        QCOMPARE(righe->rowCount(), 1);
        const QString csv = banco.cartella.filePath("export.csv");
        banco.dialoghi.da_scrivere = {csv};
        vista->findChild<QPushButton *>("esporta")->click();
        const QList<QByteArray> scritte = leggi_file(csv).split('\n');
        QCOMPARE(scritte.size(), 3); // the header, the one row shown, and the end of the last line
        QVERIFY2(scritte.at(1).contains("banco-2") && scritte.at(1).contains("transfer"), scritte.at(1).constData());
    }

    void every_control_is_named_for_assistive_technology_and_tabbed_in_reading_order()
    {
        Banco banco;
        const auto nome = [&](const char *controllo) {
            return QAccessible::queryAccessibleInterface(banco.trova(controllo))->text(QAccessible::Name);
        };
        for (QWidget *controllo : banco.finestra->centralWidget()->findChildren<QWidget *>())
            QVERIFY2(!QAccessible::queryAccessibleInterface(controllo)->text(QAccessible::Name).isEmpty(),
                     qPrintable(controllo->objectName()));
        QCOMPARE((QStringList{nome("Shape4"), nome("Shape1"), nome("Text1"), nome("ProgressBar1"), nome("Text2")}),
                 (QStringList{"Connessione: non attiva", "Trasferimento: non eseguito", "IP TALVIO", "Avanzamento",
                              "Stato: Attesa connessione..."}));
        banco.clicca("Command5");
        QCOMPARE(nome("Shape4"), QStringLiteral("Connessione: attiva"));
        banco.lingua(1);
        QCOMPARE((QStringList{nome("Shape4"), nome("Shape3"), nome("Text4"), nome("Text2"), nome("Command5"),
                              nome("Command7")}),
                 (QStringList{"Connection: active", "Identification: not done", "CRC16",
                              "Status: Waiting for connection...", "Connect to the module", "Connect to the device"}));
        QCOMPARE(banco.trova("Shape4")->toolTip(), QStringLiteral("Connection: active"));

        QStringList ordine;
        for (QWidget *w = banco.trova("Command5"); ordine.size() < 11; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                ordine << w->objectName();
        QCOMPARE(ordine, (QStringList{"Command5", "Text1", "Command3", "Command6", "Command7", "Command2", "Text4",
                                      "Command4", "Text2", "Check1", "Command1"}));
    }

    void real_boxes_and_file_dialog_speak_the_language()
    {
        Banco banco;
        DialoghiQt veri;
        const auto domanda = [&](Pulsanti pulsanti) {
            QStringList visto;
            al_dialogo("QMessageBox", [&](QWidget *finestra) {
                auto *box = static_cast<QMessageBox *>(finestra);
                visto << box->text() << QString::number(box->textFormat()) << QString::number(box->icon())
                      << (box->defaultButton() ? box->defaultButton()->text().remove(u'&') : QString());
                for (QAbstractButton *pulsante : box->buttons())
                    visto << pulsante->text().remove(u'&');
                (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->buttons().first())->click();
            });
            visto << QString::number(int(veri.mostra_messaggio(banco.finestra.get(), "?", "<b>x</b>\ny",
                                                               Icona::Critico, pulsanti)));
            return visto;
        };
        QCOMPARE(domanda(Pulsanti::SiNo), (QStringList{"<b>x</b>\ny", "0", "3", QStringLiteral("Sì"),
                                                       QStringLiteral("Sì"), "No", "6"}));
        banco.lingua(1);
        QCOMPARE(domanda(Pulsanti::SiNo).mid(3), (QStringList{"Yes", "Yes", "No", "6"}));
        QCOMPARE(domanda(Pulsanti::Ok).mid(4), (QStringList{"OK", "1"}));

        QStringList file;
        for (const char *nome : {"a.BIN", "b.bin", "c.txt"})
            scrivi_file(banco.cartella.filePath(nome), "x");
        al_dialogo("QFileDialog", [&](QWidget *finestra) {
            auto *dialogo = static_cast<QFileDialog *>(finestra);
            file << dialogo->windowTitle() << dialogo->directory().path()
                 << QString::number(dialogo->testOption(QFileDialog::ReadOnly))
                 << QString::number(dialogo->testOption(QFileDialog::DontUseNativeDialog));
            // What the list shows, once the folder is read: ".bin" as well as ".BIN".
            const QAbstractItemView *elenco = dialogo->findChild<QAbstractItemView *>("listView");
            const auto mostrati = [elenco] {
                QStringList nomi;
                for (int riga = 0; riga < elenco->model()->rowCount(elenco->rootIndex()); ++riga)
                    nomi << elenco->model()->index(riga, 0, elenco->rootIndex()).data().toString();
                return nomi;
            };
            QTRY_VERIFY(mostrati().contains("a.BIN"));
            QStringList nomi = mostrati().filter(".");
            nomi.sort();
            file << nomi.join(u' ');
            dialogo->reject();
        });
        QVERIFY2(!veri.scegli_file(banco.finestra.get(), "T", banco.cartella.path(), "File BIN (*.BIN)"), "the dialog was rejected: nothing chosen");
        QCOMPARE(file, (QStringList{"T", banco.cartella.path(), "1", "1", "a.BIN b.bin"}));
    }

protected:
    bool eventFilter(QObject *, QEvent *evento) override
    {
        m_nascosta += evento->type() == QEvent::Hide;
        return false;
    }

private:
    int m_nascosta = 0;
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
