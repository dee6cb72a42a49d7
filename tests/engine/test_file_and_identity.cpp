#include "tests/engine/engine_bench.h"

namespace {

const QString offerta_reset = registrato(messaggio::offerta_reset);
const QByteArray identita_intera("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);

// A firmware file opened after connecting at the Access Point, or after an
// "s" file was transferred, refused by the device, and transferred again.
struct Apertura
{
    const char *nome;
    QByteArray contenuto; // null: no file at all
    QString campi, passi;
    int codice_cpu; // in force
    QStringList messaggi{};
    bool dopo_un_trasferimento = false;
};

const QByteArray dati(10, 'x');
const QString aperto = QStringLiteral("disconnect open");
const Apertura aperture[] = {
    {"t, bootloader 1.2", firmware('t', dati), "FW.BIN t 12 1A98", "disconnect open identify", 1},
    {"upper-case T is unknown", firmware('T', dati), "FW.BIN ? 12 1A98", aperto, 0,
     {registrato(messaggio::firmware_non_compatibile)}},
    {"bootloader 1.1", firmware('t', dati, 1, 1), "FW.BIN t 11 1A98", aperto, 1,
     {registrato(messaggio::bootloader_non_supportato, {"1.1"})}},
    {"missing", {}, {}, aperto, 0, {registrato(messaggio::file_inesistente)}},
    // A new file withdraws the update the old one's transfer offered.
    {"after a transfer, upper-case T: the type in force kept", firmware('T', dati), "FW.BIN ? 12 1A98", aperto, 2,
     {registrato(messaggio::firmware_non_compatibile)}, true},
    {"after a transfer, W: identify again", firmware('W', dati), "FW.BIN W 12 1A98", "disconnect open identify", 3, {},
     true},
};

// An identification: the module's reply, and what follows; `verdetto`: a
// transfer and its verification came first, the device's verdict this.
struct Identificazione
{
    const char *nome;
    Replica fwi;
    QString stato, campi, passi;
    QStringList messaggi{};
    char cpu = 't'; // of the file
    QList<Risposta> risposte{};
    QString indirizzo = ap;
    Replica rst{}; // to the restart
    QList<Attesa> attese = {{1, 500, 500}};
    std::optional<Replica> verdetto{};
};

const QString identificato = QStringLiteral("disconnect transfer");
const QString da_ripetere = QStringLiteral("disconnect identify");
const QString kestra = QStringLiteral("KR01 KESTRA01 05.03.18");
const QString muto = QStringLiteral("errore connessione");
// The identity the module never sent is owed before the restart: awaited a second, then forgotten.
const QList<Attesa> riavvio{{1, 500, 500}, {1, 1000, 1000}, {1, 500, 500}};
const Identificazione identificazioni[] = {
    {"pieces within the fixed wait", {{{1, identita_intera.first(9)}, {499, identita_intera.sliced(9)}}}, "Connesso...",
     kestra, identificato},
    {"W, pieces after the wait are not read", {{{1, identita_intera.first(10)}, {501, identita_intera.sliced(10)}}},
     "Connesso...", "KR01  00.00.00", identificato, {}, 'W'},
    {"a flood: the identity read, the rest kept up to the buffer's size",
     {{{1, identita_intera + QByteArray(40000, 'x')}, {2, QByteArray(40000, 'x')}}}, "Connesso...", kestra,
     identificato},
    {"no information, W: warning", CollegamentoScriptato::risposta("FWI=???"), "Connesso: INFO non disponibile", {},
     identificato, {registrato(messaggio::avviso_wgm110)}, 'W'},
    {"silent at the access point", {}, muto, {}, da_ripetere},
    {"silent elsewhere: reset offered, No", {}, muto, {}, da_ripetere, {offerta_reset}, 't', {Risposta::No}, altrove},
    {"silent elsewhere: Yes, the restart unanswered: the link stays open", {}, muto, {}, da_ripetere,
     {offerta_reset, registrato(messaggio::reset_senza_risposta)}, 't', {Risposta::Si}, altrove, {}, riavvio},
    // What a verification given up still owes is awaited a second before the next conversation, then
    // forgotten: no byte of it is taken for the identity's, and a restart the module answers is its own.
    {"after a verdict 200 ms late", CollegamentoScriptato::risposta(identita_intera), "Connesso...", kestra,
     identificato, {}, 't', {}, ap, {}, {{1, 1000, 200}, {1, 500, 500}}, CollegamentoScriptato::risposta("A", 5200)},
    {"after a verdict never given: the restart answered, then a moment", {}, muto, {}, "connect",
     {offerta_reset, registrato(messaggio::modulo_riavviato)}, 't', {Risposta::Si}, altrove, {{{1, "OK!!"}}, true},
     {{1, 1000, 1000}, {1, 500, 500}, {1, 1000, 1000}, {1, 500, 1}, {1, 100, 0}}, Replica{}},
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
        motore.link.script("PGX", 1, CollegamentoScriptato::risposta("E"));
        motore.rapporto.risposte = {Risposta::Si};
        if (caso.dopo_un_trasferimento) {
            QVERIFY2(motore.pronto('s', dati_di_prova(300)), "connected, the file opened and the device identified");
            motore.aggiornatore.trasferisci();
            motore.aggiornatore.aggiorna();
            motore.aggiornatore.trasferisci();
            motore.azzera_registri();
        }
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
        // What the transfer sent is what a verification checks.
        QCOMPARE(motore.aggiornatore.stato().trasferito.cpu->codice, caso.dopo_un_trasferimento ? 2 : 0);
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
        if (caso.verdetto) {
            motore.link.script("PGX", 1, *caso.verdetto);
            motore.rapporto.risposte = {Risposta::Si};
            QVERIFY2(motore.pronto('t', dati_di_prova(300)), "connected, the file opened and the device identified");
            motore.aggiornatore.trasferisci();
            motore.aggiornatore.aggiorna();
            motore.azzera_registri();
        } else {
            motore.aperto(firmware(caso.cpu, "x"));
        }
        motore.link.script("FWI", 0, caso.fwi);
        motore.link.script("RST!", 0, caso.rst);
        motore.rapporto.risposte = caso.risposte;
        motore.aggiornatore.identifica();

        QCOMPARE(motore.rapporto.stati, QStringList{caso.stato});
        QCOMPARE(motore.rapporto.messaggi, caso.messaggi);
        QCOMPARE(motore.rapporto.campi.join(u','), caso.campi);
        QCOMPARE(motore.passi(), caso.passi);
        QCOMPARE(motore.link.comandi.size(), caso.risposte.contains(Risposta::Si) ? 2 : 1); // the restart's
        QCOMPARE(motore.link.attese, caso.attese);
        QVERIFY2(motore.link.buffer_rx().size() <= Collegamento::capienza_ricezione, "the receive buffer grew past its size");
        QCOMPARE(motore.rapporto.stato_di(Tappa::Identificazione),
                 caso.passi == identificato ? StatoTappa::Fatta : StatoTappa::DaFare);
        // A module that restarted closes the link.
        QCOMPARE(motore.rapporto.stato_di(Tappa::Connessione),
                 caso.passi == "connect" ? StatoTappa::DaFare : StatoTappa::Fatta);
        QVERIFY2(!motore.rapporto.in_attesa, "the pointer is back to the arrow");
    }
};

QTEST_GUILESS_MAIN(TestFileAndIdentity)
#include "test_file_and_identity.moc"
