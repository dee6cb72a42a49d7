#include "tests/scenario/recovery.h"

#include <QAction>
#include <QElapsedTimer>

// Every fault the simulator can inject on the erase, the half pages and the
// verification; and Exit pressed inside every kind of wait.

namespace {

using Tipo = Guasto::Tipo;

const QString ok = QStringLiteral("Trasferimento OK");
const QString cancellazione = QStringLiteral("Errore cancellazione");
const QString trasferimento = QStringLiteral("Errore trasferimento");
const QString avviata = QStringLiteral("Programmazione avviata...");
const QString crc = QStringLiteral("Errore CRC16");

Guasto guasto(const char* comando, Tipo tipo, int ritardo_ms = 0, QByteArray risposta = {}, int occorrenza = 0)
{
    return {comando, occorrenza, tipo, std::move(risposta), ritardo_ms};
}

// Buttons after a transfer: Update after success, Transfer again after a failure.
QStringList dopo_trasferimento(const QString& stato)
{
    return stato == ok ? QStringList {"Command3", "Command4"} : QStringList {"Command2", "Command3"};
}

// Buttons after the verification of an STM32 image (the link stays open).
QStringList dopo_verifica(const QString& stato)
{
    return stato == avviata ? QStringList {"Command3", "Command7"}
                            : QStringList {"Command2", "Command3", "Command6", "Command7"};
}

void trasferisci(Banco& banco)
{
    banco.clicca("Command5");
    banco.apri(banco.scrivi_firmware(Banco::firmware('t', dati_di_prova())));
    banco.clicca("Command7");
    banco.clicca("Command2");
}

void colonne()
{
    QTest::addColumn<Guasto>("guasto");
    QTest::addColumn<QStringList>("stati"); // the status line shows one of these
}

QByteArray leggi(const QString& percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The waits in which Exit may be pressed, each reached by a command the
// simulator takes and never answers.
enum class Attesa { Password, Modo, Reset, Identificazione, Cancellazione, MezzaPagina, VerificaPgx, VerificaPgw };

} // namespace

Q_DECLARE_METATYPE(Attesa)

class TestFaultsProgramming : public QObject
{
    Q_OBJECT

private slots:
    // The erase ("PGS" for an STM32F0 image: one block, never tried twice)
    // and the half pages.
    void transfer()
    {
        QFETCH(Guasto, guasto);
        QFETCH(QStringList, stati);

        OpzioniSimulatore opzioni;
        opzioni.guasti = {guasto};
        Banco banco(opzioni);
        trasferisci(banco);
        QVERIFY2(stati.contains(banco.stato_text2()), qPrintable(banco.stato_text2()));
        QCOMPARE(banco.abilitati(), dopo_trasferimento(banco.stato_text2()));
        QCOMPARE(banco.sim.comandi("PGS").size(), 1);
        QVERIFY(completa_aggiornamento(banco));
    }
    void transfer_data()
    {
        colonne();
        QTest::newRow("erase: no reply") << guasto("PGS", Tipo::NessunaRisposta) << QStringList {cancellazione};
        QTest::newRow("erase: A with extra characters")
            << guasto("PGS", Tipo::Risposta, 0, "AA") << QStringList {cancellazione};
        QTest::newRow("erase: lower case") << guasto("PGS", Tipo::Risposta, 0, "a") << QStringList {cancellazione};
        QTest::newRow("erase: wrong reply") << guasto("PGS", Tipo::Risposta, 0, "N") << QStringList {cancellazione};
        QTest::newRow("erase: split") << guasto("PGS", Tipo::Dividi, 20) << QStringList {ok};
        QTest::newRow("erase: just under 5 s") << guasto("PGS", Tipo::Ritardo, 4700) << QStringList {ok};
        QTest::newRow("erase: just over 5 s") << guasto("PGS", Tipo::Ritardo, 5300) << QStringList {cancellazione};
        QTest::newRow("erase: dropped before") << guasto("PGS", Tipo::ChiudiPrima) << QStringList {cancellazione};
        QTest::newRow("erase: dropped after") << guasto("PGS", Tipo::ChiudiDopo) << QStringList {trasferimento};
        QTest::newRow("erase: flood") << guasto("PGS", Tipo::Inonda) << QStringList {cancellazione, trasferimento, ok};

        const QString checksum_1 = QStringLiteral("Errore checksum pagina 1");
        const QString scrittura = QStringLiteral("Errore scrittura pagina");
        QTest::newRow("half page: no reply") << guasto("PGP", Tipo::NessunaRisposta) << QStringList {trasferimento};
        QTest::newRow("half page: A with extra characters")
            << guasto("PGP", Tipo::Risposta, 0, "AA") << QStringList {trasferimento};
        QTest::newRow("half page: lower case") << guasto("PGP", Tipo::Risposta, 0, "a") << QStringList {trasferimento};
        QTest::newRow("half page: checksum complaints")
            << guasto("PGP", Tipo::Risposta, 0, "C") << QStringList {checksum_1};
        QTest::newRow("half page: write failure")
            << guasto("PGP", Tipo::Risposta, 0, "N", 3) << QStringList {scrittura};
        QTest::newRow("half page: split") << guasto("PGP", Tipo::Dividi, 20) << QStringList {ok};
        QTest::newRow("half page: just under 1 s") << guasto("PGP", Tipo::Ritardo, 800, {}, 2) << QStringList {ok};
        // The late reply arrives while a later command waits: the protocol has
        // no sequence numbers, so what follows depends on the timing.
        QTest::newRow("half page: just over 1 s")
            << guasto("PGP", Tipo::Ritardo, 1200, {}, 2) << QStringList {ok, trasferimento, checksum_1, scrittura};
        QTest::newRow("half page: dropped before")
            << guasto("PGP", Tipo::ChiudiPrima, 0, {}, 3) << QStringList {trasferimento};
        QTest::newRow("half page: dropped after")
            << guasto("PGP", Tipo::ChiudiDopo, 0, {}, 3) << QStringList {trasferimento};
        QTest::newRow("half page: flood") << guasto("PGP", Tipo::Inonda, 0, {}, 2) << QStringList {ok, trasferimento};
    }

