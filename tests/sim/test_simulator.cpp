#include "image/checksums.h"
#include "programming/commands.h"
#include "sim/command_framing.h"
#include "sim/fault_option.h"
#include "sim/module_simulator.h"

#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Guasto)

namespace {

using Tipo = Guasto::Tipo;

// Pages of a test image: every byte value, 0 and 255 included.
QByteArray pagine(int quante)
{
    QByteArray byte(quante * dimensione_pagina, Qt::Uninitialized);
    for (int i = 0; i < byte.size(); ++i)
        byte[i] = char(i / dimensione_pagina * 7 + i * 3);
    return byte;
}

Guasto guasto(QByteArray comando, int occorrenza, Tipo tipo, QByteArray risposta = {}, int ritardo_ms = 0)
{
    return Guasto{comando, occorrenza, tipo, risposta, ritardo_ms};
}

} // namespace

class TestSimulatore : public QObject
{
    Q_OBJECT

private slots:
    void commands_cut_from_the_stream_data()
    {
        QTest::addColumn<QByteArrayList>("pezzi");
        QTest::addColumn<QByteArrayList>("comandi");
        QTest::addColumn<QByteArrayList>("a_riposo"); // what the quiet line still gives
        const QByteArray scrittura = comando_mezza_pagina(2, 0x012C80, pagine(1).first(dimensione_mezza_pagina));
        const QByteArray password_infinita = "PAS=" + QByteArray(300, '1');
        QTest::newRow("half page in three pieces")
            << QByteArrayList{scrittura.first(1), scrittura.sliced(1, 59), scrittura.sliced(60)}
            << QByteArrayList{scrittura} << QByteArrayList{};
        QTest::newRow("two commands in one piece") << QByteArrayList{QByteArray("FWIPGS\0", 7)}
                                                   << QByteArrayList{"FWI", QByteArray("PGS\0", 4)} << QByteArrayList{};
        QTest::newRow("noise, some of it like a head") << QByteArrayList{QByteArray("x\0\xFFPGZPAFWI", 11)}
                                                      << QByteArrayList{"FWI"} << QByteArrayList{};
        QTest::newRow("right password in pieces") << QByteArrayList{"PA", "S=4071", "8253"}
                                                  << QByteArrayList{"PAS=40718253"} << QByteArrayList{};
        QTest::newRow("wrong password ends when the line goes quiet")
            << QByteArrayList{"PAS=1234"} << QByteArrayList{} << QByteArrayList{"PAS=1234"};
        QTest::newRow("endless password is cut") << QByteArrayList{password_infinita}
            << QByteArrayList{password_infinita.first(DivisoreComandi::lunghezza_massima_password)}
            << QByteArrayList{};
        QTest::newRow("unfinished command dropped when the line goes quiet")
            << QByteArrayList{scrittura.first(100)} << QByteArrayList{} << QByteArrayList{};
    }
    void commands_cut_from_the_stream()
    {
        QFETCH(QByteArrayList, pezzi);
        DivisoreComandi divisore;
        QByteArrayList trovati;
        for (const QByteArray &pezzo : pezzi) {
            divisore.aggiungi(pezzo);
            while (const std::optional<QByteArray> comando = divisore.prossimo("40718253"))
                trovati.append(*comando);
        }
        QTEST(trovati, "comandi");
        QByteArrayList dopo;
        if (const std::optional<QByteArray> comando = divisore.a_riposo())
            dopo.append(*comando);
        QTEST(dopo, "a_riposo");
        QCOMPARE(divisore.in_attesa(), 0);
    }

