#include "texts/captions.h"
#include "texts/messages.h"
#include "texts/statuses.h"

#include <QSet>
#include <QTest>

namespace {

constexpr int italiano = 0;
constexpr int inglese = 1;

const Testo &prefisso_di(const char *controllo)
{
    for (const EtichettaConPrefisso &etichetta : etichette_con_prefisso()) {
        if (qstrcmp(etichetta.controllo, controllo) == 0)
            return etichetta.prefisso;
    }
    qFatal("no label %s", controllo);
}

struct MessaggioConNome
{
    const char *nome;
    const Messaggio *messaggio;
};

const MessaggioConNome tutti_i_messaggi[] = {
    {"errore_connessione", &messaggio::errore_connessione},
    {"password_vuota", &messaggio::password_vuota},
    {"password_errata", &messaggio::password_errata},
    {"password_senza_risposta", &messaggio::password_senza_risposta},
    {"domanda_access_point", &messaggio::domanda_access_point},
    {"modo_cambiato", &messaggio::modo_cambiato},
    {"modo_senza_risposta", &messaggio::modo_senza_risposta},
    {"modulo_riavviato", &messaggio::modulo_riavviato},
    {"reset_senza_risposta", &messaggio::reset_senza_risposta},
    {"offerta_reset", &messaggio::offerta_reset},
    {"avviso_wgm110", &messaggio::avviso_wgm110},
    {"file_inesistente", &messaggio::file_inesistente},
    {"firmware_non_compatibile", &messaggio::firmware_non_compatibile},
    {"bootloader_non_supportato", &messaggio::bootloader_non_supportato},
    {"conferma_aggiornamento", &messaggio::conferma_aggiornamento},
    {"conferma_aggiornamento_wgm110", &messaggio::conferma_aggiornamento_wgm110},
    {"aggiornamento_terminato", &messaggio::aggiornamento_terminato},
};

QStringList righe(const Messaggio &m, int lingua)
{
    return m.testo.in(lingua).split(QStringLiteral("\r\n"));
}

} // namespace

class TestTexts : public QObject
{
    Q_OBJECT

private slots:
    void prefix_swap_data();
    void prefix_swap();
    void prefix_swap_keeps_value_both_ways_data();
    void prefix_swap_keeps_value_both_ways();
    void fixed_captions_cover_their_controls_once();
    void menu_caption_names_language_in_force_data();
    void menu_caption_names_language_in_force();

    void status_swap_data();
    void status_swap();

    void line_breaks_are_cr_lf_data();
    void line_breaks_are_cr_lf();
    void restart_and_mode_change_differ_only_in_italian();
    void update_confirmations_data();
    void update_confirmations();
    void accented_characters_survive();
    void bootloader_version_goes_into_text_data();
    void bootloader_version_goes_into_text();
    void file_titles_keep_their_case();
    void icon_and_buttons_follow_kind_data();
    void icon_and_buttons_follow_kind();
};

void TestTexts::prefix_swap_data()
{
    QTest::addColumn<QByteArray>("etichetta");
    QTest::addColumn<QString>("didascalia");
    QTest::addColumn<int>("lingua");
    QTest::addColumn<QString>("attesa");

    QTest::newRow("it->en keeps board") << QByteArray("Label7") << "Scheda: AB12" << inglese << "Board: AB12";
    QTest::newRow("it->en keeps blanks of board") << QByteArray("Label12") << "Scheda:  K 1 " << inglese << "Board:  K 1 ";
    QTest::newRow("en->it file name") << QByteArray("Label13") << "File name: FW_01234" << italiano << "Nome file: FW_01234";
    QTest::newRow("en->it date") << QByteArray("Label14") << "Date: 05.03.18" << italiano << "Data: 05.03.18";
    QTest::newRow("lingua 2 is English") << QByteArray("Label7") << "Scheda: AB12" << 2 << "Board: AB12";
    QTest::newRow("design text to English") << QByteArray("Label13") << "Nome file:" << inglese << "File name:";
    QTest::newRow("rest kept without blank") << QByteArray("Label7") << "Scheda:AB" << inglese << "Board:AB";

    QTest::newRow("same language it") << QByteArray("Label7") << "Scheda: AB12" << italiano << "Scheda:";
    QTest::newRow("same language it, file") << QByteArray("Label13") << "Nome file: FW" << italiano << "Nome file:";
    QTest::newRow("same language en") << QByteArray("Label14") << "Date: 01.01.20" << inglese << "Date:";
    QTest::newRow("same language, lingua 2") << QByteArray("Label12") << "Board: X" << 2 << "Board:";

    QTest::newRow("shorter than prefix") << QByteArray("Label7") << "Sche" << inglese << "Board:";
    QTest::newRow("shorter than en prefix") << QByteArray("Label7") << "Boar" << italiano << "Scheda:";
    QTest::newRow("empty to it") << QByteArray("Label14") << "" << italiano << "Data:";
    QTest::newRow("empty to en") << QByteArray("Label13") << "" << inglese << "File name:";

    QTest::newRow("lower case prefix") << QByteArray("Label7") << "scheda: AB12" << inglese << "Board:";
    QTest::newRow("upper case prefix") << QByteArray("Label12") << "BOARD: AB12" << italiano << "Scheda:";
    QTest::newRow("prefix not at start") << QByteArray("Label14") << " Data: 05.03.18" << inglese << "Date:";
}