    void verification()
    {
        QFETCH(Guasto, guasto);
        QFETCH(QStringList, stati);

        OpzioniSimulatore opzioni;
        opzioni.guasti = {guasto};
        Banco banco(opzioni);
        trasferisci(banco);
        QCOMPARE(banco.stato_text2(), ok);
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command4");
        QVERIFY2(stati.contains(banco.stato_text2()), qPrintable(banco.stato_text2()));
        QCOMPARE(banco.abilitati(), dopo_verifica(banco.stato_text2()));
        for (const char* lampada : {"Shape1", "Shape2", "Shape3"})
            QCOMPARE(banco.lampada(lampada), QColor(255, 0, 0));
        QVERIFY(completa_aggiornamento(banco));
    }
    void verification_data()
    {
        colonne();
        QTest::newRow("no reply") << guasto("PGX", Tipo::NessunaRisposta) << QStringList {crc};
        QTest::newRow("A with extra characters") << guasto("PGX", Tipo::Risposta, 0, "AA") << QStringList {crc};
        QTest::newRow("lower case") << guasto("PGX", Tipo::Risposta, 0, "a") << QStringList {crc};
        QTest::newRow("CRC refused") << guasto("PGX", Tipo::Risposta, 0, "E") << QStringList {crc};
        QTest::newRow("split") << guasto("PGX", Tipo::Dividi, 20) << QStringList {avviata};
        QTest::newRow("just under 5 s") << guasto("PGX", Tipo::Ritardo, 4700) << QStringList {avviata};
        QTest::newRow("just over 5 s") << guasto("PGX", Tipo::Ritardo, 5300) << QStringList {crc};
        QTest::newRow("dropped before") << guasto("PGX", Tipo::ChiudiPrima) << QStringList {crc};
        QTest::newRow("dropped after") << guasto("PGX", Tipo::ChiudiDopo) << QStringList {avviata};
        QTest::newRow("flood") << guasto("PGX", Tipo::Inonda) << QStringList {avviata, crc};
    }

