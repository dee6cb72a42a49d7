#include "tests/engine/engine_bench.h"

#include <QDir>

namespace {

const QString non_compatibile = QStringLiteral("Apri Firmware|Attenzione: il firmware caricato non è compatibile");
const QString inesistente = QStringLiteral("Apri firmware|File Inesistente");
const QString wgm110 = QStringLiteral("BootLoader WiFi|La scheda potrebbe non supportare il modulo WGM110");
const QString offerta_reset = QStringLiteral("Connessione|E' probabile che il modulo wifi sia connesso al Cloud."
                                             "\r\nResettare il modulo Wi-Fi e riprovare?");
const QString riavviato = QStringLiteral("Reset Modulo WiFi|Il modulo wifi è stato riavviato\r\nAttendi 30 "
                                         "secondi ed esegui nuovamente la connessione");
const QString reset_muto = QStringLiteral("Reset Modulo WiFi|Errore lettura modulo");
const QByteArray identita_intera("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);

QString bootloader(const char *versione)
{
    return QStringLiteral("Versione bootloader|Il bootloader in versione %1 non è supportato").arg(versione);
}

} // namespace

class TestFileAndIdentity : public QObject
{
    Q_OBJECT

private slots:
    void aprifile_data()
    {
        QTest::addColumn<QByteArray>("contenuto"); // empty: no file at all
        QTest::addColumn<QStringList>("campi");
        QTest::addColumn<QStringList>("messaggi");
        QTest::addColumn<QString>("passi");
        QTest::addColumn<int>("codice_cpu");

        const QByteArray dati(10, 'x');
        const QString accettato = QStringLiteral("disconnect open identify");
        const QString rifiutato = QStringLiteral("disconnect open");
        QTest::newRow("t, bootloader 1.2") << firmware('t', dati) << QStringList{"FW.BIN t 12 1A98"} << QStringList{}
                                           << accettato << 1;
        QTest::newRow("s, bootloader 1.3") << firmware('s', dati, 1, 3) << QStringList{"FW.BIN s 13 1A98"}
                                           << QStringList{} << accettato << 2;
        QTest::newRow("W, bytes 0 and 12 make 1.2") << firmware('W', dati, 0, 12) << QStringList{"FW.BIN W 12 1A98"}
                                                    << QStringList{} << accettato << 3;
        QTest::newRow("14 bytes: the missing CRC byte is 0") << firmware('t', {}).left(14)
                                                             << QStringList{"FW.BIN t 12 1A00"} << QStringList{}
                                                             << accettato << 1;
        QTest::newRow("upper-case T is unknown") << firmware('T', dati) << QStringList{"FW.BIN ? 12 1A98"}
                                                 << QStringList{non_compatibile} << rifiutato << 0;
        QTest::newRow("bootloader 1.1") << firmware('t', dati, 1, 1) << QStringList{"FW.BIN t 11 1A98"}
                                        << QStringList{bootloader("1.1")} << rifiutato << 1;
        QTest::newRow("bootloader 1.4") << firmware('t', dati, 1, 4) << QStringList{"FW.BIN t 14 1A98"}
                                        << QStringList{bootloader("1.4")} << rifiutato << 1;
        QTest::newRow("bootloader 2.0 shown as 2") << firmware('s', dati, 2, 0) << QStringList{"FW.BIN s 20 1A98"}
                                                   << QStringList{bootloader("2")} << rifiutato << 2;
        QTest::newRow("both refusals, CPU first") << firmware('x', dati, 1, 1) << QStringList{"FW.BIN ? 11 1A98"}
                                                  << QStringList{non_compatibile, bootloader("1.1")} << rifiutato
                                                  << 0;
        QTest::newRow("3 bytes: no version") << QByteArray("\x00t\x00", 3) << QStringList{"FW.BIN t 0 0"}
                                             << QStringList{bootloader("0")} << rifiutato << 1;
        QTest::newRow("missing") << QByteArray() << QStringList{} << QStringList{inesistente} << rifiutato << 0;
    }
    void aprifile()
    {
        QFETCH(QByteArray, contenuto);
        Motore motore;
        motore.aggiornatore.connetti();
        const QString percorso = contenuto.isEmpty() ? motore.cartella.filePath("FW.BIN")
                                                     : motore.scrivi_firmware(contenuto);
        motore.aggiornatore.apri(percorso);
        QTEST(motore.rapporto.campi, "campi");
        QTEST(motore.rapporto.messaggi, "messaggi");
        QTEST(motore.passi(), "passi");
        QTEST(motore.aggiornatore.stato().codice_cpu, "codice_cpu");
        QCOMPARE(motore.aggiornatore.stato().nome_file, QStringLiteral("FW.BIN"));
        QCOMPARE(motore.aggiornatore.stato().percorso_firmware, motore.cartella.path() + u'/');
    }

