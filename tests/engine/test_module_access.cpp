#include "tests/engine/engine_bench.h"

namespace {

const QString domanda = registrato(messaggio::domanda_access_point);
const QString errata = registrato(messaggio::password_errata);
const QString senza_risposta = registrato(messaggio::password_senza_risposta);
const QString modo_cambiato = registrato(messaggio::modo_cambiato);
const QString modo_muto = registrato(messaggio::modo_senza_risposta);
const QByteArray password = "PAS=40718253";
const QByteArray modo = QByteArray("MOP=\x02", 5);
const QList<Attesa> sfida{{2, 5000, 1}, {1, 500, 500}};

const QList<std::optional<QString>> ok{QStringLiteral("40718253")};
const auto r = CollegamentoScriptato::risposta;
const Replica muto;

// A connection: what the module sends once connected, what is sent and shown
// and waited for, what follows, what the module replies and the user answers.
struct Caso
{
    const char *nome;
    QByteArray alla_connessione;
    QList<QByteArray> comandi;
    QStringList messaggi;
    QString passi;
    QList<Attesa> attese;
    QList<std::tuple<QByteArray, int, Replica>> script{}; // the n-th command with this head (0: each)
    QList<Risposta> risposte{};
    QList<std::optional<QString>> password = ok;
    QString indirizzo = altrove;
    int fine_in = 0;   // the program ends at the start of this wait (from 1); 0: never
    int volte = 1;     // connections tried
    bool clic = false; // Connect and Open clicked inside each wait
};

const QString da_connettere = QStringLiteral("connect");
const Caso casi[] = {
    {"access point: ready at once", {}, {}, {}, "disconnect open", {}, {}, {}, ok, ap},
    {"elsewhere, silent: ready after 5 s, clicks meanwhile refused", {}, {}, {}, "disconnect open", {{2, 5000, 5000}},
     {}, {}, ok, altrove, 0, 1, true},
    {"accepted, Yes: mode command", "PAS?", {password, modo}, {domanda, modo_cambiato}, da_connettere,
     sfida + QList<Attesa>{{1, 1000, 1}}, {}, {Risposta::Si}},
    {"challenge after other text, accepted, No: link closed", "xyPAS?", {password}, {domanda}, da_connettere, sfida},
    {"Cancel: nothing sent", "PAS?", {}, {registrato(messaggio::password_vuota)}, da_connettere, {{2, 5000, 1}}, {},
     {}, {QString()}},
    {"refused", "PAS?", {password}, {errata}, da_connettere, sfida, {{"PAS=", 0, r("PAS=ERR", 1)}}},
    {"unanswered: two warnings", "PAS?", {password}, {senza_risposta, errata}, da_connettere, sfida,
     {{"PAS=", 0, muto}}},
    {"accepted in pieces inside other text, within the wait", "PAS?", {password}, {domanda}, da_connettere, sfida,
     {{"PAS=", 0, Replica{{{1, "xxPAS="}, {450, "OKyy"}}}}}},
    {"accepted after the wait: refused", "PAS?", {password}, {senza_risposta, errata}, da_connettere, sfida,
     {{"PAS=", 0, r("PAS=OK", 501)}}},
    {"mode command unanswered: link open", "PAS?", {password, modo}, {domanda, modo_muto}, da_connettere,
     sfida + QList<Attesa>{{1, 1000, 1000}}, {{"MOP=", 0, muto}}, {Risposta::Si}},
    // Ending inside a wait sends and shows nothing more.
    {"ended in the challenge's wait", "PAS?", {}, {}, da_connettere, {{2, 5000, 0}}, {}, {}, ok, altrove, 1},
    {"ended in the password's wait", "PAS?", {password}, {}, da_connettere, {{2, 5000, 1}, {1, 500, 0}}, {}, {}, ok,
     altrove, 2},
    {"ended in the mode command's wait", "PAS?", {password, modo}, {domanda}, da_connettere,
     sfida + QList<Attesa>{{1, 1000, 0}}, {}, {Risposta::Si}, ok, altrove, 3},
    {"a refused send spoils no later connection", "PAS?", {password, password}, {senza_risposta, errata, domanda},
     da_connettere, {{2, 5000, 1}, {1, 500, 0}, {2, 5000, 1}, {1, 500, 500}}, {{"PAS=", 1, {{}, false, true}}}, {},
     ok + ok, altrove, 0, 2},
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
        for (const auto &[testa, occorrenza, risposta] : caso.script)
            motore.link.script(testa, occorrenza, risposta);
        motore.rapporto.password = caso.password;
        motore.rapporto.risposte = caso.risposte;
        motore.link.durante_attesa = [&](int n) {
            if (n == caso.fine_in)
                motore.aggiornatore.termina();
            if (caso.clic) {
                motore.aggiornatore.connetti();
                motore.aggiornatore.apri(percorso_di(motore.scrivi_firmware(firmware('t', "x"))));
            }
        };
        for (int volta = 0; volta < caso.volte; ++volta)
            motore.aggiornatore.connetti();

        QCOMPARE(motore.link.host, caso.indirizzo);
        QCOMPARE(motore.link.comandi, caso.comandi);
        QCOMPARE(motore.rapporto.messaggi, caso.messaggi);
        QCOMPARE(motore.passi(), caso.passi);
        QCOMPARE(motore.link.attese, caso.attese);
        // After a mode change the module is at the Access Point's address.
        QCOMPARE(motore.rapporto.campi,
                 caso.messaggi.contains(modo_cambiato) ? QStringList{"address " + ap} : QStringList{});
        // A link the step closed has its lamp back to red; an unanswered mode command, or the end, leaves it open.
        const bool chiuso = caso.passi == da_connettere && !caso.messaggi.contains(modo_muto) && !caso.fine_in;
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione), chiuso ? StatoTappa::DaFare : StatoTappa::Fatta);
        // No step is taken inside a wait, or after the end.
        motore.aggiornatore.termina();
        motore.aggiornatore.connetti();
        QCOMPARE(motore.link.connessioni, caso.volte);
    }
};

QTEST_GUILESS_MAIN(TestModuleAccess)
#include "test_module_access.moc"
