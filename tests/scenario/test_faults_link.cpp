#include "tests/scenario/recovery.h"

// Every fault the simulator can inject, on every conversation that opens,
// authorises, switches, restarts or identifies the module: the program reports
// it in its own words, leaves the buttons for a new try, and the new try ends
// in a correct update.

namespace {

using Tipo = Guasto::Tipo;

const QString lettura = QStringLiteral("Errore lettura modulo");
const QString errata = QStringLiteral("Password errata!\r\nAggiornamento disabilitato");
const QString domanda_ap = QStringLiteral(
    "L'aggiornamento del firmware della ricevente KESTRA è possibile unicamente con il modulo Wi-Fi configurato "
    "come Access Point.\r\nVuoi impostare il modulo come Access Point?");
const QString modo_cambiato
    = QStringLiteral("Il modulo wifi è stato riavviato\r\nAttendi 30 secondi ed esegui nuovamente la connessione wifi");
const QString offerta_reset = QStringLiteral(
    "E' probabile che il modulo wifi sia connesso al Cloud.\r\nResettare il modulo Wi-Fi e riprovare?");
const QString riavviato
    = QStringLiteral("Il modulo wifi è stato riavviato\r\nAttendi 30 secondi ed esegui nuovamente la connessione");

const QStringList pronto {"Command3", "Command6"};
const QStringList chiuso {"Command5"};

Guasto guasto(const char* comando, Tipo tipo, int ritardo_ms = 0, QByteArray risposta = {}, int occorrenza = 0)
{
    return {comando, occorrenza, tipo, std::move(risposta), ritardo_ms};
}

QStringList testi(const Banco& banco)
{
    QStringList elenco;
    for (const auto& box : banco.dialoghi.mostrati)
        elenco.append(box.testo);
    return elenco;
}

void righe_comuni()
{
    QTest::addColumn<Guasto>("guasto");
    QTest::addColumn<QStringList>("messaggi");
    QTest::addColumn<QStringList>("abilitati");
}

} // namespace