void TestTexts::prefix_swap()
{
    QFETCH(QByteArray, etichetta);
    QFETCH(QString, didascalia);
    QFETCH(int, lingua);
    QFETCH(QString, attesa);

    QCOMPARE(scambia_prefisso(didascalia, prefisso_di(etichetta.constData()), lingua), attesa);
}

void TestTexts::prefix_swap_keeps_value_both_ways_data()
{
    QTest::addColumn<QByteArray>("etichetta");
    QTest::addColumn<QString>("valore");

    for (const EtichettaConPrefisso &e : etichette_con_prefisso()) {
        QTest::addRow("%s plain", e.controllo) << QByteArray(e.controllo) << "KS01";
        QTest::addRow("%s blanks", e.controllo) << QByteArray(e.controllo) << " a b ";
        QTest::addRow("%s empty", e.controllo) << QByteArray(e.controllo) << "";
    }
}

void TestTexts::prefix_swap_keeps_value_both_ways()
{
    QFETCH(QByteArray, etichetta);
    QFETCH(QString, valore);
    const Testo &prefisso = prefisso_di(etichetta.constData());

    const QString italiana = con_prefisso(prefisso, italiano, valore);
    const QString inglese_ = con_prefisso(prefisso, inglese, valore);
    QCOMPARE(italiana, QString::fromUtf8(prefisso.it) + u' ' + valore);
    QCOMPARE(scambia_prefisso(italiana, prefisso, inglese), inglese_);
    QCOMPARE(scambia_prefisso(inglese_, prefisso, italiano), italiana);
}

void TestTexts::fixed_captions_cover_their_controls_once()
{
    const QSet<QString> attesi{"Frame1", "Frame2", "Command1", "Command2", "Command3", "Command4",
                               "Command5", "Command6", "Command7", "Check1", "Label9"};
    QSet<QString> trovati;
    for (const DidascaliaControllo &d : didascalie_fisse()) {
        QVERIFY2(!trovati.contains(d.controllo), d.controllo);
        trovati.insert(d.controllo);
        QVERIFY2(!d.testo.in(italiano).isEmpty() && !d.testo.in(inglese).isEmpty(), d.controllo);
        QVERIFY2(d.testo.in(italiano) != d.testo.in(inglese), d.controllo);
    }
    QCOMPARE(trovati, attesi);
}

void TestTexts::menu_caption_names_language_in_force_data()
{
    QTest::addColumn<int>("lingua");
    QTest::addColumn<QString>("attesa");
    QTest::newRow("0") << 0 << "Italiano";
    QTest::newRow("1") << 1 << "English";
    QTest::newRow("2") << 2 << "English";
    QTest::newRow("-1") << -1 << "English";
}

void TestTexts::menu_caption_names_language_in_force()
{
    QFETCH(int, lingua);
    QFETCH(QString, attesa);
    QCOMPARE(titolo_menu_lingua(lingua), attesa);
}

