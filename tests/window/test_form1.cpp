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
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

using Azione = std::function<void(QWidget *)>;

QRect in_pixel(const QWidget *finestra, QRect t)
{
    const auto p = [dpi = finestra->screen()->logicalDotsPerInch()](int twip) { return qRound(twip * dpi / 1440.0); };
    return QRect(p(t.x()), p(t.y()), p(t.width()), p(t.height()));
}

// Runs `azione` on the first modal dialog or password dialog that shows.
void al_dialogo(const char *nome, Azione azione)
{
    auto *sonda = new QTimer;
    QObject::connect(sonda, &QTimer::timeout, sonda, [=] {
        for (QWidget *finestra : QApplication::topLevelWidgets()) {
            if (finestra->isVisible() && finestra->inherits(nome)) {
                sonda->deleteLater();
                sonda->stop();
                return azione(finestra);
            }
        }
    });
    sonda->start(5);
}

// The real window, offscreen, with scripted dialogs and its history in a temporary folder, on a scripted link;
// or, given the simulator's options, on the TCP channel against the simulator on a free loopback port.
struct Banco
{
    explicit Banco(const char *ap = "127.0.0.1", QByteArray ini = {}, std::optional<OpzioniSimulatore> opzioni = {})
    {
        if (opzioni && !(sim = std::make_unique<SimulatoreModulo>(*opzioni))->listen(QHostAddress::LocalHost, 0))
            qFatal("the simulator cannot listen");
        scrivi_file(cartella.filePath("BootLoader.ini"), ini);
        finestra = std::make_unique<Form1>(dialoghi, sim ? static_cast<Collegamento &>(canale) : link, &storico,
                                           FontiStorico{storico.percorso(), {}}, cartella.path(),
                                           QString::fromLatin1(ap), sim ? sim->serverPort() : 7999);
        finestra->avvia();
        trova("Text1")->setProperty("text", "127.0.0.1");
    }

    template<typename T = QWidget>
    T *trova(const char *nome) const { return finestra->findChild<T *>(QLatin1String(nome)); }
    // A property of each control ("text", "title"...), or its name for assistive technology.
    QStringList leggi(std::initializer_list<const char *> controlli, const char *proprieta = "text") const
    {
        QStringList valori;
        for (const char *nome : controlli)
            valori << (proprieta ? trova<QObject>(nome)->property(proprieta).toString()
                                 : QAccessible::queryAccessibleInterface(trova(nome))->text(QAccessible::Name));
        return valori;
    }
    // The lamps of connection, identification, transfer and update (R red, G green); the enabled Command2..7.
    QString quadro() const
    {
        QString quadro;
        for (const char *nome : {"Shape4", "Shape3", "Shape1", "Shape2"}) {
            const QColor colore = trova(nome)->palette().color(QPalette::Window);
            quadro += colore == QColor(Qt::red) ? u'R' : colore == QColor(Qt::green) ? u'G' : u'?';
        }
        quadro += u' ';
        for (char cifra = '2'; cifra <= '7'; ++cifra)
            if (trova(qPrintable(QStringLiteral("Command") + QLatin1Char(cifra)))->isEnabled())
                quadro += QLatin1Char(cifra);
        return quadro;
    }
    void clicca(const char *nome) { QTest::mouseClick(trova<QPushButton>(nome), Qt::LeftButton); }
    void lingua(int indice) { trova<QAction>(indice ? "menu_lingua_item_1" : "menu_lingua_item_0")->trigger(); }
    QByteArray ini() const { return leggi_file(cartella.filePath("BootLoader.ini")); }
    // The file the next Open chooses.
    void scegli(const QByteArray &file) { dialoghi.file << scrivi_file(cartella.filePath("FW.BIN"), file); }
    // Connected, the file opened and the device identified.
    void pronto(const QByteArray &file)
    {
        scegli(file);
        for (const char *passo : {"Command5", "Command6", "Command7"})
            clicca(passo);
    }

