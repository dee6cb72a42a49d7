#include "tests/scenario/fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QWindow>

namespace {
const QColor rosso(255, 0, 0);
const QColor verde(0, 255, 0);

QByteArray leggi(const QString &percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the events of one type that reach an object.
struct ContaEventi : QObject
{
    ContaEventi(QObject *oggetto, QEvent::Type tipo) : m_tipo(tipo) { oggetto->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *evento) override
    {
        volte += evento->type() == m_tipo;
        return false;
    }
    int volte = 0;

private:
    QEvent::Type m_tipo;
};

OpzioniSimulatore stazione()
{
    OpzioniSimulatore opzioni;
    opzioni.modo = OpzioniSimulatore::Modo::Stazione;
    return opzioni;
}
} // namespace

class TestModuleAccess : public QObject
{
    Q_OBJECT

private slots:
    void startup_without_settings_is_italian_and_writes_defaults()
    {
        Banco banco;
        QCOMPARE(banco.stato_text2(), QStringLiteral("Attesa connessione..."));
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.pulsante("Command1")->isEnabled(), true);
        for (const char *lampada : {"Shape1", "Shape2", "Shape3", "Shape4"})
            QCOMPARE(banco.lampada(lampada), rosso);
        QCOMPARE(banco.finestra->windowTitle(), QStringLiteral("KESTRA Firmware updater"));
        QCOMPARE(leggi(banco.cartella.filePath("BootLoader.ini")), QByteArray("Path = \r\nLanguage = 0\r\n"));
    }

