#include "tests/engine/engine_bench.h"

namespace {

const QString conferma = QStringLiteral("Aggiornamento Firmware|Attenzione: questa operazione avvierà "
                                        "l'aggiornamento del firmware.\r\nProcedere?");
const QString conferma_wgm110 = QStringLiteral(
    "Aggiornamento Firmware|Attenzione: questa operazione avvierà l'aggiornamento del firmware.\r\nTutti i "
    "parametri ritorneranno nello stato di default ed il modulo si avvierà come Access Point\r\nProcedere?");
const QString terminato = QStringLiteral("Aggiornamento|Aggiornamento terminato.");

// The device's CRC16 written out from its definition: data bits least
// significant first, register shifted right, 0x1021 applied after the shift.
quint16 crc_dispositivo(QByteArrayView byte)
{
    quint16 registro = 0xFFFF;
    for (const char c : byte) {
        registro ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            registro = (registro & 1) ? quint16((registro >> 1) ^ 0x1021) : quint16(registro >> 1);
    }
    return registro;
}

QByteArray in_pagine(QByteArray dati)
{
    dati.resize((dati.size() + 255) / 256 * 256, '\xFF');
    return dati;
}

// Every half page of the image once, in order, headed `testa`.
QList<QByteArray> mezze_pagine(QByteArrayView testa, const QByteArray &dati)
{
    const QByteArray pagine = in_pagine(dati);
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

const QByteArray blocco0("PGS\0", 4);
const QByteArray blocco1("PGS\1", 4);
const QByteArray tutto("PGF\0", 4);

using Script = QList<std::tuple<QByteArray, int, Risposta>>;

} // namespace

class TestProgramming : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The reference CRC against the device's check values.
        QCOMPARE(crc_dispositivo("abc"), quint16(0x0EB3));
        QCOMPARE(crc_dispositivo(QByteArray(256, '\0')), quint16(0x1A98));
    }

    void whole_update_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<QList<QByteArray>>("cancellazione");
        QTest::addColumn<QByteArray>("testa");
        QTest::addColumn<QByteArray>("verifica");
        QTest::addColumn<QList<int>>("avanzamenti");
        QTest::addColumn<int>("attesa_verifica");
        QTest::addColumn<QString>("cancellazione_in_corso");
        QTest::newRow("t: one block, filler on the last page")
            << 't' << 1000 << QList<QByteArray>{blocco0} << QByteArray("PGP") << QByteArray("PGX")
            << QList<int>{0, 100, 33, 66, 100, 100} << 5000 << "Cancellazione 64KB in corso...";
        QTest::newRow("s: two blocks, whole pages")
            << 's' << 512 << QList<QByteArray>{blocco0, blocco1} << QByteArray("PGP") << QByteArray("PGX")
            << QList<int>{0, 50, 100, 50, 100} << 5000 << "Cancellazione 128KB in corso...";
        QTest::newRow("W: whole area at once") << 'W' << 256 << QList<QByteArray>{tutto} << QByteArray("PGp")
                                               << QByteArray("PGW") << QList<int>{0, 100, 100} << 20000
                                               << "Cancellazione 756KB in corso...";
        QTest::newRow("one byte: less than a page")
            << 't' << 1 << QList<QByteArray>{blocco0} << QByteArray("PGP") << QByteArray("PGX")
            << QList<int>{0, 100, 100} << 5000 << "Cancellazione 64KB in corso...";
    }
    void whole_update()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QFETCH(QList<QByteArray>, cancellazione);
        QFETCH(QByteArray, testa);
        QFETCH(QByteArray, verifica);
        QFETCH(int, attesa_verifica);
        const QByteArray dati = dati_di_prova(lunghezza);
        const quint16 crc = crc_dispositivo(in_pagine(dati));
        const int pagine = int(in_pagine(dati).size() / 256);

        Motore motore;
        QVERIFY(motore.pronto(cpu, dati));
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.link.comandi, cancellazione + mezze_pagine(testa, dati));
        QTEST(motore.rapporto.avanzamenti, "avanzamenti");
        QFETCH(QString, cancellazione_in_corso);
        QCOMPARE(motore.rapporto.stati,
                 (QStringList{cancellazione_in_corso, "Trasferimento in corso...", "Trasferimento OK"}));
        QCOMPARE(motore.rapporto.campi, QStringList{"CRC " + QString::number(crc, 16).toUpper()});
        QCOMPARE(motore.rapporto.colore(Lampada::Trasferimento), Colore::Verde);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect update"));
        QCOMPARE(motore.link.attese.first(), (Attesa{1, 5000, 1}));
        QCOMPARE(motore.link.attese.last(), (Attesa{1, 1000, 1}));

        motore.azzera_registri();
        motore.rapporto.risposte = {risposta_si};
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.link.comandi, QList<QByteArray>{::verifica(verifica, pagine, crc)});
        QCOMPARE(motore.link.attese, (QList<Attesa>{{1, attesa_verifica, 1}}));
        QCOMPARE(motore.rapporto.stati, (QStringList{"Verifica CRC16 in corso...", "Programmazione avviata..."}));
        QCOMPARE(motore.rapporto.messaggi, (QStringList{cpu == 'W' ? conferma_wgm110 : conferma, terminato}));
        // The WGM110 restarts as an Access Point: the link is closed, its lamp left as it was.
        QCOMPARE(motore.passi(), QString(cpu == 'W' ? "connect identify" : "disconnect identify"));
        QCOMPARE(motore.rapporto.colore(Lampada::Connessione), Colore::Verde);
        for (const Lampada lampada : {Lampada::Trasferimento, Lampada::Aggiornamento, Lampada::Identificazione})
            QCOMPARE(motore.rapporto.colore(lampada), Colore::Rosso);
        QVERIFY(!motore.rapporto.in_attesa);
    }

    void transfer_failures_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("stato");
        QTest::addColumn<int>("mezze_pagine"); // half pages sent
        QTest::addColumn<Attesa>("ultima_attesa");
        const Risposta muto;
        const auto r = [](const char *byte) { return CollegamentoScriptato::risposta(byte); };
        const struct
        {
            const char *nome;
            Script script;
            const char *stato;
            int mezze_pagine;
            Attesa ultima_attesa;
        } casi[] = {
            {"erase unanswered: one attempt", {{"PGS", 1, muto}}, "Errore cancellazione", 0, {1, 5000, 5000}},
            {"erase answered A and more", {{"PGS", 1, r("AA")}}, "Errore cancellazione", 0, {1, 5000, 1}},
            {"N after a checksum refusal", {{"PGP", 1, r("C")}, {"PGP", 2, r("N")}}, "Errore scrittura pagina", 2,
             {1, 1000, 1}},
            {"C three times on the first half", {{"PGP", 0, r("C")}}, "Errore checksum pagina 1", 3, {1, 1000, 1}},
            {"C, A, C, C: one budget for the page", {{"PGP", 1, r("C")}, {"PGP", 3, r("C")}, {"PGP", 4, r("C")}},
             "Errore checksum pagina 2", 4, {1, 1000, 1}},
            {"silence three times", {{"PGP", 0, muto}}, "Errore trasferimento", 3, {1, 1000, 1000}},
            {"C, silence, C: the third decides", {{"PGP", 1, r("C")}, {"PGP", 2, muto}, {"PGP", 3, r("C")}},
             "Errore checksum pagina 1", 3, {1, 1000, 1}},
            {"C, C, then lower-case a", {{"PGP", 1, r("C")}, {"PGP", 2, r("C")}, {"PGP", 3, r("a")}},
             "Errore trasferimento", 3, {1, 1000, 1}},
            {"A drowned in a flood", {{"PGP", 0, r("A" + QByteArray(100000, 'x'))}}, "Errore trasferimento", 3,
             {1, 1000, 1}},
            {"link lost: sends refused, no waiting", {{"PGP", 3, Risposta{{}, true}}}, "Errore trasferimento", 5,
             {1, 1000, 0}},
        };
        for (const auto &caso : casi)
            QTest::newRow(caso.nome) << caso.script << QString(caso.stato) << caso.mezze_pagine << caso.ultima_attesa;
    }
    void transfer_failures()
    {
        QFETCH(Script, script);
        QFETCH(int, mezze_pagine);
        Motore motore;
        for (const auto &[testa, occorrenza, risposta] : script)
            motore.link.script(testa, occorrenza, risposta);
        QVERIFY(motore.pronto('t', dati_di_prova(1000)));
        motore.aggiornatore.trasferisci();

        QTEST(motore.rapporto.stati.last(), "stato");
        QCOMPARE(motore.link.comandi.size(), 1 + mezze_pagine);
        QTEST(motore.link.attese.last(), "ultima_attesa");
        QCOMPARE(motore.passi(), QStringLiteral("disconnect transfer"));
        QCOMPARE(motore.rapporto.colore(Lampada::Trasferimento), Colore::Giallo);
        QVERIFY(motore.rapporto.campi.isEmpty());
        QVERIFY(!motore.rapporto.in_attesa);
    }

    void resends_leave_the_crc_unchanged()
    {
        const QByteArray dati = dati_di_prova(1000);
        Motore motore;
        motore.link.script("PGP", 1, CollegamentoScriptato::risposta("C"));
        motore.link.script("PGP", 4, CollegamentoScriptato::silenzio());
        motore.link.script("PGP", 5, CollegamentoScriptato::risposta("C"));
        QVERIFY(motore.pronto('t', dati));
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.link.comandi.size(), 1 + 8 + 3);
        QCOMPARE(motore.rapporto.campi,
                 QStringList{"CRC " + QString::number(crc_dispositivo(in_pagine(dati)), 16).toUpper()});
        motore.rapporto.risposte = {risposta_si};
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.link.comandi.last(), verifica("PGX", 4, crc_dispositivo(in_pagine(dati))));
    }

    void unsound_file_at_transfer_time_sends_nothing_data()
    {
        QTest::addColumn<QByteArray>("al_trasferimento"); // empty: deleted
        QTest::addColumn<QString>("stato");
        const QString cambiato = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        QTest::newRow("deleted") << QByteArray() << cambiato;
        QTest::newRow("grown past 64 KB") << firmware('t', QByteArray(64 * 1024 + 1, 'x'))
                                          << "Errore: file firmware troppo grande";
    }
    void unsound_file_at_transfer_time_sends_nothing()
    {
        QFETCH(QByteArray, al_trasferimento);
        Motore motore;
        QVERIFY(motore.pronto('t', dati_di_prova(300)));
        QFile::remove(motore.cartella.filePath("FW.BIN"));
        if (!al_trasferimento.isEmpty())
            motore.scrivi_firmware(al_trasferimento);
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.rapporto.stati.size(), 1);
        QTEST(motore.rapporto.stati.value(0), "stato");
        QVERIFY(motore.link.comandi.isEmpty());
        QCOMPARE(motore.passi(), QStringLiteral("disconnect transfer"));
    }

    void verification_failures_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<Risposta>("risposta");
        QTest::addColumn<Attesa>("attesa");
        QTest::addColumn<QString>("passi");
        QTest::newRow("E") << 't' << CollegamentoScriptato::risposta("E") << Attesa{1, 5000, 1}
                           << "disconnect open identify transfer";
        QTest::newRow("no answer") << 't' << CollegamentoScriptato::silenzio() << Attesa{1, 5000, 5000}
                                   << "disconnect open identify transfer";
        QTest::newRow("W: no answer in 20 s, link closed all the same")
            << 'W' << CollegamentoScriptato::silenzio() << Attesa{1, 20000, 20000} << "connect open identify transfer";
    }
    void verification_failures()
    {
        QFETCH(char, cpu);
        QFETCH(Risposta, risposta);
        Motore motore;
        motore.link.script(cpu == 'W' ? "PGW" : "PGX", 0, risposta);
        QVERIFY(motore.pronto(cpu, dati_di_prova(300)));
        motore.aggiornatore.trasferisci();
        motore.azzera_registri();
        motore.rapporto.risposte = {risposta_si};
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.rapporto.stati, (QStringList{"Verifica CRC16 in corso...", "Errore CRC16"}));
        QTEST(motore.link.attese.value(0), "attesa");
        QTEST(motore.passi(), "passi");
        QCOMPARE(motore.rapporto.messaggi.size(), 1);
        for (const Lampada lampada : {Lampada::Trasferimento, Lampada::Aggiornamento, Lampada::Identificazione})
            QCOMPARE(motore.rapporto.colore(lampada), Colore::Rosso);
    }

    void no_to_the_confirmation_sends_nothing()
    {
        Motore motore;
        QVERIFY(motore.pronto('t', dati_di_prova(300)));
        motore.aggiornatore.trasferisci();
        motore.azzera_registri();
        motore.aggiornatore.aggiorna();
        QVERIFY(motore.link.comandi.isEmpty());
        QCOMPARE(motore.rapporto.messaggi, QStringList{conferma});
        QCOMPARE(motore.aggiornatore.stato().risposta, risposta_no);
        QCOMPARE(motore.passi(), QStringLiteral("disconnect update"));
        QCOMPARE(motore.rapporto.colore(Lampada::Trasferimento), Colore::Verde);
    }

    void ending_inside_a_wait_sends_and_shows_nothing_more_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("attesa");
        QTest::addColumn<QString>("ultimo_stato");
        QTest::newRow("erase") << 't' << 1 << "Cancellazione 64KB in corso...";
        QTest::newRow("half page") << 't' << 3 << "Trasferimento in corso...";
        QTest::newRow("PGX") << 't' << 10 << "Verifica CRC16 in corso...";
        QTest::newRow("PGW") << 'W' << 10 << "Verifica CRC16 in corso...";
    }
    void ending_inside_a_wait_sends_and_shows_nothing_more()
    {
        QFETCH(char, cpu);
        QFETCH(int, attesa);
        Motore motore;
        QVERIFY(motore.pronto(cpu, dati_di_prova(1000)));
        motore.link.durante_attesa = [&](int n) {
            if (n == attesa)
                motore.aggiornatore.termina();
        };
        motore.rapporto.risposte = {risposta_si};
        motore.aggiornatore.trasferisci();
        motore.aggiornatore.aggiorna();
        QCOMPARE(motore.link.comandi.size(), attesa);
        QCOMPARE(motore.rapporto.messaggi.size(), attesa == 10 ? 1 : 0);
        QTEST(motore.rapporto.stati.last(), "ultimo_stato");
        QVERIFY(!motore.aggiornatore.disponibile(Passo::Connetti));
    }

    void open_is_refused_while_the_transfer_waits()
    {
        Motore motore;
        QVERIFY(motore.pronto('t', dati_di_prova(300)));
        const QString file_w = motore.scrivi_firmware(firmware('W', "x"), "W.BIN");
        motore.link.durante_attesa = [&](int) { motore.aggiornatore.apri(file_w); };
        motore.aggiornatore.trasferisci();
        QCOMPARE(motore.link.comandi.last().first(3), QByteArray("PGP"));
        QCOMPARE(motore.rapporto.campi.size(), 1); // the CRC only: no file was read
        QCOMPARE(motore.aggiornatore.stato().nome_file, QStringLiteral("FW.BIN"));
    }
};

QTEST_GUILESS_MAIN(TestProgramming)
#include "test_programming.moc"