void TestTexts::status_swap_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<int>("lingua");
    QTest::addColumn<QString>("atteso");

    const std::pair<const char *, const char *> stati[] = {
        {"Attesa connessione...", "Waiting for connection..."},
        {"Connesso...", "Connected..."},
        {"Trasferimento in corso...", "Transfering..."},
        {"Trasferimento OK", "Transfer OK"},
        {"Verifica CRC16 in corso...", "Checking CRC16..."},
        {"Programmazione avviata...", "Programming started..."},
    };
    for (const auto &[it, en] : stati) {
        QTest::addRow("%s -> en", it) << QString(it) << inglese << QString(en);
        QTest::addRow("%s -> it", en) << QString(en) << italiano << QString(it);
        QTest::addRow("%s -> lingua 2", it) << QString(it) << 2 << QString(en);
        QTest::addRow("%s stays it", it) << QString(it) << italiano << QString(it);
        QTest::addRow("%s stays en", en) << QString(en) << inglese << QString(en);
    }

    QTest::newRow("double r is not a status") << "Transferring..." << italiano << "Transferring...";
    QTest::newRow("case counts") << "transfer OK" << italiano << "transfer OK";
    QTest::newRow("trailing blank") << "Connected... " << italiano << "Connected... ";
    QTest::newRow("info unavailable it") << "Connesso: INFO non disponibile" << inglese << "Connesso: INFO non disponibile";
    QTest::newRow("info unavailable en") << "Connected: INFO unavailable" << italiano << "Connected: INFO unavailable";
    QTest::newRow("connection error") << "errore connessione" << inglese << "errore connessione";
    QTest::newRow("erase text") << "Cancellazione 64KB in corso..." << inglese << "Cancellazione 64KB in corso...";
    QTest::newRow("failure text") << "CRC16 error" << italiano << "CRC16 error";
    QTest::newRow("empty") << "" << inglese << "";
}

void TestTexts::status_swap()
{
    QFETCH(QString, testo);
    QFETCH(int, lingua);
    QFETCH(QString, atteso);
    QCOMPARE(scambia_stato(testo, lingua), atteso);
}

void TestTexts::line_breaks_are_cr_lf_data()
{
    QTest::addColumn<int>("indice");
    QTest::addColumn<int>("lingua");
    for (int i = 0; i < int(std::size(tutti_i_messaggi)); ++i) {
        QTest::addRow("%s it", tutti_i_messaggi[i].nome) << i << italiano;
        QTest::addRow("%s en", tutti_i_messaggi[i].nome) << i << inglese;
    }
}

void TestTexts::line_breaks_are_cr_lf()
{
    QFETCH(int, indice);
    QFETCH(int, lingua);
    const Messaggio &m = *tutti_i_messaggi[indice].messaggio;

    QVERIFY(!m.titolo.in(lingua).isEmpty());
    QVERIFY(!m.titolo.in(lingua).contains(u'\n'));
    for (const QString &riga : righe(m, lingua)) {
        QVERIFY(!riga.isEmpty());
        QVERIFY2(!riga.contains(u'\r') && !riga.contains(u'\n'), qPrintable(riga));
    }
    QCOMPARE(righe(m, lingua).size(), righe(m, 1 - lingua).size());
    QVERIFY(m.testo.in(italiano) != m.testo.in(inglese));
}

void TestTexts::restart_and_mode_change_differ_only_in_italian()
{
    const QStringList riavviato = righe(messaggio::modulo_riavviato, italiano);
    const QStringList cambiato = righe(messaggio::modo_cambiato, italiano);
    QCOMPARE(riavviato.size(), 2);
    QCOMPARE(riavviato.at(0), cambiato.at(0));
    QVERIFY(riavviato.at(1).endsWith(u"la connessione"));
    QCOMPARE(cambiato.at(1), riavviato.at(1) + QStringLiteral(" wifi"));

    QCOMPARE(messaggio::modulo_riavviato.testo.in(inglese), messaggio::modo_cambiato.testo.in(inglese));
    QCOMPARE(messaggio::modo_cambiato.testo.in(inglese),
             QStringLiteral("The wifi module has been restarted\r\nWait 30 seconds and run the wifi connection again"));
}

void TestTexts::update_confirmations_data()
{
    QTest::addColumn<int>("lingua");
    QTest::addColumn<QString>("seconda_riga_wgm110");
    QTest::newRow("it") << italiano
                        << QString::fromUtf8("Tutti i parametri ritorneranno nello stato di default ed il modulo si "
                                             "avvierà come Access Point");
    QTest::newRow("en") << inglese
                        << "All the parameters will return into default state and the module will start up "
                           "as an Access Point";
}

void TestTexts::update_confirmations()
{
    QFETCH(int, lingua);
    QFETCH(QString, seconda_riga_wgm110);

    const QStringList tre = righe(messaggio::conferma_aggiornamento_wgm110, lingua);
    QCOMPARE(tre.size(), 3);
    QCOMPARE(tre.at(1), seconda_riga_wgm110);
    QCOMPARE(righe(messaggio::conferma_aggiornamento, lingua), (QStringList{tre.at(0), tre.at(2)}));
    QCOMPARE(messaggio::conferma_aggiornamento.titolo.in(lingua),
             messaggio::conferma_aggiornamento_wgm110.titolo.in(lingua));
}

