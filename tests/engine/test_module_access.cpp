#include "tests/engine/engine_bench.h"

namespace {

using Password = QList<std::optional<QString>>;
using Script = QList<std::pair<QByteArray, Risposta>>;

const QString domanda = QStringLiteral("Impostazione Modalità Access Point|L'aggiornamento del firmware della "
                                       "ricevente KESTRA è possibile unicamente con il modulo Wi-Fi configurato "
                                       "come Access Point.\r\nVuoi impostare il modulo come Access Point?");
const QString vuota = QStringLiteral("Richiesta password|Aggiornamento disabilitato");
const QString errata = QStringLiteral("Invio Password|Password errata!\r\nAggiornamento disabilitato");
const QString senza_risposta = QStringLiteral("Invio Password|Errore lettura modulo");
const QString modo_cambiato = QStringLiteral("Imposta Modalità|Il modulo wifi è stato riavviato\r\nAttendi 30 "
                                             "secondi ed esegui nuovamente la connessione wifi");
const QString modo_muto = QStringLiteral("Imposta Modalità|Errore lettura modulo");
const QByteArray password_giusta = "PAS=40718253";
const QByteArray modo = QByteArray("MOP=\x02", 5);

} // namespace

class TestModuleAccess : public QObject
{
    Q_OBJECT

private slots:
    void connetti_data()
    {
        QTest::addColumn<QString>("indirizzo");
        QTest::addColumn<QByteArray>("alla_connessione");
        QTest::addColumn<Script>("script");
        QTest::addColumn<Password>("password");
        QTest::addColumn<QList<int>>("risposte");
        QTest::addColumn<QList<QByteArray>>("comandi");
        QTest::addColumn<QStringList>("messaggi");
        QTest::addColumn<QString>("passi");
        QTest::addColumn<QList<Attesa>>("attese");

        const Password ok{QStringLiteral("40718253")};
        const QList<Attesa> sfida{{2, 5000, 1}, {1, 500, 500}};
        const QString pronto = QStringLiteral("disconnect open");
        QTest::newRow("access point: ready at once, nothing waited for")
            << ap << QByteArray() << Script{} << Password{} << QList<int>{} << QList<QByteArray>{} << QStringList{}
            << pronto << QList<Attesa>{};
        QTest::newRow("elsewhere, silent: ready after 5 s") << altrove << QByteArray() << Script{} << Password{}
            << QList<int>{} << QList<QByteArray>{} << QStringList{} << pronto << QList<Attesa>{{2, 5000, 5000}};
        QTest::newRow("elsewhere, data but no challenge") << altrove << QByteArray("HELLO") << Script{} << Password{}
            << QList<int>{} << QList<QByteArray>{} << QStringList{} << pronto << QList<Attesa>{{2, 5000, 1}};
        QTest::newRow("access point address with a blank is elsewhere")
            << QString(u' ' + ap) << QByteArray() << Script{} << Password{} << QList<int>{} << QList<QByteArray>{}
            << QStringList{} << pronto << QList<Attesa>{{2, 5000, 5000}};
        QTest::newRow("accepted, Yes: mode command, module restarts")
            << altrove << QByteArray("PAS?") << Script{} << ok << QList<int>{risposta_si}
            << QList<QByteArray>{password_giusta, modo} << QStringList{domanda, modo_cambiato} << "connect"
            << (sfida + QList<Attesa>{{1, 1000, 1}});
        QTest::newRow("accepted, No: link closed") << altrove << QByteArray("PAS?") << Script{} << ok
            << QList<int>{risposta_no} << QList<QByteArray>{password_giusta} << QStringList{domanda} << "connect"
            << sfida;
        QTest::newRow("challenge after other text") << altrove << QByteArray("xyPAS?") << Script{} << ok
            << QList<int>{} << QList<QByteArray>{password_giusta} << QStringList{domanda} << "connect" << sfida;
        QTest::newRow("Cancel: nothing sent") << altrove << QByteArray("PAS?") << Script{} << Password{QString()}
            << QList<int>{} << QList<QByteArray>{} << QStringList{vuota} << "connect"
            << QList<Attesa>{{2, 5000, 1}};
        QTest::newRow("prompt closed with no earlier password")
            << altrove << QByteArray("PAS?") << Script{} << Password{std::nullopt} << QList<int>{}
            << QList<QByteArray>{} << QStringList{vuota} << "connect" << QList<Attesa>{{2, 5000, 1}};
        QTest::newRow("refused") << altrove << QByteArray("PAS?")
            << Script{{"PAS=", CollegamentoScriptato::risposta("PAS=ERR")}} << ok << QList<int>{}
            << QList<QByteArray>{password_giusta} << QStringList{errata} << "connect" << sfida;
        QTest::newRow("unanswered: two warnings") << altrove << QByteArray("PAS?")
            << Script{{"PAS=", CollegamentoScriptato::silenzio()}} << ok << QList<int>{}
            << QList<QByteArray>{password_giusta} << QStringList{senza_risposta, errata} << "connect" << sfida;
        QTest::newRow("three bytes count as no reply") << altrove << QByteArray("PAS?")
            << Script{{"PAS=", CollegamentoScriptato::risposta("PAS")}} << ok << QList<int>{}
            << QList<QByteArray>{password_giusta} << QStringList{senza_risposta, errata} << "connect" << sfida;
        QTest::newRow("acceptance inside other text") << altrove << QByteArray("PAS?")
            << Script{{"PAS=", CollegamentoScriptato::risposta("xxPAS=OKyy")}} << ok << QList<int>{}
            << QList<QByteArray>{password_giusta} << QStringList{domanda} << "connect" << sfida;
        QTest::newRow("acceptance in pieces within the full wait") << altrove << QByteArray("PAS?")
            << Script{{"PAS=", Risposta{{{1, "PAS="}, {450, "OK"}}}}} << ok << QList<int>{}
            << QList<QByteArray>{password_giusta} << QStringList{domanda} << "connect" << sfida;
        QTest::newRow("acceptance after the wait: refused") << altrove << QByteArray("PAS?")
            << Script{{"PAS=", CollegamentoScriptato::risposta("PAS=OK", 501)}} << ok << QList<int>{}
            << QList<QByteArray>{password_giusta} << QStringList{senza_risposta, errata} << "connect" << sfida;
        QTest::newRow("mode command unanswered: link left open") << altrove << QByteArray("PAS?")
            << Script{{"MOP=", CollegamentoScriptato::silenzio()}} << ok << QList<int>{risposta_si}
            << QList<QByteArray>{password_giusta, modo} << QStringList{domanda, modo_muto} << "connect"
            << (sfida + QList<Attesa>{{1, 1000, 1000}});
    }
    void connetti()
    {
        QFETCH(QString, indirizzo);
        QFETCH(QByteArray, alla_connessione);
        QFETCH(Script, script);
        QFETCH(Password, password);
        QFETCH(QList<int>, risposte);

        Motore motore(indirizzo);
        if (!alla_connessione.isEmpty())
            motore.link.alla_connessione = {{1, alla_connessione}};
        for (const auto &[testa, risposta] : script)
            motore.link.script(testa, 0, risposta);
        motore.rapporto.password = password;
        motore.rapporto.risposte = risposte;
        motore.aggiornatore.connetti();

        QCOMPARE(motore.link.host, indirizzo);
        QTEST(motore.link.comandi, "comandi");
        QTEST(motore.rapporto.messaggi, "messaggi");
        QTEST(motore.passi(), "passi");
        QTEST(motore.link.attese, "attese");
        QCOMPARE(motore.rapporto.richieste_password, alla_connessione.contains("PAS?") ? 1 : 0);
        QVERIFY(!motore.rapporto.in_attesa);
    }

