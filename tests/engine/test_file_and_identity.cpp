#include "tests/engine/engine_bench.h"

namespace {

const QString non_compatibile = registrato(messaggio::firmware_non_compatibile);
const QString inesistente = registrato(messaggio::file_inesistente);
const QString wgm110 = registrato(messaggio::avviso_wgm110);
const QString offerta_reset = registrato(messaggio::offerta_reset);
const QString riavviato = registrato(messaggio::modulo_riavviato);
const QByteArray identita_intera("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);

QString bootloader(const char *versione)
{
    return registrato(messaggio::bootloader_non_supportato, {QLatin1String(versione)});
}

// A firmware file opened after connecting at the Access Point.
struct Apertura
{
    const char *nome;
    QByteArray contenuto; // null: no file at all
    QString campi;
    QStringList messaggi;
    QString passi;
    int codice_cpu;
};

const QByteArray dati(10, 'x');
const Apertura aperture[] = {
    {"t, bootloader 1.2", firmware('t', dati), "FW.BIN t 12 1A98", {}, "disconnect open identify", 1},
    {"W, bytes 0 and 12 make 1.2", firmware('W', dati, 0, 12), "FW.BIN W 12 1A98", {}, "disconnect open identify", 3},
    {"14 bytes: the low CRC byte is 0", firmware('s', {}).left(14), "FW.BIN s 12 1A00", {}, "disconnect open identify",
     2},
    {"upper-case T is unknown", firmware('T', dati), "FW.BIN ? 12 1A98", {non_compatibile}, "disconnect open", 0},
    {"bootloader 1.1", firmware('t', dati, 1, 1), "FW.BIN t 11 1A98", {bootloader("1.1")}, "disconnect open", 1},
    {"both refusals, CPU first", firmware('x', dati, 1, 1), "FW.BIN ? 11 1A98", {non_compatibile, bootloader("1.1")},
     "disconnect open", 0},
    {"missing", {}, {}, {inesistente}, "disconnect open", 0},
    {"empty", QByteArray(""), {}, {inesistente}, "disconnect open", 0},
};

// An identification: where, the file's CPU, the reply, the answers, and what follows.
struct Identificazione
{
    const char *nome;
    QString indirizzo;
    char cpu;
    Replica fwi;
    QList<Risposta> risposte;
    QString stato;
    QStringList messaggi;
    QString campi;
    QString passi;
};

const auto r = CollegamentoScriptato::risposta;
const QString identificato = QStringLiteral("disconnect transfer");
const QString da_ripetere = QStringLiteral("disconnect identify");
const Identificazione identificazioni[] = {
    {"identity shown", ap, 't', r(identita_intera, 1), {}, "Connesso...", {}, "KR01 KESTRA01 05.03.18", identificato},
    {"pieces within the fixed wait", ap, 't', {{{1, identita_intera.first(9)}, {499, identita_intera.sliced(9)}}}, {},
     "Connesso...", {}, "KR01 KESTRA01 05.03.18", identificato},
    {"pieces after the wait are not read", ap, 't', {{{1, identita_intera.first(10)}, {501, identita_intera.sliced(10)}}},
     {}, "Connesso...", {}, "KR01  00.00.00", identificato},
    {"a flood: the identity read, the rest kept up to the buffer's size", ap, 't',
     {{{1, identita_intera + QByteArray(40000, 'x')}, {2, QByteArray(40000, 'x')}}}, {}, "Connesso...", {},
     "KR01 KESTRA01 05.03.18", identificato},
    {"no information, t", ap, 't', r("FWI=???", 1), {}, "Connesso: INFO non disponibile", {}, {}, identificato},
    {"no information, W: warning", ap, 'W', r("FWI=???", 1), {}, "Connesso: INFO non disponibile", {wgm110}, {},
     identificato},
    {"silent at the access point", ap, 't', {}, {}, "errore connessione", {}, {}, da_ripetere},
    {"silent elsewhere: reset offered, No", altrove, 't', {}, {Risposta::No}, "errore connessione", {offerta_reset}, {},
     da_ripetere},
    {"silent elsewhere: Yes restarts the module", altrove, 't', {}, {Risposta::Si}, "errore connessione",
     {offerta_reset, riavviato}, {}, "connect"},
};

} // namespace

class TestFileAndIdentity : public QObject
{
    Q_OBJECT

private slots:
    void aprifile_data()
    {
        QTest::addColumn<Apertura>("caso");
        for (const Apertura &voce : aperture)
            QTest::newRow(voce.nome) << voce;
    }
    void aprifile()
    {
        QFETCH(Apertura, caso);
        Motore motore;
        motore.aggiornatore.connetti();
        const QString percorso = caso.contenuto.isNull() ? motore.cartella.filePath("FW.BIN")
                                                         : motore.scrivi_firmware(caso.contenuto);
        motore.aggiornatore.apri(percorso_di(percorso));
        QCOMPARE(motore.rapporto.campi.join(u','), caso.campi);
        QCOMPARE(motore.rapporto.messaggi, caso.messaggi);
        QCOMPARE(motore.passi(), caso.passi);
        QCOMPARE(motore.aggiornatore.stato().cpu->codice, caso.codice_cpu);
        QCOMPARE(motore.aggiornatore.stato().percorso_firmware + motore.aggiornatore.stato().nome_file, percorso);
        QCOMPARE(QFile::exists(percorso), !caso.contenuto.isNull()); // nothing created, nothing deleted
    }