    void verification_checks_what_was_written_data()
    {
        QTest::addColumn<int>("scritte");
        QTest::addColumn<int>("dichiarate");
        QTest::addColumn<QByteArray>("base_crc");
        QTest::addColumn<QByteArray>("risposta");
        QTest::newRow("the pages written") << 2 << 2 << pagine(2) << QByteArray("A");
        QTest::newRow("other data") << 2 << 2 << QByteArray(512, '\0') << QByteArray("E");
        QTest::newRow("a page never written reads 0xFF") << 1 << 2 << pagine(1) + QByteArray(256, '\xFF')
                                                         << QByteArray("A");
        QTest::newRow("declaring too few pages") << 2 << 1 << pagine(2) << QByteArray("E");
    }
    void verification_checks_what_was_written()
    {
        QFETCH(int, scritte);
        QFETCH(int, dichiarate);
        QFETCH(QByteArray, base_crc);
        QFETCH(QByteArray, risposta);
        QTemporaryDir cartella;
        OpzioniSimulatore opzioni;
        opzioni.file_immagine = cartella.filePath("flash.bin");
        SimulatoreModulo sim(opzioni);
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        QTcpSocket cliente;
        cliente.connectToHost(QHostAddress::LocalHost, sim.serverPort());
        QByteArray ricevuti;
        connect(&cliente, &QTcpSocket::readyRead, this, [&] { ricevuti += cliente.readAll(); });

        QByteArrayList comandi{comando_cancella_blocco(0)};
        for (int offset = 0; offset < scritte * dimensione_pagina; offset += dimensione_mezza_pagina)
            comandi.append(comando_mezza_pagina(2, offset, pagine(scritte).sliced(offset, dimensione_mezza_pagina)));
        RegistroCrc registro{0xFF, 0xFF, 0};
        crc16_calc(registro, base_crc);
        comandi.append(comando_verifica(2, dichiarate, registro.crc_alto, registro.crc_basso));
        for (const QByteArray &comando : comandi) {
            const qsizetype prima = ricevuti.size();
            cliente.write(comando);
            QTRY_COMPARE(ricevuti.size(), prima + 1);
        }
        QCOMPARE(ricevuti.right(1), risposta);
        QCOMPARE(sim.ultima_verifica_ok(), risposta == "A");
        QFile salvato(opzioni.file_immagine);
        QCOMPARE(salvato.open(QIODevice::ReadOnly), risposta == "A");
        if (salvato.isOpen())
            QCOMPARE(salvato.readAll(), base_crc);
    }

    void fault_options_data()
    {
        QTest::addColumn<QByteArray>("testo");
        QTest::addColumn<bool>("valido");
        QTest::addColumn<Guasto>("atteso");
        QTest::newRow("nth reply") << QByteArray("PGP#3:reply:C") << true << guasto("PGP", 3, Tipo::Risposta, "C");
        QTest::newRow("escapes and colons") << QByteArray(R"(PGS:reply:\x41\x0\xff\\:\n)") << true
                                            << guasto("PGS", 0, Tipo::Risposta, QByteArray("A\0\xFF\\:\n", 6));
        QTest::newRow("drop before") << QByteArray("PGP#10:drop-before") << true
                                     << guasto("PGP", 10, Tipo::ChiudiPrima);
        QTest::newRow("delay of the challenge") << QByteArray("PAS?:delay:250") << true
                                                << guasto("PAS?", 0, Tipo::Ritardo, {}, 250);
        QTest::newRow("split without ms") << QByteArray("FWI:split") << true << guasto("FWI", 0, Tipo::Dividi);
        for (const char *testo : {"PGQ:none", "PGP", "PGP:explode", "PGP#-1:none", "PGP:reply", R"(PGP:reply:\q)",
                                  R"(PGP:reply:A\)", "FWI:none:5", "PGX:delay:-1"})
            QTest::newRow(testo) << QByteArray(testo) << false << Guasto();
    }
    void fault_options()
    {
        QFETCH(QByteArray, testo);
        QFETCH(bool, valido);
        QFETCH(Guasto, atteso);
        QString errore;
        const std::optional<Guasto> letto = leggi_guasto(testo, errore);
        QCOMPARE(letto.has_value(), valido);
        QCOMPARE(errore.isEmpty(), valido);
        if (!letto)
            return;
        QCOMPARE(letto->comando, atteso.comando);
        QCOMPARE(letto->occorrenza, atteso.occorrenza);
        QCOMPARE(letto->tipo, atteso.tipo);
        QCOMPARE(letto->risposta, atteso.risposta);
        QCOMPARE(letto->ritardo_ms, atteso.ritardo_ms);
    }
};

QTEST_GUILESS_MAIN(TestSimulatore)
#include "test_simulator.moc"