    void startup_in_english_from_settings()
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
        QCOMPARE(finestra.findChild<QPushButton *>("Command5")->text(), QStringLiteral("Connect"));
        QCOMPARE(finestra.findChild<QLabel *>("Label13")->text(), QStringLiteral("File name:"));
        QCOMPARE(finestra.findChild<QMenu *>("menu_lingua")->title(), QStringLiteral("English"));
        QVERIFY(finestra.findChild<QAction *>("menu_lingua_item_1")->isChecked());
        QVERIFY(!finestra.findChild<QAction *>("menu_lingua_item_0")->isChecked());
        QCOMPARE(finestra.stato().percorso_firmware, QStringLiteral("/fw/"));
    }

    void language_menu_switches_captions_and_is_saved_at_exit()
    {
        Banco banco;
        banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
        QCOMPARE(banco.pulsante("Command2")->text(), QStringLiteral("Transfer"));
        QCOMPARE(banco.etichetta("Label9")->text(), QStringLiteral("TALVIO IP"));
        QCOMPARE(banco.stato_text2(), QStringLiteral("Waiting for connection..."));
        banco.finestra->findChild<QAction *>("menu_lingua_item_0")->trigger();
        QCOMPARE(banco.stato_text2(), QStringLiteral("Attesa connessione..."));
        banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
        banco.clicca("Command1");
        QVERIFY(!banco.finestra->isVisible());
        QCOMPARE(leggi(banco.cartella.filePath("BootLoader.ini")), QByteArray("Path = \r\nLanguage = 1\r\n"));
    }

    void access_point_address_is_ready_at_once()
    {
        Banco banco;
        banco.clicca("Command5");
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
        QTRY_COMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{});
        QVERIFY(banco.dialoghi.mostrati.isEmpty());

        banco.clicca("Command3");
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
    }

    void password_accepted_then_access_point_question()
    {
        QFETCH(int, risposta);
        QFETCH(QList<QByteArray>, comandi);
        QFETCH(QStringList, titoli);

        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {risposta};
        banco.clicca("Command5");

        QCOMPARE(banco.sim.comandi_ricevuti(), comandi);
        QCOMPARE(banco.dialoghi.titoli(), titoli);
        QCOMPARE(banco.dialoghi.mostrati.first().icona, Icona::Informazione);
        QCOMPARE(banco.dialoghi.mostrati.first().pulsanti, Pulsanti::SiNo);
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
        QCOMPARE(banco.finestra->stato().password, QStringLiteral("40718253"));
    }
    void password_accepted_then_access_point_question_data()
    {
        QTest::addColumn<int>("risposta");
        QTest::addColumn<QList<QByteArray>>("comandi");
        QTest::addColumn<QStringList>("titoli");
        QTest::newRow("yes: mode command")
            << risposta_si << QList<QByteArray>{"PAS=40718253", QByteArray("MOP=\x02", 5)}
            << QStringList{QStringLiteral("Impostazione Modalità Access Point"), QStringLiteral("Imposta Modalità")};
        QTest::newRow("no: link closed")
            << risposta_no << QList<QByteArray>{"PAS=40718253"}
            << QStringList{QStringLiteral("Impostazione Modalità Access Point")};
    }

    void mode_change_points_the_address_at_the_access_point()
    {
        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command5");
        QCOMPARE(banco.casella("Text1")->text(), QString::fromLatin1(Banco::altro_indirizzo_ap));
        QCOMPARE(banco.dialoghi.mostrati.last().testo,
                 QStringLiteral("Il modulo wifi è stato riavviato\r\nAttendi 30 secondi ed esegui nuovamente la connessione wifi"));
        QCOMPARE(banco.dialoghi.mostrati.last().icona, Icona::Esclamazione);
    }

    void password_refused_paths()
    {
        QFETCH(QString, password);
        QFETCH(QList<Guasto>, guasti);
        QFETCH(QList<QByteArray>, comandi);
        QFETCH(QStringList, testi);

        OpzioniSimulatore opzioni = stazione();
        opzioni.guasti = guasti;
        Banco banco(opzioni, Banco::altro_indirizzo_ap);
        banco.rispondi_password(password);
        banco.clicca("Command5");

        QCOMPARE(banco.sim.comandi_ricevuti(), comandi);
        QStringList mostrati;
        for (const auto &box : banco.dialoghi.mostrati) {
            QCOMPARE(box.icona, Icona::Esclamazione);
            QCOMPARE(box.pulsanti, Pulsanti::Ok);
            mostrati.append(box.testo);
        }
        QCOMPARE(mostrati, testi);
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
    }
    void password_refused_paths_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<Guasto>>("guasti");
        QTest::addColumn<QList<QByteArray>>("comandi");
        QTest::addColumn<QStringList>("testi");
        const QString errata = QStringLiteral("Password errata!\r\nAggiornamento disabilitato");
        QTest::newRow("wrong") << QStringLiteral("1234") << QList<Guasto>{}
                               << QList<QByteArray>{"PAS=1234"} << QStringList{errata};
        QTest::newRow("empty: nothing sent") << QString() << QList<Guasto>{} << QList<QByteArray>{}
                                             << QStringList{QStringLiteral("Aggiornamento disabilitato")};
        QTest::newRow("no reply: two warnings")
            << QStringLiteral("40718253") << QList<Guasto>{{"PAS=", 0, Guasto::Tipo::NessunaRisposta, {}, 0}}
            << QList<QByteArray>{"PAS=40718253"} << QStringList{QStringLiteral("Errore lettura modulo"), errata};
        QTest::newRow("other reply") << QStringLiteral("40718253")
                                     << QList<Guasto>{{"PAS=", 0, Guasto::Tipo::Risposta, "PAS=KO", 0}}
                                     << QList<QByteArray>{"PAS=40718253"} << QStringList{errata};
    }

    void accepted_marker_after_other_text_counts()
    {
        OpzioniSimulatore opzioni = stazione();
        opzioni.guasti = {{"PAS=", 0, Guasto::Tipo::Risposta, "xxPAS=OK", 0}};
        Banco banco(opzioni, Banco::altro_indirizzo_ap);
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.clicca("Command5");
        QCOMPARE(banco.dialoghi.titoli(), QStringList{QStringLiteral("Impostazione Modalità Access Point")});
    }

    void password_bytes_leave_as_latin1()
    {
        OpzioniSimulatore opzioni = stazione();
        opzioni.password = QByteArray("pw\xE9\xFF", 4);
        Banco banco(opzioni, Banco::altro_indirizzo_ap);
        banco.rispondi_password(QString::fromLatin1(opzioni.password));
        banco.dialoghi.risposte = {risposta_no};
        banco.clicca("Command5");
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{QByteArray("PAS=pw\xE9\xFF", 8)});
        QCOMPARE(banco.dialoghi.titoli(), QStringList{QStringLiteral("Impostazione Modalità Access Point")});
    }

    void dialog_closed_keeps_the_previous_password()
    {
        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        // At program start there is none: the empty-password warning.
        banco.al_dialogo_password([](QDialog *dialogo) { dialogo->close(); });
        banco.clicca("Command5");
        QCOMPARE(banco.dialoghi.titoli(), QStringList{QStringLiteral("Richiesta password")});
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{});

        banco.rispondi_password(QStringLiteral("40718253"));
        banco.clicca("Command5");
        banco.al_dialogo_password([](QDialog *dialogo) { dialogo->close(); });
        banco.clicca("Command5");
        QCOMPARE(banco.sim.comandi("PAS="), (QList<QByteArray>{"PAS=40718253", "PAS=40718253"}));
    }

    void password_dialog_texts_follow_the_language()
    {
        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
        QString richiesta, annulla, iniziale, titolo;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            richiesta = dialogo->findChild<QLabel *>("Label1")->text();
            annulla = dialogo->findChild<QPushButton *>("Command1")->text();
            iniziale = dialogo->findChild<QLineEdit *>("Text1")->text();
            titolo = dialogo->windowTitle();
            QCOMPARE(dialogo->findChild<QLineEdit *>("Text1")->echoMode(), QLineEdit::Normal);
            dialogo->findChild<QPushButton *>("Command1")->click();
        });
        banco.clicca("Command5");
        QCOMPARE(richiesta, QStringLiteral("To continue, you must provide the password"));
        QCOMPARE(annulla, QStringLiteral("Cancel"));
        QCOMPARE(iniziale, QStringLiteral("40718253"));
        QCOMPARE(titolo, QStringLiteral("Password Login"));
        QCOMPARE(banco.dialoghi.mostrati.first().testo, QStringLiteral("Update disabled"));
    }

    void mode_command_without_reply_leaves_the_link_open()
    {
        OpzioniSimulatore opzioni = stazione();
        opzioni.guasti = {{"MOP=", 0, Guasto::Tipo::NessunaRisposta, {}, 0}};
        Banco banco(opzioni, Banco::altro_indirizzo_ap);
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command5");
        QCOMPARE(banco.dialoghi.mostrati.last().titolo, QStringLiteral("Imposta Modalità"));
        QCOMPARE(banco.dialoghi.mostrati.last().testo, QStringLiteral("Errore lettura modulo"));
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.finestra->canale().Winsock1().state(), QAbstractSocket::ConnectedState);

        // A new click starts from a closed socket: the old link is dropped.
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {risposta_no};
        banco.clicca("Command5");
        QCOMPARE(banco.sim.connessioni_accettate(), 2);
    }

    void silent_module_away_from_the_access_point_is_taken_as_ready()
    {
        Banco banco({}, Banco::altro_indirizzo_ap);
        QElapsedTimer tempo;
        tempo.start();
        banco.clicca("Command5");
        QVERIFY(tempo.elapsed() >= 4900);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }

    void a_second_click_inside_the_wait_is_refused()
    {
        Banco banco({}, Banco::altro_indirizzo_ap);
        QTimer::singleShot(100, banco.finestra.get(), [&] { banco.clicca("Command5"); });
        banco.clicca("Command5");
        QCOMPARE(banco.sim.connessioni_accettate(), 1);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
    }

    void refused_connection_shows_the_error_in_the_current_language()
    {
        Banco banco;
        banco.sim.close();
        banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
        banco.clicca("Command5");
        QTRY_COMPARE(banco.dialoghi.mostrati.size(), 1);
        const auto &box = banco.dialoghi.mostrati.first();
        QCOMPARE(box.titolo, QStringLiteral("Connection error"));
        QCOMPARE(box.testo, QStringLiteral("Connection error to the Wi-Fi module, check the entered IP address."));
        QCOMPARE(box.icona, Icona::Esclamazione);
        QCOMPARE(banco.lampada("Shape4"), rosso);
    }

    void exit_inside_the_wait_ends_at_once_with_the_settings_written()
    {
        Banco banco({}, Banco::altro_indirizzo_ap);
        banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
        QTimer::singleShot(100, banco.finestra.get(), [&] { banco.clicca("Command1"); });
        QElapsedTimer tempo;
        tempo.start();
        banco.clicca("Command5");
        QVERIFY(tempo.elapsed() < 2000);
        QVERIFY(!banco.finestra->isVisible());
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QCOMPARE(leggi(banco.cartella.filePath("BootLoader.ini")), QByteArray("Path = \r\nLanguage = 1\r\n"));
    }

    void exit_inside_the_password_dialog_closes_it()
    {
        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        QPointer<QDialog> dialogo_visto;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            dialogo_visto = dialogo;
            banco.finestra->close();
        });
        banco.clicca("Command5");
        QVERIFY(!banco.finestra->isVisible());
        QTRY_VERIFY(!dialogo_visto || !dialogo_visto->isVisible());
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{});
    }

    void a_link_lost_in_the_password_dialog_leaves_the_next_connection_clean()
    {
        OpzioniSimulatore opzioni = stazione();
        opzioni.guasti = {{"PAS?", 1, Guasto::Tipo::ChiudiDopo, {}, 0}};
        Banco banco(opzioni, Banco::altro_indirizzo_ap);
        banco.al_dialogo_password([&](QDialog *dialogo) {
            QTRY_COMPARE(banco.finestra->canale().Winsock1().state(), QAbstractSocket::UnconnectedState);
            dialogo->findChild<QPushButton *>("Command2")->click();
        });
        banco.clicca("Command5");
        QCOMPARE(banco.dialoghi.titoli(), (QStringList{"Invio Password", "Invio Password"}));

        // The next connection waits for the challenge and answers it.
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.clicca("Command5");
        QCOMPARE(banco.sim.comandi("PAS="), QList<QByteArray>{"PAS=40718253"});
        QCOMPARE(banco.dialoghi.titoli().last(), QStringLiteral("Impostazione Modalità Access Point"));
    }

    void password_dialog_opens_on_ok_with_its_label_whole()
    {
        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        QString fuoco;
        bool etichetta_intera = false;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            fuoco = dialogo->focusWidget() ? dialogo->focusWidget()->objectName() : QString();
            const auto *etichetta = dialogo->findChild<QLabel *>("Label2");
            etichetta_intera = QFontMetrics(etichetta->font()).horizontalAdvance(etichetta->text())
                               <= etichetta->contentsRect().width();
            QTest::keyClick(dialogo->focusWidget(), Qt::Key_Return);
        });
        banco.clicca("Command5");
        QCOMPARE(fuoco, QStringLiteral("Command2"));
        QVERIFY(etichetta_intera);
        QCOMPARE(banco.sim.comandi("PAS="), QList<QByteArray>{"PAS=40718253"});
    }

    void always_on_top_keeps_the_native_window_in_place()
    {
        Banco banco;
        const QRect prima = banco.finestra->geometry();
        const WId nativa = banco.finestra->winId();
        ContaEventi nascosta(banco.finestra.get(), QEvent::Hide);
        auto *casella = banco.finestra->findChild<QCheckBox *>("Check1");
        for (const bool atteso : {true, false}) {
            casella->click();
            QCOMPARE(bool(banco.finestra->windowHandle()->flags() & Qt::WindowStaysOnTopHint), atteso);
            QVERIFY(banco.finestra->isVisible());
            QCOMPARE(banco.finestra->winId(), nativa);
            QCOMPARE(banco.finestra->geometry(), prima);
        }
        QCOMPARE(nascosta.volte, 0);
    }

    void always_on_top_keeps_the_password_dialog_above()
    {
        Banco banco(stazione(), Banco::altro_indirizzo_ap);
        bool dialogo_sopra = false;
        banco.al_dialogo_password([&](QDialog *dialogo) {
            banco.finestra->findChild<QCheckBox *>("Check1")->click();
            dialogo_sopra = dialogo->isVisible() && (dialogo->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
            dialogo->close();
        });
        banco.clicca("Command5");
        QVERIFY(dialogo_sopra);
    }

    void qt_texts_follow_the_language()
    {
        Banco banco;
        DialoghiQt veri;
        const auto pulsanti_della_domanda = [&] {
            QStringList testi;
            QTimer::singleShot(0, banco.finestra.get(), [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->textFormat(), Qt::PlainText);
                for (QAbstractButton *pulsante : box->buttons())
                    testi.append(pulsante->text().remove(u'&'));
                box->button(QMessageBox::Yes)->click();
            });
            const int risposta = veri.mostra_messaggio(banco.finestra.get(), "?", "<b>x</b>", Icona::Informazione,
                                                       Pulsanti::SiNo);
            testi.sort();
            return QPair<int, QStringList>(risposta, testi);
        };
        QCOMPARE(pulsanti_della_domanda(), (QPair<int, QStringList>(risposta_si, {"No", QStringLiteral("Sì")})));
        banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
        QCOMPARE(pulsanti_della_domanda(), (QPair<int, QStringList>(risposta_si, {"No", "Yes"})));
        banco.finestra->findChild<QAction *>("menu_lingua_item_0")->trigger();
        QCOMPARE(pulsanti_della_domanda().second, (QStringList{"No", QStringLiteral("Sì")}));
    }
};

QTEST_MAIN(TestModuleAccess)
#include "test_module_access.moc"