    void a_file_that_is_not_there_to_read_changes_nothing_on_disk_data()
    {
        QTest::addColumn<QString>("tipo");
        QTest::newRow("empty file") << "empty";
        QTest::newRow("folder") << "folder";
    }
    void a_file_that_is_not_there_to_read_changes_nothing_on_disk()
    {
        QFETCH(QString, tipo);
        Motore motore;
        motore.aperto(firmware('s', "x"));
        if (tipo == QLatin1String("empty"))
            motore.scrivi_firmware({}, "EMPTY.BIN");
        else
            QVERIFY(QDir(motore.cartella.path()).mkdir("EMPTY.BIN"));
        const QStringList prima = QDir(motore.cartella.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        motore.aggiornatore.apri(motore.cartella.filePath("EMPTY.BIN"));
        QCOMPARE(motore.rapporto.messaggi, QStringList{inesistente});
        QCOMPARE(QDir(motore.cartella.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), prima);
        QVERIFY(motore.rapporto.campi.isEmpty());
        QCOMPARE(motore.aggiornatore.stato().codice_cpu, 2);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open identify"));
    }

    void a_new_file_withdraws_what_the_old_one_allowed_data()
    {
        QTest::addColumn<QByteArray>("nuovo");
        QTest::addColumn<QString>("passi");
        QTest::newRow("refused: no identification, transfer or update") << firmware('T', "x") << "disconnect open";
        QTest::newRow("accepted: no update before its own transfer")
            << firmware('W', "x") << "disconnect open identify";
    }
    void a_new_file_withdraws_what_the_old_one_allowed()
    {
        QFETCH(QByteArray, nuovo);
        // A failed verification offers a new file, a new identification and a new transfer.
        Motore motore;
        motore.link.script("PGX", 1, CollegamentoScriptato::risposta("E"));
        QVERIFY(motore.pronto('s', dati_di_prova(300)));
        motore.aggiornatore.trasferisci();
        motore.rapporto.risposte = {risposta_si};
        motore.aggiornatore.aggiorna();
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.passi(), QStringLiteral("disconnect open identify update"));

        motore.aggiornatore.apri(motore.scrivi_firmware(nuovo, "NEW.BIN"));
        QTEST(motore.passi(), "passi");
        QCOMPARE(motore.aggiornatore.stato().codice_cpu, nuovo[1] == 'W' ? 3 : 2);
        // What the transfer sent is what a verification checks.
        QCOMPARE(motore.aggiornatore.stato().trasferito.codice_cpu, 2);
    }

