#include "tests/engine/engine_bench.h"

#include <QCryptographicHash>
#include <QUuid>

#include <numeric>

namespace {

const char *const preparato = "connected, the file opened and the device identified";
const QString altro_trasferimento = QStringLiteral("disconnect open identify transfer");
const QString da_ritrasferire = QStringLiteral("disconnect transfer");

// Every half page of the image once, in order, headed `testa`.
QList<QByteArray> mezze_pagine(QByteArrayView testa, const QByteArray &dati)
{
    const QByteArray pagine = a_pagine_intere(dati);
    QList<QByteArray> comandi;
    for (int offset = 0; offset < pagine.size(); offset += 128) {
        const QByteArray meta = pagine.sliced(offset, 128);
        comandi.append(testa.toByteArray() + char(offset >> 16) + char(offset >> 8) + char(offset) + meta
                       + char(std::accumulate(meta.begin(), meta.end(), 0)));
    }
    return comandi;
}

// The attempts as a history would get them: the start, then the end.
struct StoricoRegistrato : Storico
{
    void inizio(const Tentativo &t) override { iniziati.append(t); }
    void fine(const Tentativo &t) override { conclusi.append(t); }
    QList<Tentativo> iniziati, conclusi;
};

// Transfers of a 1000-byte image (four pages), each followed by Update when
// it is on offer, on a script of the module's replies; the attempts recorded.
struct Corsa
{
    const char *nome;
    QList<std::tuple<QByteArray, int, Replica>> script; // the n-th command with this head (0: each)
    QString esito;               // the last status
    int mezze_pagine, verifiche; // commands sent in all
    Attesa ultima_attesa;
    QString passi;
    StatoTappa trasferimento; // its lamp
    const char *classe;       // of the last attempt, once disconnected
    int rinvii;               // half pages its transfer sent again
    int messaggi = 0;         // boxes shown
    char cpu = 't';
    int volte = 1;
    Risposta conferma = Risposta::Si; // of the update
    int fine_in = 0;                  // the program ends at the start of this wait (from 1); 0: never
    bool debito = false;              // a command sent after each transfer, its reply owed
};

const auto r = [](const char *byte, int dopo_ms = 1) { return CollegamentoScriptato::risposta(byte, dopo_ms); };
const Replica muto;
const StatoTappa in_corso = StatoTappa::InCorso, da_fare = StatoTappa::DaFare;
const QString errore = QStringLiteral("Errore trasferimento"), errore_crc = QStringLiteral("Errore CRC16");
const char *const verifica = "verification";

const Corsa corse[] = {
    {"erase refused: one attempt", {{"PGS", 1, r("AA")}}, "Errore cancellazione", 0, 0, {1, 5000, 1},
     da_ritrasferire, in_corso, "erase", 0},
    {"C, then N: a write error", {{"PGP", 1, r("C")}, {"PGP", 2, r("N")}}, "Errore scrittura pagina", 2, 0,
     {1, 1000, 1}, da_ritrasferire, in_corso, "transfer", 1},
    {"one budget for the page: C, A, C, C", {{"PGP", 1, r("C")}, {"PGP", 3, r("C")}, {"PGP", 4, r("C")}},
     "Errore checksum pagina 2", 4, 0, {1, 1000, 1}, da_ritrasferire, in_corso, "transfer", 2},
    // The kind of the third failure decides: a reply that never came is owed,
    // the next byte pays it and the attempt that follows gets none.
    {"C, C, silence", {{"PGP", 1, r("C")}, {"PGP", 2, r("C")}, {"PGP", 3, muto}}, errore, 3, 0, {1, 1000, 1000},
     da_ritrasferire, in_corso, "transfer", 2},
    {"a half page never answered: every later byte pays an earlier attempt", {{"PGP", 3, muto}}, errore, 5, 0,
     {1, 1000, 1000}, da_ritrasferire, in_corso, "transfer", 2},
    {"the link lost: the sends refused, nothing waited for, no resend", {{"PGP", 3, Replica{{}, true}}}, errore, 5,
     0, {1, 1000, 0}, da_ritrasferire, in_corso, "transfer", 0},
    {"verification refused", {{"PGX", 0, r("E")}}, errore_crc, 8, 1, {1, 5000, 1}, altro_trasferimento, da_fare,
     verifica, 0, 1},
    {"W, no verdict: the link closed all the same", {{"PGW", 0, muto}}, errore_crc, 8, 1, {1, 20000, 20000},
     "connect open identify transfer", da_fare, verifica, 0, 1, 'W'},
    {"No: nothing sent", {}, "Trasferimento OK", 8, 0, {1, 1000, 1}, "disconnect update", StatoTappa::Fatta,
     "interrupted", 0, 1, 't', 1, Risposta::No},
    // Late replies are paid before the next conversation, never taken for the verdict.
    {"last half page 2.5 s late", {{"PGP", 8, r("A", 2500)}, {"PGX", 0, r("E")}}, errore_crc, 10, 1, {1, 5000, 1},
     altro_trasferimento, da_fare, verifica, 2, 1},
    // An erase gets one attempt: the transfer fails, and the next one is judged on its own replies.
    {"the second erase block 6 s late", {{"PGS", 2, r("A", 6000)}, {"PGX", 0, r("E")}}, errore_crc, 8, 1,
     {1, 5000, 1}, altro_trasferimento, da_fare, verifica, 0, 1, 's', 2},
    // Three replies owed when the page's budget runs out: the next transfer pays them first.
    {"replies owed past the budget", {{"PGP", 3, r("A", 3500)}, {"PGX", 0, r("E")}}, errore_crc, 13, 1,
     {1, 5000, 1}, altro_trasferimento, da_fare, verifica, 0, 1, 't', 2},
    // No verdict in time is a failure. Awaited a second more and forgotten, the verdict could still come
    // and be taken for the next erase's reply: no transfer runs on that link again, nothing is erased.
    {"the verdict 9 s late: the link out of step", {{"PGX", 1, r("A", 9000)}},
     "Errore: il modulo non ha mai risposto a un comando precedente; disconnettere e connettere di nuovo", 8, 1,
     {1, 1000, 1000}, altro_trasferimento, in_corso, verifica, 0, 1, 't', 2},
    // The verdict must answer the verification: what is owed is awaited first, and when it never comes
    // the transfer did not complete.
    {"a reply owed after the transfer, paid within its second", {{"PGS", 2, r("A", 1800)}, {"PGX", 0, r("E")}},
     errore_crc, 8, 1, {1, 5000, 1}, altro_trasferimento, da_fare, verifica, 0, 1, 't', 1, Risposta::Si, 0, true},
    {"a reply owed for good: no verification", {{"PGS", 2, muto}}, errore, 8, 0, {1, 1000, 1000}, da_ritrasferire,
     in_corso, "transfer", 0, 1, 't', 1, Risposta::Si, 0, true},
    // An identity cut short is taken as it came; its rest is paid before the erase.
    {"the rest of an identity dropped before the erase",
     {{"FWI", 0, {{{1, "FWI=\x02\x15"}, {700, "KR01KESTRA01\x24\x65"}}}}}, "Programmazione avviata...", 8, 1,
     {1, 5000, 1}, "disconnect identify", da_fare, "completed", 0, 2},
    {"ended in the erase", {}, "Cancellazione 64KB in corso...", 0, 0, {1, 5000, 0}, "disconnect", in_corso,
     "interrupted", 0, 0, 't', 1, Risposta::Si, 1},
    {"ended in a half page", {}, "Trasferimento in corso...", 2, 0, {1, 1000, 0}, "disconnect", in_corso,
     "interrupted", 0, 0, 't', 1, Risposta::Si, 3},
    {"ended in the verification", {}, "Verifica CRC16 in corso...", 8, 1, {1, 5000, 0}, "disconnect",
     StatoTappa::Fatta, "interrupted", 0, 1, 't', 1, Risposta::Si, 10},
};

} // namespace

