#include "image/checksums.h"
#include "programming/commands.h"
#include "sim/command_framing.h"
#include "sim/fault_option.h"
#include "sim/module_simulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(Guasto)
Q_DECLARE_METATYPE(OpzioniSimulatore)
Q_DECLARE_METATYPE(OpzioniSimulatore::Modo)

namespace {

constexpr int attesa_ms = 5000;
constexpr int codice_stm32f1 = 2;
constexpr int codice_wgm110 = 3;

using Modo = OpzioniSimulatore::Modo;
using Tipo = Guasto::Tipo;

QByteArray ff(qsizetype n)
{
    return QByteArray(n, '\xFF');
}

// Page `numero` of a test image: every byte value, 0 and 255 included.
QByteArray pagina(int numero)
{
    QByteArray byte(dimensione_pagina, Qt::Uninitialized);
    for (int i = 0; i < byte.size(); ++i)
        byte[i] = char(numero * 7 + i * 3);
    return byte;
}

QByteArray pagine(int quante)
{
    QByteArray byte;
    for (int numero = 0; numero < quante; ++numero)
        byte += pagina(numero);
    return byte;
}

QByteArray mezza_pagina(quint32 offset, QByteArrayView dati)
{
    return comando_mezza_pagina(codice_stm32f1, offset, dati);
}

QByteArray somma_sbagliata(QByteArray comando)
{
    comando.back() = char(comando.back() + 1);
    return comando;
}

QByteArray verifica_di(int pagine_dichiarate, QByteArrayView base_crc)
{
    RegistroCrc registro{.crc_alto = 0xFF, .crc_basso = 0xFF};
    crc16_calc(registro, base_crc);
    return comando_verifica(codice_stm32f1, pagine_dichiarate, registro.crc_alto, registro.crc_basso);
}

OpzioniSimulatore in_modo(Modo modo)
{
    OpzioniSimulatore opzioni;
    opzioni.modo = modo;
    return opzioni;
}

// Unfinished commands wait however slowly the rest comes.
OpzioniSimulatore pazienti()
{
    OpzioniSimulatore opzioni;
    opzioni.silenzio_ms = 60 * 1000;
    return opzioni;
}

OpzioniSimulatore con_guasto(const Guasto &guasto, Modo modo = Modo::AccessPoint)
{
    OpzioniSimulatore opzioni = in_modo(modo);
    opzioni.guasti = {guasto};
    return opzioni;
}

Guasto guasto(QByteArray comando, int occorrenza, Tipo tipo, QByteArray risposta = {}, int ritardo_ms = 0)
{
    return Guasto{comando, occorrenza, tipo, risposta, ritardo_ms};
}

const QByteArray identita_normale = QByteArray("FWI=\x02\x15KR01KESTRA01\x24\x65", 20);

} // namespace

class TestSimulatore : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void divisore_data();
    void divisore();
    void comando_in_pezzi();
    void somma_sbagliata_non_scrive();
    void immagine_intera();
    void verifica_data();
    void verifica();
    void accesso_data();
    void accesso();
    void riavvio_data();
    void riavvio();
    void identita_data();
    void identita();
    void nuovo_cliente_sostituisce_il_vecchio();
    void guasti_data();
    void guasti();
    void lettura_guasto_data();
    void lettura_guasto();

private:
    bool avvia(const OpzioniSimulatore &opzioni = {});
    bool collega();
    // Sends `comando` and returns the bytes that follow it, once at least `attesi` came.
    QByteArray scambia(const QByteArray &comando, qsizetype attesi = 1);

    std::unique_ptr<SimulatoreModulo> m_sim;
    std::unique_ptr<QTcpSocket> m_client;
    QByteArray m_ricevuti;
    int m_letture = 0;
};

void TestSimulatore::cleanup()
{
    m_client.reset();
    m_sim.reset();
}

bool TestSimulatore::avvia(const OpzioniSimulatore &opzioni)
{
    m_sim = std::make_unique<SimulatoreModulo>(opzioni);
    return m_sim->listen(QHostAddress::LocalHost, 0) && collega();
}