void TestTexts::accented_characters_survive()
{
    const QChar a_grave(0x00E0);
    const QChar e_grave(0x00E8);

    QCOMPARE(messaggio::domanda_access_point.titolo.in(italiano),
             QStringLiteral("Impostazione Modalit") + a_grave + QStringLiteral(" Access Point"));
    QCOMPARE(messaggio::firmware_non_compatibile.testo.in(italiano),
             QStringLiteral("Attenzione: il firmware caricato non ") + e_grave + QStringLiteral(" compatibile"));
    QCOMPARE(righe(messaggio::conferma_aggiornamento, italiano).at(0),
             QStringLiteral("Attenzione: questa operazione avvier") + a_grave
                 + QStringLiteral(" l'aggiornamento del firmware."));
    QCOMPARE(messaggio::modo_cambiato.titolo.in(italiano).toUtf8(), QByteArray("Imposta Modalit\xc3\xa0"));
}

void TestTexts::bootloader_version_goes_into_text_data()
{
    QTest::addColumn<int>("lingua");
    QTest::addColumn<QString>("versione");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("it 1.1") << italiano << "1.1"
                            << QString("Il bootloader in versione 1.1 non ") + QChar(0x00E8) + " supportato";
    QTest::newRow("it 2") << italiano << "2" << QString("Il bootloader in versione 2 non ") + QChar(0x00E8) + " supportato";
    QTest::newRow("en 1.4") << inglese << "1.4" << "The bootloader version 1.4 is not supported";
}

void TestTexts::bootloader_version_goes_into_text()
{
    QFETCH(int, lingua);
    QFETCH(QString, versione);
    QFETCH(QString, atteso);
    QCOMPARE(messaggio::bootloader_non_supportato.testo.in(lingua).arg(versione), atteso);
}

void TestTexts::file_titles_keep_their_case()
{
    QCOMPARE(messaggio::file_inesistente.titolo.in(italiano), QStringLiteral("Apri firmware"));
    QCOMPARE(messaggio::file_inesistente.titolo.in(inglese), QStringLiteral("Open firmware"));
    QCOMPARE(messaggio::firmware_non_compatibile.titolo.in(italiano), QStringLiteral("Apri Firmware"));
    QCOMPARE(messaggio::firmware_non_compatibile.titolo.in(inglese), QStringLiteral("Open Firmware"));
    QCOMPARE(messaggio::file_inesistente.testo.in(italiano), QStringLiteral("File Inesistente"));
}

void TestTexts::icon_and_buttons_follow_kind_data()
{
    QTest::addColumn<int>("indice");
    QTest::addColumn<int>("icona");
    QTest::addColumn<int>("pulsanti");

    // Every box not listed here is a warning: exclamation and OK.
    struct Eccezione
    {
        const char *nome;
        Icona icona;
        Pulsanti pulsanti;
    };
    const Eccezione eccezioni[] = {
        {"domanda_access_point", Icona::Informazione, Pulsanti::SiNo},
        {"offerta_reset", Icona::Informazione, Pulsanti::SiNo},
        {"firmware_non_compatibile", Icona::Critico, Pulsanti::Ok},
        {"conferma_aggiornamento", Icona::Critico, Pulsanti::SiNo},
        {"conferma_aggiornamento_wgm110", Icona::Critico, Pulsanti::SiNo},
        {"aggiornamento_terminato", Icona::Informazione, Pulsanti::Ok},
    };

    for (int i = 0; i < int(std::size(tutti_i_messaggi)); ++i) {
        Eccezione attesa{tutti_i_messaggi[i].nome, Icona::Esclamazione, Pulsanti::Ok};
        for (const Eccezione &e : eccezioni) {
            if (qstrcmp(e.nome, attesa.nome) == 0)
                attesa = e;
        }
        QTest::newRow(attesa.nome) << i << int(attesa.icona) << int(attesa.pulsanti);
    }
}

void TestTexts::icon_and_buttons_follow_kind()
{
    QFETCH(int, indice);
    QFETCH(int, icona);
    QFETCH(int, pulsanti);
    QCOMPARE(int(tutti_i_messaggi[indice].messaggio->icona), icona);
    QCOMPARE(int(tutti_i_messaggi[indice].messaggio->pulsanti), pulsanti);
}

QTEST_APPLESS_MAIN(TestTexts)

#include "test_texts.moc"
