#include "tests/engine/engine_bench.h"

#include <QCryptographicHash>
#include <QUuid>

namespace {

const QString conferma = registrato(messaggio::conferma_aggiornamento);
const QString conferma_wgm110 = registrato(messaggio::conferma_aggiornamento_wgm110);
const QString terminato = registrato(messaggio::aggiornamento_terminato);

// Every half page of the image once, in order, headed `testa`.
QList<QByteArray> mezze_pagine(QByteArrayView testa, const QByteArray &dati)
{
    const QByteArray pagine = a_pagine_intere(dati);
    QList<QByteArray> comandi;
    for (int offset = 0; offset < pagine.size(); offset += 128) {
        QByteArray comando = testa.toByteArray() + char(offset >> 16) + char(offset >> 8) + char(offset);
        quint8 somma = 0;
        for (const char c : pagine.sliced(offset, 128))
            somma += quint8(c);
        comandi.append(comando + pagine.sliced(offset, 128) + char(somma));
    }
    return comandi;
}

QByteArray verifica(QByteArrayView testa, int pagine, quint16 crc)
{
    return testa.toByteArray() + char(pagine >> 8) + char(pagine) + char(crc >> 8) + char(crc);
}

// The attempts as a history would get them: the start, then the end.
struct StoricoRegistrato : Storico
{
    void inizio(const Tentativo &t) override { iniziati.append(t); }
    void fine(const Tentativo &t) override { conclusi.append(t); }
    QList<Tentativo> iniziati, conclusi;
};

const QByteArray blocco0("PGS\0", 4);
const QByteArray blocco1("PGS\1", 4);
const QByteArray tutto("PGF\0", 4);

using Script = QList<std::tuple<QByteArray, int, Replica>>;

} // namespace