bool TestSimulatore::collega()
{
    const int accettate = m_sim->connessioni_accettate();
    m_client = std::make_unique<QTcpSocket>();
    m_ricevuti.clear();
    m_letture = 0;
    connect(m_client.get(), &QTcpSocket::readyRead, this, [this] {
        m_ricevuti += m_client->readAll();
        ++m_letture;
    });
    m_client->connectToHost(QHostAddress::LocalHost, m_sim->serverPort());
    return QTest::qWaitFor([&] {
        return m_client->state() == QAbstractSocket::ConnectedState
               && m_sim->connessioni_accettate() == accettate + 1;
    }, attesa_ms);
}

QByteArray TestSimulatore::scambia(const QByteArray &comando, qsizetype attesi)
{
    const qsizetype prima = m_ricevuti.size();
    m_client->write(comando);
    if (!QTest::qWaitFor([&] { return m_ricevuti.size() >= prima + attesi; }, attesa_ms))
        return "(no reply)";
    return m_ricevuti.sliced(prima);
}

void TestSimulatore::divisore_data()
{
    QTest::addColumn<QByteArrayList>("pezzi");
    QTest::addColumn<QByteArrayList>("comandi");
    QTest::addColumn<qsizetype>("in_attesa");
    QTest::addColumn<QByteArrayList>("a_riposo");

    const QByteArray scrittura = mezza_pagina(0x012C80, pagina(1).first(dimensione_mezza_pagina));
    const QByteArray password_infinita = "PAS=" + QByteArray(300, '1');

    QTest::newRow("half page in three pieces")
        << QByteArrayList{scrittura.first(1), scrittura.sliced(1, 59), scrittura.sliced(60)}
        << QByteArrayList{scrittura} << qsizetype(0) << QByteArrayList{};
    QTest::newRow("two commands in one piece")
        << QByteArrayList{QByteArray("FWIPGS\0", 7)} << QByteArrayList{"FWI", QByteArray("PGS\0", 4)}
        << qsizetype(0) << QByteArrayList{};
    QTest::newRow("bytes 0 and 255 are data")
        << QByteArrayList{"PGS\xFF", QByteArray("PGF\0", 4)}
        << QByteArrayList{"PGS\xFF", QByteArray("PGF\0", 4)} << qsizetype(0) << QByteArrayList{};
    QTest::newRow("noise before a command")
        << QByteArrayList{QByteArray("xyz\0\xFF", 5), "FWI"} << QByteArrayList{"FWI"} << qsizetype(0)
        << QByteArrayList{};
    QTest::newRow("noise that begins like a head")
        << QByteArrayList{"PGZPAFWI"} << QByteArrayList{"FWI"} << qsizetype(0) << QByteArrayList{};
    QTest::newRow("a megabyte of noise is not kept")
        << QByteArrayList{QByteArray(1 << 20, 'x')} << QByteArrayList{} << qsizetype(0) << QByteArrayList{};
    QTest::newRow("right password at once")
        << QByteArrayList{"PAS=40718253"} << QByteArrayList{"PAS=40718253"} << qsizetype(0)
        << QByteArrayList{};
    QTest::newRow("right password in pieces")
        << QByteArrayList{"PA", "S=4071", "8253"} << QByteArrayList{"PAS=40718253"} << qsizetype(0)
        << QByteArrayList{};
    QTest::newRow("wrong password ends when the line goes quiet")
        << QByteArrayList{"PAS=1234"} << QByteArrayList{} << qsizetype(8) << QByteArrayList{"PAS=1234"};
    QTest::newRow("right password followed by more")
        << QByteArrayList{"PAS=407182531"} << QByteArrayList{} << qsizetype(13)
        << QByteArrayList{"PAS=407182531"};
    QTest::newRow("endless password is cut")
        << QByteArrayList{password_infinita}
        << QByteArrayList{password_infinita.first(DivisoreComandi::lunghezza_massima_password)}
        << qsizetype(0) << QByteArrayList{};
    QTest::newRow("unfinished command is dropped when the line goes quiet")
        << QByteArrayList{scrittura.first(100)} << QByteArrayList{} << qsizetype(100) << QByteArrayList{};
    QTest::newRow("head alone is dropped when the line goes quiet")
        << QByteArrayList{"PG"} << QByteArrayList{} << qsizetype(2) << QByteArrayList{};
}