class TestFaultsLink : public QObject
{
    Q_OBJECT

private slots:
    // The wait for the module's first data away from the Access Point
    // address ("PAS?" asks for the password), the password itself, and the
    // switch to Access Point mode ("MOP=" 0x02) that Yes to the question sends.
    void access()
    {
        QFETCH(bool, passa_ad_access_point);
        QFETCH(Guasto, guasto);
        QFETCH(QStringList, messaggi);
        QFETCH(QStringList, abilitati);

        Banco banco(in_stazione({guasto}), ap_localhost);
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {passa_ad_access_point ? risposta_si : risposta_no};
        banco.clicca("Command5");
        QFETCH(QStringList, oppure);
        if (oppure.isEmpty() || testi(banco) != oppure)
            QCOMPARE(testi(banco), messaggi);
        QCOMPARE(banco.abilitati(), abilitati);
        QVERIFY(completa_aggiornamento(banco));
    }
    void access_data()
    {
        QTest::addColumn<bool>("passa_ad_access_point");
        righe_comuni();
        QTest::addColumn<QStringList>("oppure"); // what may be shown instead, depending on timing
        QTest::newRow("greeting: silent: taken as ready")
            << false << guasto("PAS?", Tipo::NessunaRisposta) << QStringList {} << pronto << QStringList {};
        QTest::newRow("greeting: other greeting")
            << false << guasto("PAS?", Tipo::Risposta, 0, "HELLO") << QStringList {} << pronto << QStringList {};
        QTest::newRow("greeting: just under 5 s")
            << false << guasto("PAS?", Tipo::Ritardo, 4700) << QStringList {domanda_ap} << chiuso << QStringList {};
        QTest::newRow("greeting: just over 5 s")
            << false << guasto("PAS?", Tipo::Ritardo, 5300) << QStringList {} << pronto << QStringList {};
        QTest::newRow("greeting: split: the wait ends at the first byte")
            << false << guasto("PAS?", Tipo::Dividi, 50) << QStringList {} << pronto << QStringList {};
        QTest::newRow("greeting: dropped before the greeting")
            << false << guasto("PAS?", Tipo::ChiudiPrima) << QStringList {} << pronto << QStringList {};
        QTest::newRow("greeting: dropped after the greeting")
            << false << guasto("PAS?", Tipo::ChiudiDopo) << QStringList {lettura, errata} << chiuso << QStringList {};
        QTest::newRow("greeting: flood after the greeting")
            << false << guasto("PAS?", Tipo::Inonda) << QStringList {domanda_ap} << chiuso
            << QStringList {errata}; // the reply came after 64 KiB of flood, past what is kept
        QTest::newRow("password: no reply") << false << guasto("PAS=", Tipo::NessunaRisposta)
                                            << QStringList {lettura, errata} << chiuso << QStringList {};
        QTest::newRow("password: wrong reply") << false << guasto("PAS=", Tipo::Risposta, 0, "PAS=ERR")
                                               << QStringList {errata} << chiuso << QStringList {};
        QTest::newRow("password: lower case")
            << false << guasto("PAS=", Tipo::Risposta, 0, "pas=ok") << QStringList {errata} << chiuso << QStringList {};
        QTest::newRow("password: with extra characters") << false << guasto("PAS=", Tipo::Risposta, 0, "PAS=OK!!")
                                                         << QStringList {domanda_ap} << chiuso << QStringList {};
        QTest::newRow("password: split within the wait")
            << false << guasto("PAS=", Tipo::Dividi, 20) << QStringList {domanda_ap} << chiuso << QStringList {};
        QTest::newRow("password: just under 500 ms")
            << false << guasto("PAS=", Tipo::Ritardo, 350) << QStringList {domanda_ap} << chiuso << QStringList {};
        QTest::newRow("password: just over 500 ms")
            << false << guasto("PAS=", Tipo::Ritardo, 650) << QStringList {lettura, errata} << chiuso << QStringList {};
        QTest::newRow("password: dropped before")
            << false << guasto("PAS=", Tipo::ChiudiPrima) << QStringList {lettura, errata} << chiuso << QStringList {};
        QTest::newRow("password: dropped after")
            << false << guasto("PAS=", Tipo::ChiudiDopo) << QStringList {domanda_ap} << chiuso << QStringList {};
        QTest::newRow("password: flood") << false << guasto("PAS=", Tipo::Inonda) << QStringList {domanda_ap} << chiuso
                                         << QStringList {};
        QTest::newRow("mode: no reply") << true << guasto("MOP=", Tipo::NessunaRisposta)
                                        << QStringList {domanda_ap, lettura} << chiuso << QStringList {};
        QTest::newRow("mode: short reply") << true << guasto("MOP=", Tipo::Risposta, 0, "OK")
                                           << QStringList {domanda_ap, lettura} << chiuso << QStringList {};
        QTest::newRow("mode: other reply") << true << guasto("MOP=", Tipo::Risposta, 0, "MOP=KO")
                                           << QStringList {domanda_ap, modo_cambiato} << chiuso << QStringList {};
        QTest::newRow("mode: split within the wait")
            << true << guasto("MOP=", Tipo::Dividi, 20) << QStringList {domanda_ap, modo_cambiato} << chiuso
            << QStringList {};
        QTest::newRow("mode: just under 1 s") << true << guasto("MOP=", Tipo::Ritardo, 800)
                                              << QStringList {domanda_ap, modo_cambiato} << chiuso << QStringList {};
        QTest::newRow("mode: just over 1 s") << true << guasto("MOP=", Tipo::Ritardo, 1200)
                                             << QStringList {domanda_ap, lettura} << chiuso << QStringList {};
        QTest::newRow("mode: dropped before") << true << guasto("MOP=", Tipo::ChiudiPrima)
                                              << QStringList {domanda_ap, lettura} << chiuso << QStringList {};
        QTest::newRow("mode: flood") << true << guasto("MOP=", Tipo::Inonda) << QStringList {domanda_ap, modo_cambiato}
                                     << chiuso << QStringList {};
    }

    // The module, away from the Access Point address, does not answer "FWI":
    // Yes to the offer sends "RST!".
    void restart()
    {
        QFETCH(Guasto, guasto);
        QFETCH(QStringList, messaggi);
        QFETCH(QStringList, abilitati);

        const Guasto saluto_senza_password = guasto_saluto();
        Banco banco(
            in_stazione({saluto_senza_password, {"FWI", 0, Tipo::NessunaRisposta, {}, 0}, guasto}), ap_localhost);
        banco.clicca("Command5");
        banco.apri(banco.scrivi_firmware(Banco::firmware('t')));
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command7");
        QCOMPARE(testi(banco), messaggi);
        QCOMPARE(banco.abilitati(), abilitati);
        QVERIFY(completa_aggiornamento(banco));
    }
    void restart_data()
    {
        righe_comuni();
        const QStringList aperto {"Command3", "Command7"};
        QTest::newRow("no reply") << guasto("RST!", Tipo::NessunaRisposta) << QStringList {offerta_reset, lettura}
                                  << aperto;
        QTest::newRow("short reply") << guasto("RST!", Tipo::Risposta, 0, "OK") << QStringList {offerta_reset, lettura}
                                     << aperto;
        QTest::newRow("split") << guasto("RST!", Tipo::Dividi, 20) << QStringList {offerta_reset, riavviato} << chiuso;
        QTest::newRow("just under 500 ms")
            << guasto("RST!", Tipo::Ritardo, 350) << QStringList {offerta_reset, riavviato} << chiuso;
        QTest::newRow("just over 500 ms")
            << guasto("RST!", Tipo::Ritardo, 650) << QStringList {offerta_reset, lettura} << aperto;
        QTest::newRow("dropped before") << guasto("RST!", Tipo::ChiudiPrima) << QStringList {offerta_reset, lettura}
                                        << aperto;
        QTest::newRow("flood") << guasto("RST!", Tipo::Inonda) << QStringList {offerta_reset, riavviato} << chiuso;
    }