    // Exit inside a wait ends the program at once: the settings are written,
    // nothing more is sent and no message is shown.
    void exit_inside_every_wait()
    {
        QFETCH(Attesa, attesa);
        QFETCH(QByteArray, comando);

        const bool stazione = attesa == Attesa::Password || attesa == Attesa::Modo || attesa == Attesa::Reset;
        QList<Guasto> guasti {{comando, 0, Tipo::NessunaRisposta, {}, 0}};
        if (attesa == Attesa::Reset)
            guasti += {{"PAS?", 0, Tipo::Risposta, "HI", 0}, {"FWI", 0, Tipo::NessunaRisposta, {}, 0}};
        OpzioniSimulatore opzioni = stazione ? in_stazione(guasti) : OpzioniSimulatore {};
        opzioni.guasti = guasti;
        Banco banco(opzioni, stazione ? ap_localhost : Banco::indirizzo_simulatore);
        banco.finestra->findChild<QAction*>("menu_lingua_item_1")->trigger();

        QElapsedTimer dall_uscita;
        qsizetype comandi_all_uscita = -1;
        qsizetype messaggi_all_uscita = -1;
        QObject::connect(
            &banco.sim, &SimulatoreModulo::comando_ricevuto, banco.finestra.get(), [&](const QByteArray& ricevuto) {
                if (!ricevuto.startsWith(comando) || comandi_all_uscita >= 0)
                    return;
                QTimer::singleShot(50, banco.finestra.get(), [&] {
                    comandi_all_uscita = banco.sim.comandi_ricevuti().size();
                    messaggi_all_uscita = banco.dialoghi.mostrati.size();
                    dall_uscita.start();
                    banco.clicca("Command1");
                });
            });

        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {risposta_si, risposta_si};
        banco.clicca("Command5");
        if (!stazione) {
            banco.apri(banco.scrivi_firmware(Banco::firmware(attesa == Attesa::VerificaPgw ? 'W' : 't')));
            banco.clicca("Command7");
            banco.clicca("Command2");
            banco.clicca("Command4");
        } else if (attesa == Attesa::Reset) {
            banco.apri(banco.scrivi_firmware(Banco::firmware('t')));
            banco.clicca("Command7");
        }

        QVERIFY(dall_uscita.isValid());
        QVERIFY2(dall_uscita.elapsed() < 500, qPrintable(QString::number(dall_uscita.elapsed())));
        QVERIFY(!banco.finestra->isVisible());
        QTest::qWait(300);
        QCOMPARE(banco.sim.comandi_ricevuti().size(), comandi_all_uscita);
        QCOMPARE(banco.dialoghi.mostrati.size(), messaggi_all_uscita);
        const QByteArray cartella = banco.finestra->stato().percorso_firmware.toLocal8Bit();
        QCOMPARE(leggi(banco.cartella.filePath("BootLoader.ini")), "Path = " + cartella + "\r\nLanguage = 1\r\n");
    }
    void exit_inside_every_wait_data()
    {
        QTest::addColumn<Attesa>("attesa");
        QTest::addColumn<QByteArray>("comando");
        QTest::newRow("password") << Attesa::Password << QByteArray("PAS=");
        QTest::newRow("mode") << Attesa::Modo << QByteArray("MOP=");
        QTest::newRow("restart") << Attesa::Reset << QByteArray("RST!");
        QTest::newRow("identification") << Attesa::Identificazione << QByteArray("FWI");
        QTest::newRow("erase") << Attesa::Cancellazione << QByteArray("PGS");
        QTest::newRow("half page") << Attesa::MezzaPagina << QByteArray("PGP");
        QTest::newRow("verification PGX") << Attesa::VerificaPgx << QByteArray("PGX");
        QTest::newRow("verification PGW, 20 s") << Attesa::VerificaPgw << QByteArray("PGW");
    }
};

QTEST_MAIN(TestFaultsProgramming)
#include "test_faults_programming.moc"