void TestSimulatore::divisore()
{
    QFETCH(QByteArrayList, pezzi);
    QFETCH(QByteArrayList, comandi);
    QFETCH(qsizetype, in_attesa);
    QFETCH(QByteArrayList, a_riposo);

    DivisoreComandi divisore;
    QByteArrayList trovati;
    for (const QByteArray &pezzo : pezzi) {
        divisore.aggiungi(pezzo);
        while (const std::optional<QByteArray> comando = divisore.prossimo("40718253"))
            trovati.append(*comando);
    }
    QCOMPARE(trovati, comandi);
    QCOMPARE(divisore.in_attesa(), in_attesa);

    QByteArrayList dopo;
    if (const std::optional<QByteArray> comando = divisore.a_riposo())
        dopo.append(*comando);
    QCOMPARE(dopo, a_riposo);
    QCOMPARE(divisore.in_attesa(), 0);
}

void TestSimulatore::comando_in_pezzi()
{
    QVERIFY(avvia(pazienti()));
    auto *lato_modulo = m_sim->findChild<QTcpSocket *>();
    QVERIFY(lato_modulo);
    QSignalSpy arrivi(lato_modulo, &QTcpSocket::readyRead);
    const QByteArray scrittura = mezza_pagina(0x80, pagina(0).first(dimensione_mezza_pagina));
    const QByteArrayList pezzi = {scrittura.first(3), scrittura.sliced(3, 60), scrittura.sliced(63)};

    for (int i = 0; i < pezzi.size(); ++i) {
        QVERIFY(m_sim->comandi_ricevuti().isEmpty());
        m_client->write(pezzi[i]);
        QTRY_VERIFY(arrivi.count() > i);
    }
    QTRY_COMPARE(m_ricevuti, "A");
    QCOMPARE(m_sim->comandi_ricevuti(), QByteArrayList{scrittura});
    QCOMPARE(m_sim->flash(), ff(dimensione_mezza_pagina) + pagina(0).first(dimensione_mezza_pagina));
}

void TestSimulatore::somma_sbagliata_non_scrive()
{
    QVERIFY(avvia());
    const QByteArray prima = pagina(0).first(dimensione_mezza_pagina);
    QCOMPARE(scambia(comando_cancella_tutto()), "A");
    QCOMPARE(scambia(mezza_pagina(0, prima)), "A");
    const QByteArray scritta = m_sim->flash();

    QCOMPARE(scambia(somma_sbagliata(mezza_pagina(0, pagina(1).first(dimensione_mezza_pagina)))), "C");
    QCOMPARE(scambia(somma_sbagliata(mezza_pagina(0x180, prima))), "C");
    QCOMPARE(m_sim->flash(), scritta);
    QCOMPARE(scritta, prima + ff(dimensione_mezza_pagina));
}

void TestSimulatore::immagine_intera()
{
    QTemporaryDir cartella;
    OpzioniSimulatore opzioni;
    opzioni.file_immagine = cartella.filePath("flash.bin");
    QVERIFY(avvia(opzioni));
    const QByteArray immagine = pagine(4).first(1000);
    const QByteArray riempita = immagine + ff(24);

    QCOMPARE(scambia(comando_cancella_tutto()), "A");
    RegistroCrc registro{.crc_alto = 0xFF, .crc_basso = 0xFF};
    for (int offset = 0; offset < riempita.size(); offset += dimensione_mezza_pagina) {
        const QByteArray dati = riempita.sliced(offset, dimensione_mezza_pagina);
        QCOMPARE(scambia(comando_mezza_pagina(codice_wgm110, offset, dati)), "A");
        crc16_calc(registro, dati);
    }
    QCOMPARE(scambia(comando_verifica(codice_wgm110, 4, registro.crc_alto, registro.crc_basso)), "A");

    QVERIFY(m_sim->ultima_verifica_ok());
    QCOMPARE(m_sim->flash(), riempita);
    QFile salvato(opzioni.file_immagine);
    QVERIFY(salvato.open(QIODevice::ReadOnly));
    QCOMPARE(salvato.readAll(), riempita);
    QCOMPARE(m_sim->comandi("PGp").size(), 8);
}