class TestProgramming : public QObject
{
    Q_OBJECT

private slots:
    void whole_update_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<QList<QByteArray>>("cancellazione");
        QTest::addColumn<QList<int>>("avanzamenti");
        QTest::addColumn<QString>("cancellazione_in_corso");
        QTest::newRow("t: one block, filler on the last page") << 't' << 1000 << QList<QByteArray>{{"PGS\0", 4}}
                                                               << QList<int>{0, 100, 33, 66, 100, 100} << "64KB";
        QTest::newRow("s: two blocks, whole pages") << 's' << 512 << QList<QByteArray>{{"PGS\0", 4}, {"PGS\1", 4}}
                                                    << QList<int>{0, 50, 100, 50, 100} << "128KB";
        QTest::newRow("W: the whole area at once, PGp and PGW")
            << 'W' << 256 << QList<QByteArray>{{"PGF\0", 4}} << QList<int>{0, 100, 100} << "756KB";
    }
    void whole_update()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QFETCH(QList<QByteArray>, cancellazione);
        QFETCH(QString, cancellazione_in_corso);
        const bool wgm110 = cpu == 'W';
        const QByteArray dati = dati_di_prova(lunghezza);
        const quint16 crc = crc_del_dispositivo(a_pagine_intere(dati));
        const int pagine = int(a_pagine_intere(dati).size() / 256);
        Motore motore;
        StoricoRegistrato storico;
        motore.aggiornatore.registra_in({&storico, "window", "1.0.0", false, "bench 3", "SN-42", "tecnico"});
        QVERIFY2(motore.pronto(cpu, dati), preparato);
        motore.aggiornatore.trasferisci();
        QTEST(motore.rapporto.avanzamenti, "avanzamenti");
        QCOMPARE(motore.rapporto.campi, QStringList{"CRC " + QString::number(crc, 16).toUpper()});
        QCOMPARE(motore.rapporto.stato_di(Tappa::Trasferimento), StatoTappa::Fatta);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect update"));

        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.aggiorna();
        const QByteArray verifica = QByteArray(wgm110 ? "PGW" : "PGX") + char(pagine >> 8) + char(pagine)
                                    + char(crc >> 8) + char(crc);
        QCOMPARE(motore.link.comandi, cancellazione + mezze_pagine(wgm110 ? "PGp" : "PGP", dati) + QList{verifica});
        QCOMPARE(motore.link.attese.first(), (Attesa{1, 5000, 1}));
        QCOMPARE(motore.link.attese.mid(motore.link.attese.size() - 2),
                 (QList<Attesa>{{1, 1000, 1}, {1, wgm110 ? 20000 : 5000, 1}}));
        QCOMPARE(motore.rapporto.stati, (QStringList{"Cancellazione " + cancellazione_in_corso + " in corso...",
                                                     "Trasferimento in corso...", "Trasferimento OK",
                                                     "Verifica CRC16 in corso...", "Programmazione avviata..."}));
        QCOMPARE(motore.rapporto.messaggi,
                 (QStringList{registrato(wgm110 ? messaggio::conferma_aggiornamento_wgm110
                                                : messaggio::conferma_aggiornamento),
                              registrato(messaggio::aggiornamento_terminato)}));
        // The WGM110 restarts as an Access Point: the link is closed, its lamp left as it was.
        QCOMPARE(motore.passi(), QString(wgm110 ? "connect identify" : "disconnect identify"));
        QCOMPARE(motore.aggiornatore.collegato(), !wgm110);
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione), StatoTappa::Fatta);
        for (const Tappa tappa : {Tappa::Trasferimento, Tappa::Aggiornamento, Tappa::Identificazione})
            QCOMPARE(motore.rapporto.stato_di(tappa), StatoTappa::DaFare);

        QCOMPARE(storico.conclusi.size(), 1);
        const Tentativo &t = storico.conclusi.first();
        const QString testo_crc = QString::number(crc, 16).toUpper();
        QCOMPARE((QStringList{t.front_end, t.versione, t.indirizzo, QString::number(t.porta), t.file, t.file_sha256,
                              t.cpu, t.bootloader, t.firmware, t.scheda, t.crc16_memorizzato, t.firmware_dispositivo,
                              t.scheda_dispositivo, t.nome_dispositivo, t.data_dispositivo, t.stazione, t.unita,
                              t.utente, t.classe, t.testo, t.crc16, QString::number(t.pagine)}),
                 (QStringList{"window", "1.0.0", ap, "7999", "FW.BIN",
                              QCryptographicHash::hash(firmware_integro(cpu, dati), QCryptographicHash::Sha256).toHex(),
                              QString(QChar(cpu)), "1.2", "2.13", "KR01", testo_crc, "2.15", "KR01", "KESTRA01",
                              "05.03.18", "bench 3", "SN-42", "tecnico", "completed", "Programming started...",
                              testo_crc, QString::number(pagine)}));
        QVERIFY2(!QUuid::fromString(t.id).isNull() && t.inizio.timeSpec() == Qt::UTC, "an id, a start in UTC");
        QVERIFY2(t.concluso() && !t.codice_uscita && !t.cancellato, "ended, erased no more, no exit code");
    }

    // Every way a transfer or a verification fails or is cut short; replies that come late.
    void transfer_failures_data()
    {
        QTest::addColumn<Corsa>("corsa");
        for (const Corsa &corsa : corse)
            QTest::newRow(corsa.nome) << corsa;
    }
    void transfer_failures()
    {
        QFETCH(Corsa, corsa);
        Motore motore;
        StoricoRegistrato storico;
        motore.aggiornatore.registra_in({&storico, "window", "1.0.0", false, {}, {}, {}});
        for (const auto &[testa, occorrenza, risposta] : corsa.script)
            motore.link.script(testa, occorrenza, risposta);
        QVERIFY2(motore.pronto(corsa.cpu, dati_di_prova(1000)), preparato);
        motore.link.durante_attesa = [&](int n) {
            if (n == corsa.fine_in)
                motore.aggiornatore.termina();
        };
        motore.rapporto.risposte = {corsa.conferma, corsa.conferma};
        for (int volta = 0; volta < corsa.volte; ++volta) {
            motore.aggiornatore.trasferisci();
            if (corsa.debito) {
                motore.link.invia_comando({"PGS\0", 4});
                motore.link.pausa(1000, 1);
            }
            motore.aggiornatore.aggiorna();
        }
        const TipoCpu &tipo = *cerca_tipo_cpu(corsa.cpu);
        const auto quanti = [&](const char *testa) {
            return int(std::ranges::count_if(motore.link.comandi, [&](const auto &c) { return c.startsWith(testa); }));
        };
        QCOMPARE(motore.rapporto.stati.last(), corsa.esito);
        QCOMPARE((std::pair{quanti(tipo.comando_mezza_pagina), quanti(tipo.comando_verifica)}),
                 (std::pair{corsa.mezze_pagine, corsa.verifiche}));
        QCOMPARE(motore.link.attese.last(), corsa.ultima_attesa);
        QCOMPARE(motore.passi(), corsa.passi);
        QCOMPARE(motore.rapporto.stato_di(Tappa::Trasferimento), corsa.trasferimento);
        QCOMPARE(motore.rapporto.stato_di(Tappa::Aggiornamento), StatoTappa::DaFare);
        QCOMPARE(motore.rapporto.messaggi.size(), corsa.messaggi);
        QVERIFY2(!motore.rapporto.in_attesa, "the pointer is back to the arrow");

        // An attempt ends once, as what ended it; its record says erased until the device's verdict.
        motore.aggiornatore.disconnetti();
        motore.aggiornatore.termina();
        QCOMPARE(storico.conclusi.size(), storico.iniziati.size());
        for (const Tentativo &t : std::as_const(storico.iniziati))
            QVERIFY2(t.cancellato, "a record says erased from its start");
        const Tentativo ultimo = storico.conclusi.value(storico.conclusi.size() - 1);
        QCOMPARE(ultimo.classe, QLatin1String(corsa.classe));
        QCOMPARE(ultimo.cancellato, ultimo.classe != "completed");
        QCOMPARE(ultimo.rinvii, corsa.rinvii);
    }
};

QTEST_GUILESS_MAIN(TestProgramming)
#include "test_programming.moc"