    void mode_change_points_the_address_at_the_access_point()
    {
        Motore motore(altrove);
        motore.link.alla_connessione = {{1, "PAS?"}};
        motore.rapporto.password = {QStringLiteral("40718253")};
        motore.rapporto.risposte = {risposta_si};
        motore.aggiornatore.connetti();
        QCOMPARE(motore.rapporto.campi, QStringList{"address " + ap});
        QCOMPARE(motore.rapporto.colore(Lampada::Connessione), Colore::Rosso);
        // The next connection is at the Access Point: no wait, no password.
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.host, ap);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open"));
        QCOMPARE(motore.rapporto.colore(Lampada::Connessione), Colore::Verde);
    }

    void a_closed_prompt_sends_the_earlier_password_again()
    {
        Motore motore(altrove);
        motore.link.alla_connessione = {{1, "PAS?"}};
        motore.rapporto.password = {QStringLiteral("pw\u00e9\u00ff"), std::nullopt};
        motore.aggiornatore.connetti();
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.comandi, (QList<QByteArray>{"PAS=pw\xE9\xFF", "PAS=pw\xE9\xFF"}));
    }

    void refused_connection_warns_and_the_buttons_still_say_connected()
    {
        Motore motore;
        motore.link.connessione_rifiutata = true;
        motore.aggiornatore.connetti();
        QCOMPARE(motore.rapporto.messaggi, QStringList{"Errore di connessione|Errore di connessione al modulo "
                                                       "Wi-Fi, verificare l'indirizzo IP inserito."});
        QCOMPARE(motore.rapporto.icone, QList<Icona>{Icona::Esclamazione});
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open"));
        QCOMPARE(motore.rapporto.colore(Lampada::Connessione), Colore::Rosso);
    }

    void a_refused_send_spoils_no_later_connection()
    {
        Motore motore(altrove);
        motore.link.alla_connessione = {{1, "PAS?"}};
        motore.link.script("PAS=", 1, {{}, false, true});
        motore.rapporto.password = {QStringLiteral("40718253"), QStringLiteral("40718253")};
        motore.aggiornatore.connetti();
        QCOMPARE(motore.rapporto.messaggi, (QStringList{senza_risposta, errata}));
        QCOMPARE(motore.link.attese.last(), (Attesa{1, 500, 0}));

        motore.aggiornatore.connetti();
        QCOMPARE(motore.rapporto.richieste_password, 2);
        QCOMPARE(motore.link.attese.last(), (Attesa{1, 500, 500}));
        QCOMPARE(motore.rapporto.messaggi.last(), domanda);
    }

    void a_second_step_inside_a_wait_is_refused()
    {
        Motore motore(altrove);
        motore.link.durante_attesa = [&](int) {
            motore.aggiornatore.connetti();
            motore.aggiornatore.apri(motore.scrivi_firmware(firmware('t', "x")));
        };
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.connessioni, 1);
        QCOMPARE(motore.link.attese.size(), 1);
        QVERIFY(motore.rapporto.campi.isEmpty());
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open"));
    }

    void ending_inside_a_wait_sends_and_shows_nothing_more_data()
    {
        QTest::addColumn<int>("attesa"); // the wait the program ends in
        QTest::addColumn<QByteArray>("testa"); // the command that gets no reply
        QTest::newRow("first data") << 1 << QByteArray();
        QTest::newRow("password reply") << 2 << QByteArray();
        QTest::newRow("mode reply") << 3 << QByteArray("MOP=");
    }
    void ending_inside_a_wait_sends_and_shows_nothing_more()
    {
        QFETCH(int, attesa);
        QFETCH(QByteArray, testa);
        Motore motore(altrove);
        motore.link.alla_connessione = {{1, "PAS?"}};
        motore.link.script("PAS=", 0, CollegamentoScriptato::risposta("PAS=OK", 400));
        if (!testa.isEmpty())
            motore.link.script(testa, 0, CollegamentoScriptato::silenzio());
        motore.rapporto.password = {QStringLiteral("40718253")};
        motore.rapporto.risposte = {risposta_si};
        const QStringList prima = attesa == 3 ? QStringList{domanda} : QStringList{};
        motore.link.durante_attesa = [&](int n) {
            if (n == attesa)
                motore.aggiornatore.termina();
        };
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.attese.size(), attesa);
        QCOMPARE(motore.link.comandi.size(), attesa - 1);
        QCOMPARE(motore.rapporto.messaggi, prima);
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.connessioni, 1);
    }
};

QTEST_GUILESS_MAIN(TestModuleAccess)
#include "test_module_access.moc"