void TestSimulatore::verifica_data()
{
    QTest::addColumn<int>("scritte");
    QTest::addColumn<int>("dichiarate");
    QTest::addColumn<QByteArray>("base_crc");
    QTest::addColumn<QByteArray>("risposta");

    QTest::newRow("the pages written") << 2 << 2 << pagine(2) << QByteArray("A");
    QTest::newRow("other data") << 2 << 2 << QByteArray(512, '\0') << QByteArray("E");
    QTest::newRow("a page never written reads 0xFF") << 1 << 2 << pagina(0) + ff(256) << QByteArray("A");
    QTest::newRow("fewer pages than written") << 2 << 1 << pagina(0) << QByteArray("A");
    QTest::newRow("declaring too few pages") << 2 << 1 << pagine(2) << QByteArray("E");
    QTest::newRow("no pages") << 0 << 0 << QByteArray() << QByteArray("A");
}

void TestSimulatore::verifica()
{
    QFETCH(int, scritte);
    QFETCH(int, dichiarate);
    QFETCH(QByteArray, base_crc);
    QFETCH(QByteArray, risposta);

    QTemporaryDir cartella;
    OpzioniSimulatore opzioni;
    opzioni.file_immagine = cartella.filePath("flash.bin");
    QVERIFY(avvia(opzioni));
    QCOMPARE(scambia(comando_cancella_blocco(0)), "A");
    const QByteArray immagine = pagine(scritte);
    for (int offset = 0; offset < immagine.size(); offset += dimensione_mezza_pagina)
        QCOMPARE(scambia(mezza_pagina(offset, immagine.sliced(offset, dimensione_mezza_pagina))), "A");

    QCOMPARE(scambia(verifica_di(dichiarate, base_crc)), risposta);
    QCOMPARE(m_sim->ultima_verifica_ok(), risposta == "A");
    QFile salvato(opzioni.file_immagine);
    QCOMPARE(salvato.open(QIODevice::ReadOnly), risposta == "A");
    if (salvato.isOpen())
        QCOMPARE(salvato.readAll(), base_crc);
}

void TestSimulatore::accesso_data()
{
    QTest::addColumn<QByteArrayList>("pezzi");
    QTest::addColumn<QByteArray>("risposta");

    QTest::newRow("right") << QByteArrayList{"PAS=40718253"} << QByteArray("PAS=OK");
    QTest::newRow("right in two pieces") << QByteArrayList{"PAS=4071", "8253"} << QByteArray("PAS=OK");
    QTest::newRow("wrong") << QByteArrayList{"PAS=1234"} << QByteArray("PAS=ERR");
    QTest::newRow("right and more") << QByteArrayList{"PAS=407182530"} << QByteArray("PAS=ERR");
    QTest::newRow("empty") << QByteArrayList{"PAS="} << QByteArray("PAS=ERR");
    QTest::newRow("high bytes") << QByteArrayList{QByteArray("PAS=\xC3\xA8\0", 7)} << QByteArray("PAS=ERR");
}

void TestSimulatore::accesso()
{
    QFETCH(QByteArrayList, pezzi);
    QFETCH(QByteArray, risposta);

    QVERIFY(avvia(in_modo(Modo::Stazione)));
    QTRY_COMPARE(m_ricevuti, "PAS?");
    for (const QByteArray &pezzo : pezzi) {
        m_client->write(pezzo);
        m_client->flush();
    }
    QTRY_COMPARE(m_ricevuti, "PAS?" + risposta);
    QCOMPARE(m_sim->comandi("PAS="), QByteArrayList{pezzi.join()});
}