    void identifica_data()
    {
        QTest::addColumn<QString>("indirizzo");
        QTest::addColumn<char>("cpu");
        QTest::addColumn<Risposta>("fwi");
        QTest::addColumn<QList<int>>("risposte");
        QTest::addColumn<QStringList>("stati");
        QTest::addColumn<QStringList>("messaggi");
        QTest::addColumn<QStringList>("campi");
        QTest::addColumn<QString>("passi");
        QTest::addColumn<QList<QByteArray>>("comandi");

        const QList<QByteArray> fwi{"FWI"};
        const QStringList connesso{"Connesso..."};
        const QStringList senza_info{"Connesso: INFO non disponibile"};
        const QStringList errore{"errore connessione"};
        const QString identificato = QStringLiteral("disconnect transfer");
        const QString da_ripetere = QStringLiteral("disconnect identify");
        const Risposta muto = CollegamentoScriptato::silenzio();
        QTest::newRow("identity shown") << ap << 't' << CollegamentoScriptato::risposta(identita_intera)
                                        << QList<int>{} << connesso << QStringList{}
                                        << QStringList{"KR01 KESTRA01 05.03.18"} << identificato << fwi;
        QTest::newRow("pieces within the fixed wait")
            << ap << 't' << Risposta{{{1, identita_intera.first(9)}, {499, identita_intera.sliced(9)}}}
            << QList<int>{} << connesso << QStringList{} << QStringList{"KR01 KESTRA01 05.03.18"} << identificato
            << fwi;
        QTest::newRow("pieces after the wait are not read")
            << ap << 't' << Risposta{{{1, identita_intera.first(10)}, {501, identita_intera.sliced(10)}}}
            << QList<int>{} << connesso << QStringList{} << QStringList{"KR01  00.00.00"} << identificato << fwi;
        QTest::newRow("bytes after the 20th change nothing")
            << ap << 't' << CollegamentoScriptato::risposta(identita_intera + "\xFF\xFF") << QList<int>{}
            << connesso << QStringList{} << QStringList{"KR01 KESTRA01 05.03.18"} << identificato << fwi;
        QTest::newRow("no information, t") << ap << 't' << CollegamentoScriptato::risposta("FWI=???")
                                           << QList<int>{} << senza_info << QStringList{} << QStringList{}
                                           << identificato << fwi;
        QTest::newRow("no information, W: warning") << ap << 'W' << CollegamentoScriptato::risposta("FWI=???")
                                                    << QList<int>{} << senza_info << QStringList{wgm110}
                                                    << QStringList{} << identificato << fwi;
        QTest::newRow("too short for a board, W: warning")
            << ap << 'W' << CollegamentoScriptato::risposta("FWI=\x01\x02") << QList<int>{} << connesso
            << QStringList{wgm110} << QStringList{"  00.00.00"} << identificato << fwi;
        QTest::newRow("no information with one more byte is information")
            << ap << 't' << CollegamentoScriptato::risposta("FWI=???!") << QList<int>{} << connesso
            << QStringList{} << QStringList{"?!  00.00.00"} << identificato << fwi;
        QTest::newRow("silent at the access point: no offer") << ap << 't' << muto << QList<int>{} << errore
                                                             << QStringList{} << QStringList{} << da_ripetere << fwi;
        QTest::newRow("silent elsewhere: reset offered, No")
            << altrove << 't' << muto << QList<int>{risposta_no} << errore << QStringList{offerta_reset}
            << QStringList{} << da_ripetere << fwi;
        QTest::newRow("silent elsewhere: Yes restarts the module")
            << altrove << 't' << muto << QList<int>{risposta_si} << errore << QStringList{offerta_reset, riavviato}
            << QStringList{} << "connect" << QList<QByteArray>{"FWI", "RST!"};
    }
    void identifica()
    {
        QFETCH(QString, indirizzo);
        QFETCH(char, cpu);
        QFETCH(Risposta, fwi);
        QFETCH(QList<int>, risposte);
        Motore motore(indirizzo);
        motore.aperto(firmware(cpu, "x"));
        motore.link.script("FWI", 0, fwi);
        motore.rapporto.risposte = risposte;
        motore.aggiornatore.identifica();

        QTEST(motore.rapporto.stati, "stati");
        QTEST(motore.rapporto.messaggi, "messaggi");
        QTEST(motore.rapporto.campi, "campi");
        QTEST(motore.passi(), "passi");
        QTEST(motore.link.comandi, "comandi");
        QCOMPARE(motore.link.attese.first(), (Attesa{1, 500, 500}));
        const bool verde = motore.passi().contains(QLatin1String("transfer"));
        QCOMPARE(motore.rapporto.colore(Lampada::Identificazione), verde ? Colore::Verde : Colore::Rosso);
        QVERIFY(!motore.rapporto.in_attesa);
    }

    void restart_waits_for_its_reply_then_a_moment()
    {
        Motore motore(altrove);
        motore.aperto(firmware('t', "x"));
        motore.link.script("FWI", 0, CollegamentoScriptato::silenzio());
        motore.link.script("RST!", 1, CollegamentoScriptato::risposta("RST=OK", 20));
        motore.link.script("RST!", 2, CollegamentoScriptato::silenzio());
        motore.rapporto.risposte = {risposta_si, risposta_si};
        motore.aggiornatore.identifica();
        QCOMPARE(motore.link.attese, (QList<Attesa>{{1, 500, 500}, {1, 500, 500}, {1, 100, 100}}));
        QCOMPARE(motore.rapporto.colore(Lampada::Connessione), Colore::Rosso);

        motore.aperto(firmware('t', "x"));
        motore.aggiornatore.identifica();
        QCOMPARE(motore.rapporto.messaggi, (QStringList{offerta_reset, reset_muto}));
        QCOMPARE(motore.passi(), QStringLiteral("disconnect identify"));
        QCOMPARE(motore.rapporto.colore(Lampada::Connessione), Colore::Verde);
    }
};

QTEST_GUILESS_MAIN(TestFileAndIdentity)
#include "test_file_and_identity.moc"