    // Identification at the Access Point address: a fixed 500 ms wait.
    void identification()
    {
        QFETCH(Guasto, guasto);
        QFETCH(QString, stato);
        QFETCH(QStringList, abilitati);
        QFETCH(QString, nome_file);

        OpzioniSimulatore opzioni;
        opzioni.guasti = {guasto};
        Banco banco(opzioni);
        banco.clicca("Command5");
        banco.apri(banco.scrivi_firmware(Banco::firmware('t')));
        banco.clicca("Command7");
        QCOMPARE(banco.stato_text2(), stato);
        QCOMPARE(banco.abilitati(), abilitati);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QCOMPARE(banco.etichetta("Label13")->text(), nome_file);
        QVERIFY(completa_aggiornamento(banco));
    }
    void identification_data()
    {
        QTest::addColumn<Guasto>("guasto");
        QTest::addColumn<QString>("stato");
        QTest::addColumn<QStringList>("abilitati");
        QTest::addColumn<QString>("nome_file");
        const QString errore = QStringLiteral("errore connessione");
        const QString connesso = QStringLiteral("Connesso...");
        const QStringList identificato {"Command2", "Command3"};
        const QStringList riprova {"Command3", "Command7"};
        const QString nessuno = QStringLiteral("Nome file:"); // the design caption, untouched
        const QString vuoto = QStringLiteral("Nome file: ");
        const QString kestra = QStringLiteral("Nome file: KESTRA01");
        QTest::newRow("no reply") << guasto("FWI", Tipo::NessunaRisposta) << errore << riprova << nessuno;
        QTest::newRow("short reply") << guasto("FWI", Tipo::Risposta, 0, "FWI") << connesso << identificato << vuoto;
        QTest::newRow("lower-case unknown")
            << guasto("FWI", Tipo::Risposta, 0, "fwi=???") << connesso << identificato << vuoto;
        QTest::newRow("split within the wait") << guasto("FWI", Tipo::Dividi, 10) << connesso << identificato << kestra;
        QTest::newRow("just under 500 ms") << guasto("FWI", Tipo::Ritardo, 350) << connesso << identificato << kestra;
        QTest::newRow("just over 500 ms") << guasto("FWI", Tipo::Ritardo, 650) << errore << riprova << nessuno;
        QTest::newRow("dropped before") << guasto("FWI", Tipo::ChiudiPrima) << errore << riprova << nessuno;
        QTest::newRow("dropped after") << guasto("FWI", Tipo::ChiudiDopo) << connesso << identificato << kestra;
        QTest::newRow("flood") << guasto("FWI", Tipo::Inonda) << connesso << identificato << kestra;
    }

    void flood_is_kept_within_the_cap()
    {
        OpzioniSimulatore opzioni;
        opzioni.guasti = {{"FWI", 0, Tipo::Inonda, {}, 0}};
        Banco banco(opzioni);
        banco.clicca("Command5");
        banco.apri(banco.scrivi_firmware(Banco::firmware('t')));
        banco.clicca("Command7");
        QTest::qWait(300);
        QVERIFY(banco.finestra->canale().buffer_rx().size() <= CanaleComandi::capienza_ricezione);
        QVERIFY(banco.finestra->canale().buffer_rx().startsWith("FWI="));
    }

private:
    // The module greets with something other than "PAS?": no password is asked
    // and the link, away from the Access Point address, is ready at once.
    static Guasto guasto_saluto() { return {"PAS?", 0, Tipo::Risposta, "HI", 0}; }
};

QTEST_MAIN(TestFaultsLink)
#include "test_faults_link.moc"