void TestSimulatore::riavvio_data()
{
    QTest::addColumn<QByteArray>("comando");
    QTest::addColumn<QByteArray>("risposta");
    QTest::addColumn<Modo>("modo");

    QTest::newRow("access point mode") << QByteArray("MOP=\x02") << QByteArray("MOP=OK") << Modo::AccessPoint;
    QTest::newRow("restart") << QByteArray("RST!") << QByteArray("RST=OK") << Modo::Stazione;
}

void TestSimulatore::riavvio()
{
    QFETCH(QByteArray, comando);
    QFETCH(QByteArray, risposta);
    QFETCH(Modo, modo);

    QVERIFY(avvia(in_modo(Modo::Stazione)));
    m_client->write(comando);
    QTRY_COMPARE(m_client->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(m_ricevuti, "PAS?" + risposta);
    QCOMPARE(m_sim->opzioni().modo, modo);

    QVERIFY(collega());
    const QByteArray saluto = modo == Modo::Stazione ? "PAS?" : "";
    QTRY_COMPARE(m_ricevuti, saluto);
    QCOMPARE(scambia("FWI", 20), identita_normale);
    QCOMPARE(m_ricevuti, saluto + identita_normale);
}

void TestSimulatore::identita_data()
{
    QTest::addColumn<OpzioniSimulatore>("opzioni");
    QTest::addColumn<QByteArray>("risposta");

    OpzioniSimulatore corti;
    corti.scheda = "K1";
    corti.nome_file = "AB";
    OpzioniSimulatore lunghi;
    lunghi.scheda = "KR0123";
    lunghi.nome_file = "KESTRA0123";
    OpzioniSimulatore estremi;
    estremi.fw_maggiore = 0;
    estremi.fw_minore = 0xFF;
    estremi.data_alta = 0x80;
    estremi.data_bassa = 0;
    OpzioniSimulatore sconosciuta;
    sconosciuta.info_non_disponibile = true;

    QTest::newRow("as set") << OpzioniSimulatore() << identita_normale;
    QTest::newRow("short texts padded") << corti << QByteArray("FWI=\x02\x15K1  AB      \x24\x65", 20);
    QTest::newRow("long texts cut") << lunghi << identita_normale;
    QTest::newRow("bytes 0 and 255") << estremi << QByteArray("FWI=\0\xFFKR01KESTRA01\x80\0", 20);
    QTest::newRow("unavailable") << sconosciuta << QByteArray("FWI=???");
}

void TestSimulatore::identita()
{
    QFETCH(OpzioniSimulatore, opzioni);
    QFETCH(QByteArray, risposta);

    QVERIFY(avvia(opzioni));
    QCOMPARE(scambia("FWI", risposta.size()), risposta);
    QCOMPARE(m_ricevuti, risposta);
}

void TestSimulatore::nuovo_cliente_sostituisce_il_vecchio()
{
    QVERIFY(avvia(pazienti()));
    QSignalSpy arrivi(m_sim->findChild<QTcpSocket *>(), &QTcpSocket::readyRead);
    m_client->write("PG");
    QTRY_COMPARE(arrivi.count(), 1);

    const std::unique_ptr<QTcpSocket> vecchio = std::move(m_client);
    QVERIFY(collega());
    QTRY_COMPARE(vecchio->state(), QAbstractSocket::UnconnectedState);
    // What the old client left unfinished does not join what the new one sends.
    QCOMPARE(scambia(QByteArray("S\0FWI", 5), 20), identita_normale);
    QCOMPARE(m_sim->comandi_ricevuti(), QByteArrayList{"FWI"});
    QCOMPARE(m_sim->connessioni_accettate(), 2);
}

void TestSimulatore::guasti_data()
{
    QTest::addColumn<OpzioniSimulatore>("opzioni");
    QTest::addColumn<QByteArray>("invio");
    QTest::addColumn<QByteArray>("inizio");
    QTest::addColumn<int>("dimensione");
    QTest::addColumn<bool>("connesso");
    QTest::addColumn<int>("letture_minime");
    QTest::addColumn<int>("durata_minima_ms");
    QTest::addColumn<int>("flash");

    const QByteArray cancella = comando_cancella_blocco(0);
    const QByteArray scrittura = mezza_pagina(0, pagina(0).first(dimensione_mezza_pagina));
    const QByteArray seconda_pagina = mezza_pagina(dimensione_pagina, pagina(1).first(dimensione_mezza_pagina));

    QTest::newRow("none") << con_guasto(guasto("PGS", 1, Tipo::NessunaRisposta)) << cancella + cancella
                          << QByteArray("A") << 1 << true << 1 << 0 << 0;
    QTest::newRow("reply") << con_guasto(guasto("PGS", 1, Tipo::Risposta, "N")) << cancella + cancella
                           << QByteArray("NA") << 2 << true << 1 << 0 << 0;
    QTest::newRow("reply of bytes 0 and 255")
        << con_guasto(guasto("FWI", 0, Tipo::Risposta, QByteArray("\0\xFF", 2))) << QByteArray("FWI")
        << QByteArray("\0\xFF", 2) << 2 << true << 1 << 0 << 0;
    QTest::newRow("reply to a half page still writes")
        << con_guasto(guasto("PGP", 0, Tipo::Risposta, "N")) << scrittura << QByteArray("N") << 1 << true
        << 1 << 0 << dimensione_pagina;
    QTest::newRow("delay") << con_guasto(guasto("PGS", 0, Tipo::Ritardo, {}, 150)) << cancella
                           << QByteArray("A") << 1 << true << 1 << 150 << 0;
    QTest::newRow("split") << con_guasto(guasto("FWI", 0, Tipo::Dividi, {}, 10)) << QByteArray("FWI")
                           << identita_normale << 20 << true << 2 << 190 << 0;
    QTest::newRow("drop before leaves the command undone")
        << con_guasto(guasto("PGP", 2, Tipo::ChiudiPrima)) << scrittura + seconda_pagina + cancella
        << QByteArray("A") << 1 << false << 1 << 0 << dimensione_pagina;
    QTest::newRow("drop after") << con_guasto(guasto("PGS", 0, Tipo::ChiudiDopo)) << cancella
                                << QByteArray("A") << 1 << false << 1 << 0 << 0;
    QTest::newRow("flood") << con_guasto(guasto("PGS", 0, Tipo::Inonda)) << cancella << QByteArray("A")
                           << 1 + (1 << 20) << true << 2 << 0 << 0;
    QTest::newRow("occurrence counts every command of its head")
        << con_guasto(guasto("PGS", 2, Tipo::Risposta, "C")) << cancella + cancella + cancella
        << QByteArray("ACA") << 3 << true << 1 << 0 << 0;
    QTest::newRow("occurrence counts its head only")
        << con_guasto(guasto("PGS", 2, Tipo::Risposta, "C")) << comando_cancella_tutto() + cancella
               + comando_cancella_tutto() + cancella
        << QByteArray("AAAC") << 4 << true << 1 << 0 << 0;
    QTest::newRow("restart unanswered keeps the connection")
        << con_guasto(guasto("RST!", 0, Tipo::NessunaRisposta)) << QByteArray("RST!FWI") << identita_normale
        << 20 << true << 1 << 0 << 0;
    QTest::newRow("challenge delayed")
        << con_guasto(guasto("PAS?", 0, Tipo::Ritardo, {}, 100), Modo::Stazione) << QByteArray()
        << QByteArray("PAS?") << 4 << true << 1 << 100 << 0;
    QTest::newRow("challenge replaced")
        << con_guasto(guasto("PAS?", 1, Tipo::Risposta, "HELLO"), Modo::Stazione) << QByteArray()
        << QByteArray("HELLO") << 5 << true << 1 << 0 << 0;
    QTest::newRow("challenge suppressed")
        << con_guasto(guasto("PAS?", 0, Tipo::NessunaRisposta), Modo::Stazione) << QByteArray("FWI")
        << identita_normale << 20 << true << 1 << 0 << 0;
    QTest::newRow("challenge drops the connection")
        << con_guasto(guasto("PAS?", 1, Tipo::ChiudiPrima), Modo::Stazione) << QByteArray() << QByteArray()
        << 0 << false << 0 << 0 << 0;
}

void TestSimulatore::guasti()
{
    QFETCH(OpzioniSimulatore, opzioni);
    QFETCH(QByteArray, invio);
    QFETCH(QByteArray, inizio);
    QFETCH(int, dimensione);
    QFETCH(bool, connesso);
    QFETCH(int, letture_minime);
    QFETCH(int, durata_minima_ms);
    QFETCH(int, flash);

    QElapsedTimer orologio;
    orologio.start();
    QVERIFY(avvia(opzioni));
    m_client->write(invio);
    QTRY_VERIFY(m_ricevuti.size() >= dimensione);
    const qint64 durata = orologio.elapsed();
    QTRY_COMPARE(m_client->state() == QAbstractSocket::ConnectedState, connesso);

    QCOMPARE(m_ricevuti.size(), dimensione);
    QVERIFY(m_ricevuti.startsWith(inizio));
    QVERIFY2(m_letture >= letture_minime, qPrintable(QString::number(m_letture)));
    QVERIFY2(durata >= durata_minima_ms, qPrintable(QString::number(durata)));
    QCOMPARE(m_sim->flash().size(), flash);
}

void TestSimulatore::lettura_guasto_data()
{
    QTest::addColumn<QByteArray>("testo");
    QTest::addColumn<bool>("valido");
    QTest::addColumn<Guasto>("atteso");

    QTest::newRow("nth reply") << QByteArray("PGP#3:reply:C") << true << guasto("PGP", 3, Tipo::Risposta, "C");
    QTest::newRow("every reply") << QByteArray("PGX:reply:E") << true << guasto("PGX", 0, Tipo::Risposta, "E");
    QTest::newRow("escapes and colons")
        << QByteArray(R"(PGS:reply:\x41\x0\xff\\:\n)") << true
        << guasto("PGS", 0, Tipo::Risposta, QByteArray("A\0\xFF\\:\n", 6));
    QTest::newRow("drop before") << QByteArray("PGP#10:drop-before") << true
                                 << guasto("PGP", 10, Tipo::ChiudiPrima);
    QTest::newRow("none") << QByteArray("FWI:none") << true << guasto("FWI", 0, Tipo::NessunaRisposta);
    QTest::newRow("delay") << QByteArray("PAS?:delay:250") << true << guasto("PAS?", 0, Tipo::Ritardo, {}, 250);
    QTest::newRow("split without ms") << QByteArray("FWI:split") << true << guasto("FWI", 0, Tipo::Dividi);
    QTest::newRow("drop after") << QByteArray("RST!:drop-after") << true << guasto("RST!", 0, Tipo::ChiudiDopo);
    QTest::newRow("flood") << QByteArray("PGp:flood") << true << guasto("PGp", 0, Tipo::Inonda);

    const QList<QByteArray> sbagliati = {
        "PGQ:none", "PGP", "PGP:explode", "PGP#x:none", "PGP#-1:none", "PGP:reply",
        R"(PGP:reply:\x)", R"(PGP:reply:\q)", R"(PGP:reply:A\)", "FWI:none:5", "PGX:delay:-1", "pgp:none",
    };
    for (const QByteArray &testo : sbagliati)
        QTest::newRow(testo.constData()) << testo << false << Guasto();
}

void TestSimulatore::lettura_guasto()
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

QTEST_GUILESS_MAIN(TestSimulatore)
#include "test_simulator.moc"