class TestProgramming : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The reference CRC against the device's check values.
        QCOMPARE(crc_del_dispositivo("abc"), quint16(0x0EB3));
        QCOMPARE(crc_del_dispositivo(QByteArray(256, '\0')), quint16(0x1A98));
    }

    void whole_update_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<QList<QByteArray>>("cancellazione");
        QTest::addColumn<QList<int>>("avanzamenti");
        QTest::addColumn<QString>("cancellazione_in_corso");
        const QString kb64 = QStringLiteral("Cancellazione 64KB in corso...");
        QTest::newRow("t: one block, filler on the last page")
            << 't' << 1000 << QList<QByteArray>{blocco0} << QList<int>{0, 100, 33, 66, 100, 100} << kb64;
        QTest::newRow("s: two blocks, whole pages") << 's' << 512 << QList<QByteArray>{blocco0, blocco1}
                                                    << QList<int>{0, 50, 100, 50, 100} << "Cancellazione 128KB in corso...";
        QTest::newRow("W: the whole area at once, PGp and PGW") << 'W' << 256 << QList<QByteArray>{tutto}
                                                                << QList<int>{0, 100, 100} << "Cancellazione 756KB in corso...";
    }
    void whole_update()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QFETCH(QList<QByteArray>, cancellazione);
        const bool wgm110 = cpu == 'W';
        const QByteArray dati = dati_di_prova(lunghezza);
        const quint16 crc = crc_del_dispositivo(a_pagine_intere(dati));
        const int pagine = int(a_pagine_intere(dati).size() / 256);

        Motore motore;
        QVERIFY2(motore.pronto(cpu, dati), "connected, the file opened and the device identified");
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.link.comandi, cancellazione + mezze_pagine(wgm110 ? "PGp" : "PGP", dati));
        QTEST(motore.rapporto.avanzamenti, "avanzamenti");
        QFETCH(QString, cancellazione_in_corso);
        QCOMPARE(motore.rapporto.stati,
                 (QStringList{cancellazione_in_corso, "Trasferimento in corso...", "Trasferimento OK"}));
        QCOMPARE(motore.rapporto.campi, QStringList{"CRC " + QString::number(crc, 16).toUpper()});
        QCOMPARE(motore.rapporto.stato_di(Tappa::Trasferimento), StatoTappa::Fatta);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect update"));
        QCOMPARE(motore.link.attese.first(), (Attesa{1, 5000, 1}));
        QCOMPARE(motore.link.attese.last(), (Attesa{1, 1000, 1}));

        motore.azzera_registri();
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.link.comandi, QList<QByteArray>{verifica(wgm110 ? "PGW" : "PGX", pagine, crc)});
        QCOMPARE(motore.link.attese, (QList<Attesa>{{1, wgm110 ? 20000 : 5000, 1}}));
        QCOMPARE(motore.rapporto.stati, (QStringList{"Verifica CRC16 in corso...", "Programmazione avviata..."}));
        QCOMPARE(motore.rapporto.messaggi, (QStringList{wgm110 ? conferma_wgm110 : conferma, terminato}));
        // The WGM110 restarts as an Access Point: the link is closed, its lamp left as it was.
        QCOMPARE(motore.passi(), QString(wgm110 ? "connect identify" : "disconnect identify"));
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione), StatoTappa::Fatta);
        for (const Tappa tappa : {Tappa::Trasferimento, Tappa::Aggiornamento, Tappa::Identificazione})
            QCOMPARE(motore.rapporto.stato_di(tappa), StatoTappa::DaFare);
        QVERIFY2(!motore.rapporto.in_attesa, "the pointer is back to the arrow");
    }

    void transfer_failures_data()
    {
        QTest::addColumn<Script>("script");        // the module's replies
        QTest::addColumn<QString>("stato");        // the status that ends the transfer
        QTest::addColumn<int>("mezze_pagine");     // half pages sent
        QTest::addColumn<Attesa>("ultima_attesa");
        const Replica muto;
        const auto r = [](const char *byte) { return CollegamentoScriptato::risposta(byte); };
        const auto riga = [](const char *nome, Script script, const char *stato, int mezze_pagine, Attesa attesa) {
            QTest::newRow(nome) << script << QString(stato) << mezze_pagine << attesa;
        };
        riga("erase unanswered: one attempt", {{"PGS", 1, muto}}, "Errore cancellazione", 0, {1, 5000, 5000});
        riga("erase refused", {{"PGS", 1, r("AA")}}, "Errore cancellazione", 0, {1, 5000, 1});
        riga("C, then N: a write error", {{"PGP", 1, r("C")}, {"PGP", 2, r("N")}}, "Errore scrittura pagina", 2,
             {1, 1000, 1});
        riga("C every time", {{"PGP", 0, r("C")}}, "Errore checksum pagina 1", 3, {1, 1000, 1});
        riga("one budget for the page: C, A, C, C", {{"PGP", 1, r("C")}, {"PGP", 3, r("C")}, {"PGP", 4, r("C")}},
             "Errore checksum pagina 2", 4, {1, 1000, 1});
        riga("half pages unanswered", {{"PGP", 0, muto}}, "Errore trasferimento", 3, {1, 1000, 1000});
        // The kind of the third failure decides. A reply that never came is
        // owed: the next byte pays it and the attempt that follows gets none.
        riga("C, C, silence", {{"PGP", 1, r("C")}, {"PGP", 2, r("C")}, {"PGP", 3, muto}}, "Errore trasferimento", 3,
             {1, 1000, 1000});
        riga("C, C, an unknown reply", {{"PGP", 1, r("C")}, {"PGP", 2, r("C")}, {"PGP", 3, r("a")}},
             "Errore trasferimento", 3, {1, 1000, 1});
        // The sends are refused, nothing is waited for.
        riga("the link lost", {{"PGP", 3, Replica{{}, true}}}, "Errore trasferimento", 5, {1, 1000, 0});
    }
    void transfer_failures()
    {
        QFETCH(Script, script);
        QFETCH(int, mezze_pagine);
        Motore motore;
        for (const auto &[testa, occorrenza, risposta] : script)
            motore.link.script(testa, occorrenza, risposta);
        QVERIFY2(motore.pronto('t', dati_di_prova(1000)), "connected, the file opened and the device identified");
        motore.aggiornatore.trasferisci();

        QTEST(motore.rapporto.stati.last(), "stato");
        QCOMPARE(motore.link.comandi.size(), 1 + mezze_pagine);
        QTEST(motore.link.attese.last(), "ultima_attesa");
        QCOMPARE(motore.passi(), QStringLiteral("disconnect transfer"));
        QCOMPARE(motore.rapporto.stato_di(Tappa::Trasferimento), StatoTappa::InCorso);
        QVERIFY2(motore.rapporto.campi.isEmpty(), "nothing of the file or the device shown");
        QVERIFY2(!motore.rapporto.in_attesa, "the pointer is back to the arrow");
    }

    void verification_failures_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<Risposta>("risposta");         // to the confirmation
        QTest::addColumn<Replica>("verifica");    // the device's reply
        QTest::addColumn<QList<Attesa>>("attese"); // its wait
        QTest::addColumn<QString>("passi");        // the steps left
        const QString altro_trasferimento = QStringLiteral("disconnect open identify transfer");
        QTest::newRow("refused") << 't' << Risposta::Si << CollegamentoScriptato::risposta("E")
                                 << QList<Attesa>{{1, 5000, 1}} << altro_trasferimento;
        QTest::newRow("no verdict") << 't' << Risposta::Si << Replica{} << QList<Attesa>{{1, 5000, 5000}}
                                    << altro_trasferimento;
        QTest::newRow("W, no verdict: the link closed all the same")
            << 'W' << Risposta::Si << Replica{} << QList<Attesa>{{1, 20000, 20000}} << "connect open identify transfer";
        QTest::newRow("No: nothing sent") << 't' << Risposta::No << Replica{} << QList<Attesa>{} << "disconnect update";
    }
    void verification_failures()
    {
        QFETCH(char, cpu);
        QFETCH(Risposta, risposta);
        QFETCH(Replica, verifica);
        Motore motore;
        motore.link.script(cpu == 'W' ? "PGW" : "PGX", 0, verifica);
        QVERIFY2(motore.pronto(cpu, dati_di_prova(300)), "connected, the file opened and the device identified");
        motore.aggiornatore.trasferisci();
        motore.azzera_registri();
        motore.rapporto.risposte = {risposta};
        motore.aggiornatore.aggiorna();
        QTEST(motore.link.attese, "attese");
        QTEST(motore.passi(), "passi");
        QCOMPARE(motore.rapporto.messaggi.size(), 1);
        QCOMPARE(motore.aggiornatore.stato().risposta, risposta);
        const bool inviato = risposta == Risposta::Si;
        QCOMPARE(motore.rapporto.stati.join(u','), inviato ? "Verifica CRC16 in corso...,Errore CRC16" : "");
        QCOMPARE(motore.rapporto.stato_di(Tappa::Trasferimento), inviato ? StatoTappa::DaFare : StatoTappa::Fatta);
        QCOMPARE(motore.rapporto.stato_di(Tappa::Aggiornamento), StatoTappa::DaFare);
    }

    void late_replies_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<Script>("script");
        QTest::addColumn<int>("trasferimenti"); // transfers tried, each followed by Update when it is on offer
        QTest::addColumn<int>("mezze_pagine");  // half-page commands sent in all
        QTest::addColumn<int>("verifiche");     // verification commands sent
        QTest::addColumn<QString>("esito");     // the last status

        const auto tardi = [](int ms) { return CollegamentoScriptato::risposta("A", ms); };
        const Replica rifiutata = CollegamentoScriptato::risposta("E");
        const QString avviata = QStringLiteral("Programmazione avviata...");
        const QString errore_crc = QStringLiteral("Errore CRC16");
        for (const auto &[verdetto, esito] : {std::pair{Replica{}, avviata}, std::pair{rifiutata, errore_crc}}) {
            const QString come = verdetto.arrivi.isEmpty() ? QStringLiteral(", verified") : QStringLiteral(", refused");
            const auto riga = [&](const QString &nome, char cpu, Script script, int trasferimenti, int mezze_pagine,
                                  int verifiche) {
                if (!verdetto.arrivi.isEmpty())
                    script.append({"PGX", 0, verdetto});
                QTest::newRow(qPrintable(nome + come))
                    << cpu << script << trasferimenti << mezze_pagine << verifiche << esito;
            };
            // 1000 bytes: four pages, eight half pages, one resend for each wait of 1000 ms the reply misses.
            riga("first half page 1.5 s late", 't', {{"PGP", 1, tardi(1500)}}, 1, 9, 1);
                riga("last half page 2.5 s late", 't', {{"PGP", 8, tardi(2500)}}, 1, 10, 1);
            // An erase gets one attempt: the transfer fails, and the next one is judged on its own replies.
            riga("the only erase block 6 s late", 't', {{"PGS", 1, tardi(6000)}}, 2, 8, 1);
            riga("the second erase block 6 s late", 's', {{"PGS", 2, tardi(6000)}}, 2, 8, 1);
            // Three replies owed when the page's budget runs out: the next transfer pays them first.
            riga("replies owed past the budget", 't', {{"PGP", 3, tardi(3500)}}, 2, 13, 1);
        }
        // No verdict in time is a failure. Awaited a second more and forgotten, the verdict could still come
        // and be taken for the next erase's reply: no transfer runs on that link again.
        QTest::newRow("the verdict 9 s late: the link out of step")
            << 't' << Script{{"PGX", 1, tardi(9000)}} << 2 << 8 << 1
            << "Errore: il modulo non ha mai risposto a un comando precedente; disconnettere e connettere di nuovo";
        // A reply that never comes: every later byte pays an earlier attempt, and the page runs out of attempts.
        QTest::newRow("a half page never answered") << 't' << Script{{"PGP", 3, Replica{}}} << 1 << 5 << 0
                                                    << "Errore trasferimento";
    }
    void late_replies()
    {
        QFETCH(char, cpu);
        QFETCH(Script, script);
        QFETCH(int, trasferimenti);
        Motore motore;
        for (const auto &[testa, occorrenza, risposta] : script)
            motore.link.script(testa, occorrenza, risposta);
        QVERIFY2(motore.pronto(cpu, dati_di_prova(1000)), "connected, the file opened and the device identified");
        motore.rapporto.risposte = {Risposta::Si, Risposta::Si};
        for (int volta = 0; volta < trasferimenti; ++volta) {
            motore.aggiornatore.trasferisci();
            motore.aggiornatore.aggiorna();
        }
        const auto quanti = [&](const char *testa) {
            return int(std::count_if(motore.link.comandi.begin(), motore.link.comandi.end(),
                                     [testa](const QByteArray &comando) { return comando.startsWith(testa); }));
        };
        QTEST(quanti("PGP"), "mezze_pagine");
        QTEST(quanti("PGX"), "verifiche");
        QTEST(motore.rapporto.stati.last(), "esito");
    }

    void no_reply_is_owed_when_the_verification_is_sent_data()
    {
        QTest::addColumn<Replica>("dovuta"); // the reply to a command sent after the transfer
        QTest::addColumn<QStringList>("stati");
        QTest::addColumn<QString>("passi");
        QTest::newRow("owed, then paid within its second")
            << CollegamentoScriptato::risposta("A", 1800) << QStringList{"Verifica CRC16 in corso...", "Errore CRC16"}
            << "disconnect open identify transfer";
        QTest::newRow("owed for good: no verification") << Replica{} << QStringList{"Errore trasferimento"}
                                                        << "disconnect transfer";
    }
    void no_reply_is_owed_when_the_verification_is_sent()
    {
        QFETCH(Replica, dovuta);
        Motore motore;
        motore.link.script("PGS", 2, dovuta);
        motore.link.script("PGX", 0, CollegamentoScriptato::risposta("E"));
        QVERIFY2(motore.pronto('t', dati_di_prova(300)), "connected, the file opened and the device identified");
        motore.aggiornatore.trasferisci();
        motore.link.invia_comando(blocco0);
        motore.link.pausa(1000, 1);
        motore.azzera_registri();
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.aggiorna();
        QTEST(motore.rapporto.stati, "stati");
        QCOMPARE(motore.link.comandi.size(), motore.rapporto.stati.size() - 1); // the verification, when sent
        QTEST(motore.passi(), "passi");
        QVERIFY2(!motore.rapporto.in_attesa, "the pointer is back to the arrow");
    }

    // What a verification given up still owes is awaited a second before the
    // next conversation, then forgotten: no byte of it is taken for the identity's.
    void an_identification_starts_on_a_quiet_link_data()
    {
        QTest::addColumn<Replica>("verdetto");
        QTest::addColumn<QList<Attesa>>("attese"); // before the identity's, and its own
        QTest::newRow("the verdict 200 ms after its wait") << CollegamentoScriptato::risposta("A", 5200)
                                                           << QList<Attesa>{{1, 1000, 200}, {1, 500, 500}};
        QTest::newRow("a verdict never given") << Replica{} << QList<Attesa>{{1, 1000, 1000}, {1, 500, 500}};
    }
    void an_identification_starts_on_a_quiet_link()
    {
        QFETCH(Replica, verdetto);
        Motore motore;
        motore.link.script("PGX", 1, verdetto);
        QVERIFY2(motore.pronto('t', dati_di_prova(300)), "connected, the file opened and the device identified");
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.trasferisci();
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.rapporto.stati.last(), QStringLiteral("Errore CRC16"));
        motore.azzera_registri();
        motore.aggiornatore.identifica();
        QCOMPARE(motore.rapporto.campi, QStringList{"KR01 KESTRA01 05.03.18"});
        QTEST(motore.link.attese, "attese");
        QCOMPARE(motore.link.in_passo(), !verdetto.arrivi.isEmpty());
    }

    // After a verdict never given and an identification that went unanswered,
    // the module's restart is its own: answered, the link closes.
    void a_restart_is_answered_on_a_link_that_owes_replies()
    {
        Motore motore(altrove);
        motore.link.script("PGX", 1, Replica{});
        motore.link.script("FWI", 2, Replica{});
        motore.link.script("RST!", 1, {{{1, "OK!!"}}, true});
        QVERIFY2(motore.pronto('t', dati_di_prova(300)), "connected, the file opened and the device identified");
        motore.rapporto.risposte = {Risposta::Si, Risposta::Si};
        motore.aggiornatore.trasferisci();
        motore.aggiornatore.aggiorna();
        motore.azzera_registri();
        motore.aggiornatore.identifica();
        QCOMPARE(motore.link.comandi, (QList<QByteArray>{"FWI", "RST!"}));
        QCOMPARE(motore.rapporto.messaggi,
                 (QStringList{registrato(messaggio::offerta_reset), registrato(messaggio::modulo_riavviato)}));
        QCOMPARE(motore.passi(), QStringLiteral("connect"));
    }

    // An identity cut short is shown as it came; its rest is dropped before the erase.
    void the_rest_of_an_identity_is_dropped_before_the_erase()
    {
        Motore motore;
        const QByteArray identita("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);
        motore.link.script("FWI", 0, {{{1, identita.first(6)}, {700, identita.sliced(6)}}});
        motore.aperto(firmware_integro('t', dati_di_prova(300)));
        motore.aggiornatore.identifica();
        QCOMPARE(motore.rapporto.stati, QStringList{"Connesso..."});
        QCOMPARE(motore.passi(), QStringLiteral("disconnect transfer"));
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.rapporto.stati.last(), QStringLiteral("Trasferimento OK"));
        QCOMPARE(motore.link.attese.at(1), (Attesa{1, 1000, 200}));
        QVERIFY2(motore.link.in_passo(), "the link is in step");
    }

    void an_attempt_ends_once_as_what_ended_it_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("dopo"); // what the user does after the transfer
        QTest::addColumn<QString>("classe");
        QTest::addColumn<bool>("cancellato");
        QTest::addColumn<bool>("trasferito");
        QTest::addColumn<QString>("testo"); // in English
        QTest::addColumn<int>("rinvii");
        const auto r = [](const char *byte) { return CollegamentoScriptato::risposta(byte); };
        QTest::newRow("completed") << Script{} << "update" << "completed" << false << true << "Programming started..." << 0;
        QTest::newRow("completed, a half page sent again")
            << Script{{"PGP", 3, r("C")}} << "update" << "completed" << false << true << "Programming started..." << 1;
        QTest::newRow("refused") << Script{{"PGX", 0, r("E")}} << "update" << "verification" << true << true
                                 << "CRC16 error" << 0;
        QTest::newRow("a transfer failure") << Script{{"PGP", 0, r("N")}} << "" << "transfer" << true << false
                                            << "Page write error" << 0;
        QTest::newRow("disconnected before the update")
            << Script{} << "disconnect" << "interrupted" << true << true << "Interrupted." << 0;
        QTest::newRow("the program ends before the update")
            << Script{} << "end" << "interrupted" << true << true << "Interrupted." << 0;
    }
    void an_attempt_ends_once_as_what_ended_it()
    {
        QFETCH(Script, script);
        QFETCH(QString, dopo);
        Motore motore;
        StoricoRegistrato storico;
        motore.aggiornatore.registra_in({&storico, "window", "1.0.0", false, "bench 3", "SN-42", "tecnico"});
        for (const auto &[testa, occorrenza, risposta] : script)
            motore.link.script(testa, occorrenza, risposta);
        QVERIFY2(motore.pronto('t', dati_di_prova(300)), "connected, the file opened and the device identified");
        QVERIFY2(storico.iniziati.isEmpty(), "no attempt before the erase"); // nothing erased yet
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.trasferisci();
        QVERIFY2(storico.iniziati.value(0).cancellato, "a record says erased from its start");
        if (dopo == "update")
            motore.aggiornatore.aggiorna();
        else if (dopo == "disconnect")
            motore.aggiornatore.disconnetti();
        else if (dopo == "end")
            motore.aggiornatore.termina();
        QCOMPARE(storico.conclusi.size(), 1);
        motore.aggiornatore.termina(); // an attempt that ended is not ended again
        QCOMPARE(storico.iniziati.size(), 1);
        QCOMPARE(storico.conclusi.size(), 1);
        const Tentativo &t = storico.conclusi.first();
        const QByteArray file = firmware_integro('t', dati_di_prova(300));
        const QString crc = QString::number(crc_del_dispositivo(a_pagine_intere(dati_di_prova(300))), 16).toUpper();
        QCOMPARE((QStringList{t.front_end, t.versione, t.indirizzo, QString::number(t.porta), t.file,
                              t.file_sha256, t.cpu, t.bootloader, t.firmware, t.scheda, t.crc16_memorizzato}),
                 (QStringList{"window", "1.0.0", ap, "7999", "FW.BIN",
                              QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex(), "t", "1.2", "2.13",
                              "KR01", crc}));
        QCOMPARE((QStringList{t.firmware_dispositivo, t.scheda_dispositivo, t.nome_dispositivo, t.data_dispositivo}),
                 (QStringList{"2.15", "KR01", "KESTRA01", "05.03.18"}));
        QCOMPARE((QStringList{t.stazione, t.unita, t.utente}), (QStringList{"bench 3", "SN-42", "tecnico"}));
        QCOMPARE(QUuid::fromString(t.id).isNull(), false);
        QCOMPARE(t.inizio.timeSpec(), Qt::UTC);
        QVERIFY2(t.concluso() && !t.codice_uscita, "ended, and the window has no exit code");
        QTEST(t.rinvii, "rinvii");
        QTEST(t.classe, "classe");
        QTEST(t.testo, "testo");
        QTEST(t.cancellato, "cancellato");
        QFETCH(bool, trasferito);
        QCOMPARE(t.crc16, trasferito ? crc : QString());
        QCOMPARE(t.pagine, trasferito ? 2 : 0);
    }

    void ending_inside_a_wait_sends_and_shows_nothing_more_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("attesa");
        QTest::addColumn<QString>("ultimo_stato");
        QTest::newRow("the erase") << 't' << 1 << "Cancellazione 64KB in corso...";
        QTest::newRow("a half page") << 't' << 3 << "Trasferimento in corso...";
        QTest::newRow("the verification") << 't' << 10 << "Verifica CRC16 in corso...";
        QTest::newRow("the WGM110's verification") << 'W' << 10 << "Verifica CRC16 in corso...";
    }
    void ending_inside_a_wait_sends_and_shows_nothing_more()
    {
        QFETCH(char, cpu);
        QFETCH(int, attesa);
        Motore motore;
        QVERIFY2(motore.pronto(cpu, dati_di_prova(1000)), "connected, the file opened and the device identified");
        motore.link.durante_attesa = [&](int n) {
            if (n == attesa)
                motore.aggiornatore.termina();
        };
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.trasferisci();
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.link.comandi.size(), attesa);
        QCOMPARE(motore.rapporto.messaggi.size(), attesa == 10 ? 1 : 0);
        QTEST(motore.rapporto.stati.last(), "ultimo_stato");
    }
};

QTEST_GUILESS_MAIN(TestProgramming)
#include "test_programming.moc"