    // A failed check offers a new file, a new identification and a new transfer.
    void a_new_file_withdraws_what_the_old_one_allowed_data()
    {
        QTest::addColumn<char>("cpu"); // of the new file
        QTest::addColumn<QString>("passi");
        QTest::addColumn<int>("codice_cpu");
        QTest::newRow("unknown T: the type in force kept") << 'T' << "disconnect open" << 2;
        QTest::newRow("W: identify again") << 'W' << "disconnect open identify" << 3;
    }
    void a_new_file_withdraws_what_the_old_one_allowed()
    {
        QFETCH(char, cpu);
        Motore motore;
        motore.link.script("PGX", 1, r("E", 1));
        QVERIFY2(motore.pronto('s', dati_di_prova(300)), "connected, the file opened and the device identified");
        motore.aggiornatore.trasferisci();
        motore.rapporto.risposte = {Risposta::Si};
        motore.aggiornatore.aggiorna();
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open identify update"));
        motore.aggiornatore.apri(percorso_di(motore.scrivi_firmware(firmware(cpu, "x"), "NEW.BIN")));
        QTEST(motore.passi(), "passi");
        QTEST(motore.aggiornatore.stato().cpu->codice, "codice_cpu");
        // What the transfer sent is what a verification checks.
        QCOMPARE(motore.aggiornatore.stato().trasferito.cpu->codice, 2);
    }

    void identifica_data()
    {
        QTest::addColumn<Identificazione>("caso");
        for (const Identificazione &voce : identificazioni)
            QTest::newRow(voce.nome) << voce;
    }
    void identifica()
    {
        QFETCH(Identificazione, caso);
        Motore motore(caso.indirizzo);
        motore.aperto(firmware(caso.cpu, "x"));
        motore.link.script("FWI", 0, caso.fwi);
        motore.rapporto.risposte = caso.risposte;
        motore.aggiornatore.identifica();

        QCOMPARE(motore.rapporto.stati, QStringList{caso.stato});
        QCOMPARE(motore.rapporto.messaggi, caso.messaggi);
        QCOMPARE(motore.rapporto.campi.join(u','), caso.campi);
        QCOMPARE(motore.passi(), caso.passi);
        QCOMPARE(motore.link.comandi.size(), caso.messaggi.contains(riavviato) ? 2 : 1);
        QCOMPARE(motore.link.attese.first(), (Attesa{1, 500, 500}));
        QVERIFY2(motore.link.buffer_rx().size() <= Collegamento::capienza_ricezione, "the receive buffer grew past its size");
        QCOMPARE(motore.rapporto.stato_di(Tappa::Identificazione),
                 caso.passi == identificato ? StatoTappa::Fatta : StatoTappa::DaFare);
        QVERIFY2(!motore.rapporto.in_attesa, "the pointer is back to the arrow");
    }

    void restart_waits_for_its_reply_then_a_moment()
    {
        Motore motore(altrove);
        motore.aperto(firmware('t', "x"));
        motore.link.script("FWI", 0, {});
        motore.link.script("RST!", 1, r("RST=OK", 20));
        motore.link.script("RST!", 2, {});
        motore.rapporto.risposte = {Risposta::Si, Risposta::Si};
        motore.aggiornatore.identifica();
        QCOMPARE(motore.link.comandi, (QList<QByteArray>{"FWI", "RST!"}));
        // The identity the module never sent is owed: awaited a second, then forgotten.
        QCOMPARE(motore.link.attese, (QList<Attesa>{{1, 500, 500}, {1, 1000, 1000}, {1, 500, 500}, {1, 100, 100}}));
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione), StatoTappa::DaFare);
        motore.aperto(firmware('t', "x")); // unanswered: the link stays open
        motore.aggiornatore.identifica();
        QCOMPARE(motore.rapporto.messaggi, (QStringList{offerta_reset, registrato(messaggio::reset_senza_risposta)}));
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione), StatoTappa::Fatta);
    }
};

QTEST_GUILESS_MAIN(TestFileAndIdentity)
#include "test_file_and_identity.moc"
