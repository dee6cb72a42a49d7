#include "tests/engine/engine_bench.h"

namespace {

const QString domanda = registrato(messaggio::domanda_access_point);
const QString vuota = registrato(messaggio::password_vuota);
const QString errata = registrato(messaggio::password_errata);
const QString senza_risposta = registrato(messaggio::password_senza_risposta);
const QString modo_cambiato = registrato(messaggio::modo_cambiato);
const QString modo_muto = registrato(messaggio::modo_senza_risposta);
const QByteArray password = "PAS=40718253";
const QByteArray modo = QByteArray("MOP=\x02", 5);
const QList<Attesa> sfida{{2, 5000, 1}, {1, 500, 500}};

// A connection: where, what the module does, what the user answers, and what follows.
struct Caso
{
    const char *nome;
    QString indirizzo;
    QByteArray alla_connessione;
    QList<std::pair<QByteArray, Replica>> script;
    QList<std::optional<QString>> password;
    QList<Risposta> risposte;
    QList<QByteArray> comandi;
    QStringList messaggi;
    QString passi;
    QList<Attesa> attese;
};

const QList<std::optional<QString>> ok{QStringLiteral("40718253")};
const auto r = CollegamentoScriptato::risposta;
const Replica muto;

const Caso casi[] = {
    {"access point: ready at once", ap, {}, {}, {}, {}, {}, {}, "disconnect open", {}},
    {"elsewhere, silent: ready after 5 s", altrove, {}, {}, {}, {}, {}, {}, "disconnect open", {{2, 5000, 5000}}},
    {"elsewhere, data but no challenge", altrove, "HELLO", {}, {}, {}, {}, {}, "disconnect open", {{2, 5000, 1}}},
    {"accepted, Yes: mode command", altrove, "PAS?", {}, ok, {Risposta::Si}, {password, modo},
     {domanda, modo_cambiato}, "connect", sfida + QList<Attesa>{{1, 1000, 1}}},
    {"accepted, No: link closed", altrove, "PAS?", {}, ok, {Risposta::No}, {password}, {domanda}, "connect", sfida},
    {"challenge after other text", altrove, "xyPAS?", {}, ok, {}, {password}, {domanda}, "connect", sfida},
    {"Cancel: nothing sent", altrove, "PAS?", {}, {QString()}, {}, {}, {vuota}, "connect", {{2, 5000, 1}}},
    {"refused", altrove, "PAS?", {{"PAS=", r("PAS=ERR", 1)}}, ok, {}, {password}, {errata}, "connect", sfida},
    {"unanswered: two warnings", altrove, "PAS?", {{"PAS=", muto}}, ok, {}, {password}, {senza_risposta, errata},
     "connect", sfida},
    {"accepted inside other text", altrove, "PAS?", {{"PAS=", r("xxPAS=OKyy", 1)}}, ok, {}, {password}, {domanda},
     "connect", sfida},
    {"accepted in pieces within the wait", altrove, "PAS?", {{"PAS=", Replica{{{1, "PAS="}, {450, "OK"}}}}}, ok,
     {}, {password}, {domanda}, "connect", sfida},
    {"accepted after the wait: refused", altrove, "PAS?", {{"PAS=", r("PAS=OK", 501)}}, ok, {}, {password},
     {senza_risposta, errata}, "connect", sfida},
    {"mode command unanswered: link open", altrove, "PAS?", {{"MOP=", muto}}, ok, {Risposta::Si}, {password, modo},
     {domanda, modo_muto}, "connect", sfida + QList<Attesa>{{1, 1000, 1000}}},
};

} // namespace

class TestModuleAccess : public QObject
{
    Q_OBJECT

private slots:
    void connetti_data()
    {
        QTest::addColumn<Caso>("caso");
        for (const Caso &voce : casi)
            QTest::newRow(voce.nome) << voce;
    }
    void connetti()
    {
        QFETCH(Caso, caso);
        Motore motore(caso.indirizzo);
        if (!caso.alla_connessione.isEmpty())
            motore.link.alla_connessione = {{1, caso.alla_connessione}};
        for (const auto &[testa, risposta] : caso.script)
            motore.link.script(testa, 0, risposta);
        motore.rapporto.password = caso.password;
        motore.rapporto.risposte = caso.risposte;
        motore.aggiornatore.connetti();

        QCOMPARE(motore.link.host, caso.indirizzo);
        QCOMPARE(motore.link.comandi, caso.comandi);
        QCOMPARE(motore.rapporto.messaggi, caso.messaggi);
        QCOMPARE(motore.passi(), caso.passi);
        QCOMPARE(motore.link.attese, caso.attese);
        QCOMPARE(motore.rapporto.richieste_password, caso.alla_connessione.contains("PAS?") ? 1 : 0);
        // The mode command left the link open, its lamp green.
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione),
                 caso.passi != QLatin1String("connect") || caso.messaggi.contains(modo_muto) ? StatoTappa::Fatta
                                                                                              : StatoTappa::DaFare);
    }

    void after_a_mode_change_the_address_is_the_access_point()
    {
        Motore motore(altrove);
        motore.link.alla_connessione = {{1, "PAS?"}};
        motore.rapporto.password = ok;
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.connetti();
        QCOMPARE(motore.rapporto.campi, QStringList{"address " + ap});
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.host, ap);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open"));
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
        QCOMPARE(motore.link.attese.mid(2), sfida);
        QCOMPARE(motore.rapporto.messaggi.last(), domanda);
    }

    void steps_are_refused_inside_a_wait_and_after_the_end()
    {
        Motore motore(altrove);
        motore.link.durante_attesa = [&](int) {
            motore.aggiornatore.connetti();
            motore.aggiornatore.apri(percorso_di(motore.scrivi_firmware(firmware('t', "x"))));
        };
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.connessioni, 1);
        QVERIFY2(motore.rapporto.campi.isEmpty(), "nothing of the file or the device shown");
        motore.aggiornatore.disconnetti();
        motore.aggiornatore.termina();
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.connessioni, 1);
    }

    void ending_inside_a_wait_sends_and_shows_nothing_more_data()
    {
        QTest::addColumn<int>("attesa");
        QTest::newRow("the challenge's") << 1;
        QTest::newRow("the password's reply") << 2;
        QTest::newRow("the mode command's reply") << 3;
    }
    void ending_inside_a_wait_sends_and_shows_nothing_more()
    {
        QFETCH(int, attesa);
        Motore motore(altrove);
        motore.link.alla_connessione = {{1, "PAS?"}};
        motore.link.script("MOP=", 0, muto);
        motore.rapporto.password = ok;
        motore.rapporto.risposte = {Risposta::Si};
        motore.link.durante_attesa = [&](int n) {
            if (n == attesa)
                motore.aggiornatore.termina();
        };
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.attese.size(), attesa);
        QCOMPARE(motore.link.comandi.size(), attesa - 1);
        QCOMPARE(motore.rapporto.messaggi, attesa == 3 ? QStringList{domanda} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestModuleAccess)
#include "test_module_access.moc"