    QTemporaryDir cartella;
    std::unique_ptr<SimulatoreModulo> sim;
    CollegamentoScriptato link;
    CanaleComandi canale;
    StoricoSqlite storico{cartella.filePath("history.sqlite"), [](const QString &avviso) { QFAIL(qPrintable(avviso)); }};
    DialoghiScriptati dialoghi;
    std::unique_ptr<Form1> finestra;
};

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    // The controls as designed; the language from the settings (a refused connection told in it too) and from the
    // menu, saved at exit; the real message boxes and file dialog speak it.
    void controls_as_designed_in_the_language_of_the_settings_and_the_menu()
    {
        Banco banco("127.0.0.1", "Path = /fw/\r\nLanguage = 1\r\n", OpzioniSimulatore{});
        DialoghiQt veri;
        // The text, its format, the icon, the default button and the buttons; then the answer to Yes or OK.
        const auto domanda = [&](Pulsanti pulsanti) {
            QStringList visto;
            al_dialogo("QMessageBox", [&](QWidget *finestra) {
                auto *box = static_cast<QMessageBox *>(finestra);
                visto << box->text() << QString::number(box->textFormat()) << QString::number(box->icon());
                for (QAbstractButton *pulsante : QList<QAbstractButton *>{box->defaultButton()} + box->buttons())
                    visto << (pulsante ? pulsante->text().remove(u'&') : QString());
                box->buttons().first()->click();
            });
            return visto << QString::number(int(veri.mostra_messaggio(banco.finestra.get(), "?", "<b>x</b>\ny",
                                                                      Icona::Critico, pulsanti)));
        };
        const Form1 *finestra = banco.finestra.get();
        QCOMPARE(finestra->windowTitle() + ", " + banco.quadro(), QStringLiteral("KESTRA Firmware updater, RRRR 5"));
        QCOMPARE(finestra->centralWidget()->size(), in_pixel(finestra, {0, 0, 4695, 6990}).size());
        QCOMPARE(banco.trova("Command3")->geometry(), in_pixel(finestra, {240, 840, 1095, 375}));
        QCOMPARE(finestra->minimumSize(), finestra->maximumSize());
        const QFont cornice = banco.trova("Frame3")->font(), pulsante = banco.trova("Command2")->font(); // caption bold
        QCOMPARE((std::tuple{cornice.bold(), pulsante.bold(), cornice.pointSizeF()}), (std::tuple{true, false, 8.25}));
        QStringList ordine; // of Tab: the reading order
        for (QWidget *w = banco.trova("Command5"); ordine.size() < 11; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                ordine << w->objectName();
        QCOMPARE(ordine, (QStringList{"Command5", "Text1", "Command3", "Command6", "Command7", "Command2", "Text4",
                                      "Command4", "Text2", "Check1", "Command1"}));
        for (QWidget *controllo : finestra->centralWidget()->findChildren<QWidget *>())
            QVERIFY2(!QAccessible::queryAccessibleInterface(controllo)->text(QAccessible::Name).isEmpty(),
                     qPrintable(controllo->objectName() + " has no name"));
        banco.sim->close();
        banco.clicca("Command5");
        QTRY_COMPARE(banco.dialoghi.titoli, QStringList{"Connection error"});
        banco.scegli(firmware('s', "x"));
        banco.clicca("Command6");
        const auto &richiesta = banco.dialoghi.richieste_file.last();
        QCOMPARE((QStringList{richiesta.titolo, richiesta.filtro, richiesta.cartella}),
                 (QStringList{"Open Firmware", "File BIN (*.BIN)", "/fw/"}));
        QCOMPARE(banco.leggi({"Command2", "Label9", "Label7", "Text2", "Label13"}),
                 (QStringList{"Transfer", "TALVIO IP", "Board: BRD1", "Waiting for connection...", "File name:"}));
        QCOMPARE(banco.leggi({"Frame1", "menu_lingua"}, "title"), (QStringList{"Connection to KESTRA module", "English"}));
        QCOMPARE(banco.leggi({"Shape4", "Text1", "Text4", "Text2", "ProgressBar1", "Command5", "Command7"}, nullptr),
                 (QStringList{"Connection: not active", "TALVIO IP", "CRC16", "Status: Waiting for connection...",
                              "Progress", "Connect to the module", "Connect to the device"}));
        QCOMPARE(banco.trova("Shape4")->toolTip(), QStringLiteral("Connection: not active"));
        QCOMPARE(domanda(Pulsanti::SiNo).mid(3), (QStringList{"Yes", "Yes", "No", "6"}));
        QCOMPARE(domanda(Pulsanti::Ok).mid(4), (QStringList{"OK", "1"}));
        for (const char *nome : {"b.bin", "c.txt"}) // and FW.BIN
            scrivi_file(banco.cartella.filePath(nome), "x");
        QStringList file;
        al_dialogo("QFileDialog", [&](QWidget *finestra) {
            auto *dialogo = static_cast<QFileDialog *>(finestra);
            const auto *elenco = dialogo->findChild<QAbstractItemView *>("listView");
            const auto riga = [=](int n) { return elenco->model()->index(n, 0, elenco->rootIndex()).data().toString(); };
            (void)QTest::qWaitFor([&] { return !riga(1).isEmpty(); }, 5000); // the folder is read
            QStringList nomi{riga(0), riga(1), riga(2)}; // ".bin" as well as ".BIN", and no more
            nomi.sort();
            file << dialogo->windowTitle() << dialogo->directory().path() << nomi.join(u' ')
                 << QString::number(dialogo->testOption(QFileDialog::ReadOnly))
                 << QString::number(dialogo->testOption(QFileDialog::DontUseNativeDialog));
            dialogo->reject();
        });
        file << veri.scegli_file(banco.finestra.get(), "T", banco.cartella.path(), "File BIN (*.BIN)").value_or("none");
        QCOMPARE(file, (QStringList{"T", banco.cartella.path(), " FW.BIN b.bin", "1", "1", "none"})); // rejected: none
        banco.lingua(1); // the same again: the labels keep only their prefix
        QCOMPARE(banco.leggi({"Label7"}).first(), QStringLiteral("Board:"));
        banco.lingua(0);
        QCOMPARE(banco.leggi({"menu_lingua_item_0", "menu_lingua_item_1"}, "checked"), (QStringList{"true", "false"}));
        QCOMPARE(domanda(Pulsanti::SiNo), (QStringList{"<b>x</b>\ny", "0", "3", "Sì", "Sì", "No", "6"}));
        QCOMPARE(banco.leggi({"Text2", "Label7"}) + banco.leggi({"Shape4", "ProgressBar1"}, nullptr),
                 (QStringList{"Attesa connessione...", "Scheda:", "Connessione: non attiva", "Avanzamento"}));
        banco.finestra->close();
        QVERIFY2(banco.ini().endsWith("Language = 0\r\n"), banco.ini().constData());
    }

    // Driven with Space on the focus: after each step the keyboard is on the next one's button.
    void every_button_reaches_its_step_and_the_window_shows_the_reports()
    {
        Banco banco;
        QStringList fuoco;
        const auto avanti = [&] {
            fuoco << banco.finestra->focusWidget()->objectName();
            QTest::keyClick(banco.finestra->focusWidget(), Qt::Key_Space);
        };
        avanti();
        QCOMPARE(banco.quadro() + ", " + banco.leggi({"Shape4"}, nullptr).first(),
                 QStringLiteral("GRRR 36, Connessione: attiva"));
        const QByteArray file = firmware_integro('t', QByteArray(1000, '\x5A'), "<hr>");
        banco.dialoghi.file << scrivi_file(banco.cartella.filePath("<b>a[*].BIN"), file);
        avanti();
        QCOMPARE(banco.finestra->windowHandle()->title(), QStringLiteral("KESTRA Firmware updater - <b>a[*].BIN"));
        QCOMPARE(banco.leggi({"Label3", "Label4", "Label5", "Label7", "Text4"}),
                 (QStringList{"CPU: STM32F0 64K (256B)", "Booloader: v.1.2", "Firmware: v.2.13", "Scheda: <hr>", "4D6"}));
        banco.link.script("FWI", 0, CollegamentoScriptato::risposta(QByteArray("FWI=\x02\x15<hr>KESTRA01\x24\x65", 20)));
        QSet<Qt::CursorShape> nelle_attese; // the cursor in the waits of identification and transfer
        banco.link.durante_attesa = [&](int) { nelle_attese << banco.finestra->cursor().shape(); };
        avanti();
        QCOMPARE(banco.leggi({"Label11", "Label12", "Label13", "Label14", "Text2"}),
                 (QStringList{"Firmware: v.2.15", "Scheda: <hr>", "Nome file: KESTRA01", "Data: 05.03.18", "Connesso..."}));
        const QStringList testo_semplice{"PlainText", "PlainText"}; // the file's and the device's bytes, never markup
        QCOMPARE(banco.leggi({"Label7", "Label12"}, "textFormat"), testo_semplice);
        QCOMPARE(banco.quadro(), QStringLiteral("GGRR 23"));
        avanti();
        QCOMPARE(banco.leggi({"Text4"}) + banco.leggi({"ProgressBar1"}, "value"), (QStringList{"4D6", "100"}));
        QCOMPARE(banco.quadro(), QStringLiteral("GGGR 34"));
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(nelle_attese, QSet<Qt::CursorShape>{Qt::WaitCursor});
        QStringList ai_messaggi;
        banco.dialoghi.al_messaggio = [&] { ai_messaggi << banco.quadro().first(4); };
        banco.dialoghi.risposte = {Risposta::Si};
        avanti();
        QCOMPARE(ai_messaggi, (QStringList{"GGGR", "GGGG"})); // Shape2 green until "Update completed." is closed
        QCOMPARE(banco.leggi({"Text2"}) << banco.quadro().first(4), (QStringList{"Programmazione avviata...", "GRRR"}));
        fuoco << banco.finestra->focusWidget()->objectName();
        QCOMPARE(fuoco, (QStringList{"Command5", "Command6", "Command7", "Command2", "Command4", "Command7"}));
        const Tentativo tentativo = banco.storico.elenco(1).value().value(0); // the window's, with no exit code
        QCOMPARE(tentativo.front_end + (tentativo.codice_uscita ? " with an exit code" : ""), QStringLiteral("window"));
        banco.clicca("Command3");
        QCOMPARE(banco.quadro(), QStringLiteral("RRRR 5"));
        banco.clicca("Command1");
        QCOMPARE(banco.ini(), QByteArray("Path = " + banco.cartella.path().toLocal8Bit() + "/\r\nLanguage = 0\r\n"));
    }

    // Over TCP: another board's file erases nothing on a No, is written on a Yes; a stall costs a resend; the
    // device refuses the image, and its verdict is what is shown.
    void another_board_asked_then_a_stall_and_the_devices_verdict()
    {
        OpzioniSimulatore opzioni;
        opzioni.guasti = {{"PGP", 3, Guasto::Tipo::Stallo, {}, 1500}, {"PGX", 0, Guasto::Tipo::Risposta, "E", 0}};
        const QByteArray dati = QByteArray(1000, '\x3C');
        Banco banco("127.0.0.1", {}, opzioni);
        banco.pronto(firmware_integro('t', dati, "KS01")); // not the board of the simulator's device
        QCOMPARE(banco.canale.findChild<QTcpSocket *>("Winsock1")->socketOption(QAbstractSocket::LowDelayOption), 1);
        banco.dialoghi.risposte = {Risposta::No, Risposta::Si, Risposta::Si};
        banco.clicca("Command2");
        QCOMPARE(banco.dialoghi.titoli, QStringList{"Scheda diversa"});
        QVERIFY2(banco.sim->comandi("PGS").isEmpty(), "erased after a No");
        banco.clicca("Command2");
        QCOMPARE(banco.sim->comandi("PGP").size(), 9); // one resend
        banco.clicca("Command4");
        QCOMPARE(banco.leggi({"Text2"}).first(), QStringLiteral("Errore CRC16"));
        QCOMPARE(banco.sim->flash().first(dati.size()), dati);
    }

    // Over TCP, in station mode: the first dialog as designed, always-on-top switched in it, Enter, and the mode
    // command unanswered leave the link open. How each next one is left decides what is sent and shown; each
    // new connection starts from a closed socket, and Exit in the last one closes the link.
    void the_password_dialog_and_the_link_of_each_connection()
    {
        OpzioniSimulatore opzioni;
        opzioni.guasti = {{"MOP=", 0, Guasto::Tipo::NessunaRisposta, {}, 0}};
        Banco banco("127.0.0.2", {}, opzioni); // the Access Point's address: the simulator's is another one
        QSignalSpy collegati(banco.sim.get(), &SimulatoreModulo::cliente_connesso);
        QSignalSpy scollegati(banco.sim.get(), &SimulatoreModulo::cliente_scollegato);
        banco.lingua(1);
        banco.dialoghi.risposte = {Risposta::Si, Risposta::No, Risposta::No};
        const WId nativa = banco.finestra->winId();
        const auto sopra = [](const QWidget *w) { return bool(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint); };
        QStringList visto;
        QList<bool> in_primo_piano;
        const Azione invio = [](QWidget *dialogo) { QTest::keyClick(dialogo->focusWidget(), Qt::Key_Return); };
        const Azione progetto = [&](QWidget *dialogo) {
            const auto controllo = [dialogo](const char *nome) { return dialogo->findChild<QWidget *>(nome); };
            const auto testo = [&](const char *nome) { return controllo(nome)->property("text").toString(); };
            QCOMPARE(dialogo->size(), in_pixel(dialogo, {0, 0, 3735, 1425}).size());
            QCOMPARE(controllo("Text1")->geometry(), in_pixel(dialogo, {1080, 480, 2535, 285}));
            for (const char *etichetta : {"Label1", "Label2"}) // whole, in a smaller font if need be
                QVERIFY2(controllo(etichetta)->fontMetrics().horizontalAdvance(testo(etichetta))
                             <= controllo(etichetta)->width(), etichetta);
            QCOMPARE(controllo("Label2")->property("alignment").toInt(), Qt::AlignRight | Qt::AlignTop);
            for (QWidget *w = dialogo->focusWidget(); visto.size() < 3; w = w->nextInFocusChain())
                if (w->focusPolicy() & Qt::TabFocus)
                    visto << w->objectName();
            visto << dialogo->windowTitle() + (dialogo->isModal() ? " (modal)" : "") << testo("Label1")
                  << testo("Command1") << testo("Text1");
            in_primo_piano << sopra(dialogo); // as Check1 was
            for (int volta = 0; volta < 2; ++volta) {
                banco.trova<QAbstractButton>("Check1")->click();
                in_primo_piano << sopra(banco.finestra.get()) << sopra(dialogo);
            }
            QVERIFY2(banco.finestra->isVisible() && banco.finestra->winId() == nativa, "the window was re-created");
            invio(dialogo);
        };
        QList<int> collegamenti; // connected and disconnected while the second dialog shows
        const Azione chiusura = [&](QWidget *dialogo) {
            (void)QTest::qWaitFor([&] { return scollegati.count() > 0; }, 1000);
            collegamenti << collegati.count() << scollegati.count();
            dialogo->close();
        };
        const Azione escape = [](QWidget *dialogo) { QTest::keyClick(dialogo, Qt::Key_Escape); };
        const Azione annulla = [](QWidget *dialogo) { dialogo->findChild<QPushButton *>("Command1")->click(); };
        const Azione esci = [&](QWidget *) { banco.clicca("Command1"); };
        QPointer<QWidget> ultimo;
        for (const Azione &azione : {progetto, chiusura, escape, invio, annulla, esci}) {
            banco.sim->opzioni().modo = OpzioniSimulatore::Modo::Stazione; // the mode command was carried out
            al_dialogo("Form2", [&](QWidget *dialogo) { azione(ultimo = dialogo); });
            banco.clicca("Command5");
        }
        QCOMPARE(visto, (QStringList{"Command2", "Command1", "Text1", "Password Login",
                                     "To continue, you must provide the password", "Cancel", "40718253"}));
        QCOMPARE(in_primo_piano, (QList<bool>{false, true, true, false, false}));
        QCOMPARE(collegamenti, (QList<int>{2, 1})); // the first link closed, the second open
        // The close box sends the earlier password again; Escape and Cancel none.
        QCOMPARE(banco.sim->comandi("PAS="), QList<QByteArray>(3, "PAS=40718253"));
        const QString ap = "Access Point mode setting", vuota = "Password requested";
        QCOMPARE(banco.dialoghi.titoli, (QStringList{ap, "Mode Setup", ap, vuota, ap, vuota}));
        QVERIFY2(!banco.finestra->isVisible(), "Exit closed the window");
        QTRY_VERIFY2(!ultimo || !ultimo->isVisible(), "the password dialog is closed");
        QTRY_COMPARE(scollegati.count(), 6); // the link of the last one too
    }

    // What would brick a receiver is asked before anything is erased; No leaves the window as it was. Inside the
    // erase's wait Open is refused, and Exit ends the program there. The history's view shows the records: the
    // newest first, in words and with an icon; it filters and exports them.
    void the_window_asks_before_it_erases_and_its_history_shows_the_outcomes()
    {
        Banco banco;
        banco.pronto(firmware('t', QByteArray(600, 'a'))); // another board's, and its CRC16 is not its image's
        const QString stato = banco.leggi({"Text2"}).first();
        banco.dialoghi.risposte = {Risposta::Si, Risposta::No, Risposta::No, Risposta::Si, Risposta::Si};
        banco.clicca("Command2"); // Yes to the board, No to the damaged file
        banco.clicca("Command2"); // No to the board: in the books, nothing erased
        QCOMPARE(banco.dialoghi.titoli, (QStringList{"Scheda diversa", "File danneggiato", "Scheda diversa"}));
        QCOMPARE(banco.leggi({"Text2"}).first() + ", " + banco.quadro(), stato + ", GGRR 23");
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
        QCOMPARE(banco.dialoghi.titoli.size(), 5); // the two questions, then no box
        banco.finestra->problema_storico("history: the disk is full");
        banco.lingua(1);
        banco.trova<QAction>("menu_cronologia")->trigger();
        auto *vista = banco.finestra->findChild<VistaStorico *>();
        QVERIFY2(vista && QSignalSpy(vista, &VistaStorico::letto).wait(5000), "the menu shows the records");
        const QAbstractItemModel *righe = vista->findChild<QTableView *>("tabella")->model();
        const auto cella = [&](int riga, int colonna) { return righe->index(riga, colonna).data().toString(); };
        QCOMPARE((QStringList{cella(0, ModelloStorico::Esito), cella(0, ModelloStorico::Cancellato),
                              cella(1, ModelloStorico::Esito), cella(1, ModelloStorico::Cancellato)}),
                 (QStringList{"Interrupted", "Yes", "Refused: another board, nothing erased", ""}));
        const auto icona = [&](int riga, int colonna) {
            return !righe->index(riga, colonna).data(Qt::DecorationRole).value<QIcon>().isNull();
        };
        QCOMPARE(righe->headerData(ModelloStorico::Esito, Qt::Horizontal).toString(), "Result");
        QCOMPARE((QList<bool>{icona(0, ModelloStorico::Esito), icona(0, ModelloStorico::Cancellato),
                              icona(1, ModelloStorico::Cancellato)}),
                 (QList<bool>{true, true, false}));
        QCOMPARE(vista->findChild<QTableView *>("tabella")->accessibleName() + ", "
                     + vista->findChild<QWidget *>("filtro")->accessibleName(),
                 "Updates, newest first, History filter");
        QCOMPARE(vista->findChild<QWidget *>("stato")->property("text").toString(),
                 "2 updates shown.\nhistory: the disk is full");
        // The result's words in full in its tooltip; a forced run marked, and not the run after it.
        const QList<Tentativo> registrati = banco.storico.elenco(0).value();
        QCOMPARE(righe->index(1, ModelloStorico::Esito).data(Qt::ToolTipRole).toString()
                     + righe->index(1, ModelloStorico::File).data(Qt::ToolTipRole).toString(),
                 registrati.at(1).testo);
        QCOMPARE((QList<bool>{registrati.at(0).forzato, registrati.at(1).forzato}), (QList<bool>{true, false}));
        QVERIFY2(!vista->findChild<QWidget *>("ambito")->isVisibleTo(vista), "no server: one station only");
        vista->findChild<QWidget *>("filtro")->setProperty("text", "REFUSED");
        banco.dialoghi.da_scrivere = {banco.cartella.filePath("export.csv")};
        vista->findChild<QPushButton *>("esporta")->click();
        const QList<QByteArray> scritte = leggi_file(banco.cartella.filePath("export.csv")).split('\n');
        QCOMPARE(scritte.size(), 3); // the header, the one row shown, and the end of the last line
        QVERIFY2(scritte.at(1).contains(",board,"), scritte.at(1).constData());
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
