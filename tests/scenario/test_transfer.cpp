#include "tests/scenario/fixture.h"

#include <QAction>
#include <QElapsedTimer>

#include <optional>

namespace {

const QColor rosso(255, 0, 0);
const QColor giallo(255, 255, 0);
const QColor verde(0, 255, 0);

constexpr int pagina_byte = 256;
constexpr int mezza_byte = 128;
constexpr int italiano = 0;
constexpr int inglese = 1;

// The CRC16 the device checks, written out from its definition: data bits
// least significant first, register shifted right, 0x1021 applied after the
// shift, starting from 0xFFFF.
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

QString testo_crc(QByteArrayView pagine)
{
    return QString::number(crc_dispositivo(pagine), 16).toUpper();
}

// Image bytes that differ from page to page and include 0x00 and 0xFF.
QByteArray sequenza(int lunghezza)
{
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (int i = 0; i < lunghezza; ++i)
        dati[i] = char((i * 31 + i / 251) % 256);
    return dati;
}

// The image as the pages carry it: filled up to a whole page with 0xFF.
QByteArray in_pagine(const QByteArray &dati)
{
    const qsizetype pagine = (dati.size() + pagina_byte - 1) / pagina_byte;
    QByteArray riempito = dati;
    riempito.resize(pagine * pagina_byte, '\xFF');
    return riempito;
}

QByteArray mezza_pagina(QByteArrayView testa, int offset, QByteArrayView dati)
{
    QByteArray comando = testa.toByteArray();
    comando += char(offset >> 16);
    comando += char((offset >> 8) & 0xFF);
    comando += char(offset & 0xFF);
    comando += dati;
    quint8 somma = 0;
    for (const char c : dati)
        somma += quint8(c);
    return comando + char(somma);
}

// Every half page of the image, once each, in order; `volte` (one entry per
// half page, when given) says how often each one is sent.
QList<QByteArray> scrittura(QByteArrayView testa, const QByteArray &dati, const QList<int> &volte = {})
{
    const QByteArray pagine = in_pagine(dati);
    QList<QByteArray> comandi;
    for (int offset = 0, indice = 0; offset < pagine.size(); offset += mezza_byte, ++indice) {
        const QByteArray comando = mezza_pagina(testa, offset, QByteArrayView(pagine).sliced(offset, mezza_byte));
        for (int n = 0; n < volte.value(indice, 1); ++n)
            comandi.append(comando);
    }
    return comandi;
}

QByteArray verifica(QByteArrayView testa, int pagine, quint16 crc)
{
    return testa.toByteArray() + char(pagine >> 8) + char(pagine & 0xFF) + char(crc >> 8) + char(crc & 0xFF);
}

Guasto risposta(const char *testa, int occorrenza, const QByteArray &byte)
{
    return {testa, occorrenza, Guasto::Tipo::Risposta, byte, 0};
}

Guasto muto(const char *testa, int occorrenza)
{
    return {testa, occorrenza, Guasto::Tipo::NessunaRisposta, {}, 0};
}

void in_inglese(Banco &banco)
{
    banco.finestra->findChild<QAction *>("menu_lingua_item_1")->trigger();
}

// Connects at the access point, opens the image as a firmware file of the
// CPU letter and identifies the device; the module's log starts afresh.
bool pronto(Banco &banco, char cpu, const QByteArray &dati)
{
    banco.clicca("Command5");
    banco.apri(banco.scrivi_firmware(Banco::firmware(cpu, dati)));
    banco.clicca("Command7");
    banco.sim.azzera_registro();
    return banco.abilitati() == QStringList{"Command2", "Command3"};
}

// Presses Update and confirms.
void aggiorna(Banco &banco)
{
    banco.dialoghi.risposte = {risposta_si};
    banco.clicca("Command4");
}

bool socket_aperto(Banco &banco)
{
    return banco.finestra->canale().Winsock1().state() == QAbstractSocket::ConnectedState;
}

// The window as the module gets the first half page.
struct Istantanea
{
    QColor shape1;
    bool command2 = false;
    Qt::CursorShape puntatore = Qt::ArrowCursor;
    QString text2;
};

// Everything the status line and the progress bar show while clicks run,
// and the window in the middle of the transfer.
class Registro
{
public:
    explicit Registro(Banco &banco)
    {
        QObject::connect(banco.casella("Text2"), &QLineEdit::textChanged, &m_contesto,
                         [this](const QString &testo) { testi.append(testo); });
        QObject::connect(banco.finestra->findChild<QProgressBar *>("ProgressBar1"), &QProgressBar::valueChanged,
                         &m_contesto, [this](int valore) { avanzamenti.append(valore); });
        QObject::connect(&banco.sim, &SimulatoreModulo::comando_ricevuto, &m_contesto,
                         [this, &banco](const QByteArray &comando) {
                             if (durante || !(comando.startsWith("PGP") || comando.startsWith("PGp")))
                                 return;
                             durante = Istantanea{banco.lampada("Shape1"), banco.pulsante("Command2")->isEnabled(),
                                                  banco.finestra->cursor().shape(), banco.stato_text2()};
                         });
    }

    QStringList testi;
    QList<int> avanzamenti;
    std::optional<Istantanea> durante;

private:
    QObject m_contesto; // last, so that the connections go first
};

const QString trasferimento_ok = QStringLiteral("Trasferimento OK");
const QString trasferimento_in_corso = QStringLiteral("Trasferimento in corso...");
const QString conferma_it = QStringLiteral("Attenzione: questa operazione avvierà l'aggiornamento del firmware.");
const QString procedere_it = QStringLiteral("Procedere?");
const QString parametri_it = QStringLiteral(
    "Tutti i parametri ritorneranno nello stato di default ed il modulo si avvierà come Access Point");

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The reference CRC of the test itself against the device's check values.
        QCOMPARE(crc_dispositivo("abc"), quint16(0x0EB3));
        QCOMPARE(crc_dispositivo(QByteArray(256, '\0')), quint16(0x1A98));
    }

    void complete_update_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<QList<QByteArray>>("cancellazioni");
        QTest::addColumn<QString>("testo_cancellazione");
        QTest::addColumn<QByteArray>("testa");
        QTest::addColumn<QByteArray>("ultimo_offset"); // of the last half page
        QTest::addColumn<QByteArray>("finale");
        QTest::addColumn<QByteArray>("conteggio"); // page count bytes of the final command
        QTest::addColumn<QString>("conferma");
        QTest::addColumn<QStringList>("abilitati_dopo");
        QTest::addColumn<bool>("socket_dopo");

        const QString conferma = conferma_it + "\r\n" + procedere_it;
        const QString conferma_wgm110 = conferma_it + "\r\n" + parametri_it + "\r\n" + procedere_it;
        QTest::newRow("t: one block, PGP, PGX")
            << 't' << 1000 << QList<QByteArray>{QByteArray("PGS\x00", 4)}
            << QStringLiteral("Cancellazione 64KB in corso...") << QByteArray("PGP")
            << QByteArray("\x00\x03\x80", 3) << QByteArray("PGX") << QByteArray("\x00\x04", 2) << conferma
            << QStringList{"Command3", "Command7"} << true;
        QTest::newRow("s: two blocks, PGP, PGX")
            << 's' << 1000 << QList<QByteArray>{QByteArray("PGS\x00", 4), QByteArray("PGS\x01", 4)}
            << QStringLiteral("Cancellazione 128KB in corso...") << QByteArray("PGP")
            << QByteArray("\x00\x03\x80", 3) << QByteArray("PGX") << QByteArray("\x00\x04", 2) << conferma
            << QStringList{"Command3", "Command7"} << true;
        QTest::newRow("W: whole area, PGp, PGW closes the link")
            << 'W' << 1000 << QList<QByteArray>{QByteArray("PGF\x00", 4)}
            << QStringLiteral("Cancellazione 756KB in corso...") << QByteArray("PGp")
            << QByteArray("\x00\x03\x80", 3) << QByteArray("PGW") << QByteArray("\x00\x04", 2) << conferma_wgm110
            << QStringList{"Command5", "Command7"} << false;
        QTest::newRow("s: 301 pages, page 300 and the count above 255")
            << 's' << 300 * pagina_byte + 200
            << QList<QByteArray>{QByteArray("PGS\x00", 4), QByteArray("PGS\x01", 4)}
            << QStringLiteral("Cancellazione 128KB in corso...") << QByteArray("PGP")
            << QByteArray("\x01\x2C\x80", 3) << QByteArray("PGX") << QByteArray("\x01\x2D", 2) << conferma
            << QStringList{"Command3", "Command7"} << true;
    }
    void complete_update()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QFETCH(QList<QByteArray>, cancellazioni);
        QFETCH(QString, testo_cancellazione);
        QFETCH(QByteArray, testa);
        QFETCH(QByteArray, ultimo_offset);
        QFETCH(QByteArray, finale);
        QFETCH(QByteArray, conteggio);
        QFETCH(QString, conferma);
        QFETCH(QStringList, abilitati_dopo);
        QFETCH(bool, socket_dopo);

        const QByteArray dati = sequenza(lunghezza);
        const QByteArray pagine = in_pagine(dati);
        const quint16 crc = crc_dispositivo(pagine);
        const int numero_pagine = int(pagine.size() / pagina_byte);
        Banco banco;
        QVERIFY(pronto(banco, cpu, dati));
        Registro registro(banco);

        banco.clicca("Command2");
        QVERIFY(registro.durante);
        QCOMPARE(registro.durante->shape1, giallo);
        QCOMPARE(registro.durante->command2, false);
        QCOMPARE(registro.durante->puntatore, Qt::WaitCursor);
        QCOMPARE(registro.durante->text2, trasferimento_in_corso);
        QCOMPARE(registro.testi, (QStringList{testo_cancellazione, trasferimento_in_corso, trasferimento_ok}));
        QCOMPARE(banco.casella("Text4")->text(), testo_crc(pagine));
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command4"}));
        QCOMPARE(banco.lampada("Shape1"), verde);
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(banco.avanzamento(), 100);
        QCOMPARE(banco.finestra->stato().pagine_inviate, numero_pagine);
        QCOMPARE(banco.sim.comandi_ricevuti(), cancellazioni + scrittura(testa, dati));
        QCOMPARE(banco.sim.comandi(testa).last().sliced(3, 3), ultimo_offset);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());

        banco.sim.azzera_registro();
        aggiorna(banco);
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{verifica(finale, numero_pagine, crc)});
        QCOMPARE(banco.sim.comandi_ricevuti().first().sliced(3, 2), conteggio);
        QVERIFY(banco.sim.ultima_verifica_ok());
        QCOMPARE(banco.sim.flash(), pagine);
        QCOMPARE(registro.testi.sliced(3),
                 (QStringList{QStringLiteral("Verifica CRC16 in corso..."),
                              QStringLiteral("Programmazione avviata...")}));
        QCOMPARE(banco.dialoghi.mostrati.size(), 2);
        const DialoghiScriptati::Box domanda = banco.dialoghi.mostrati.at(0);
        QCOMPARE(domanda.titolo, QStringLiteral("Aggiornamento Firmware"));
        QCOMPARE(domanda.testo, conferma);
        QCOMPARE(domanda.icona, Icona::Critico);
        QCOMPARE(domanda.pulsanti, Pulsanti::SiNo);
        const DialoghiScriptati::Box fine = banco.dialoghi.mostrati.at(1);
        QCOMPARE(fine.titolo, QStringLiteral("Aggiornamento"));
        QCOMPARE(fine.testo, QStringLiteral("Aggiornamento terminato."));
        QCOMPARE(fine.icona, Icona::Informazione);
        QCOMPARE(fine.pulsanti, Pulsanti::Ok);
        for (const char *lampada : {"Shape1", "Shape2", "Shape3"})
            QCOMPARE(banco.lampada(lampada), rosso);
        QCOMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.abilitati(), abilitati_dopo);
        QCOMPARE(socket_aperto(banco), socket_dopo);
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(banco.casella("Text4")->text(), testo_crc(pagine));
    }

    void progress_and_filler_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<QList<int>>("avanzamenti");
        QTest::addColumn<int>("pagine");
        QTest::addColumn<int>("riempimento"); // 0xFF bytes after the image in the last page
        QTest::newRow("1000 bytes: four pages") << 't' << 1000 << QList<int>{100, 33, 66, 100} << 4 << 24;
        QTest::newRow("s: blocks at 50 and 100") << 's' << 1000 << QList<int>{50, 100, 33, 66, 100} << 4 << 24;
        QTest::newRow("whole pages: no filler") << 't' << 512 << QList<int>{100, 50, 100} << 2 << 0;
        QTest::newRow("one whole page") << 'W' << 256 << QList<int>{100} << 1 << 0;
        QTest::newRow("under a page") << 't' << 100 << QList<int>{100} << 1 << 156;
        QTest::newRow("one byte") << 's' << 1 << QList<int>{50, 100} << 1 << 255;
    }
    void progress_and_filler()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QFETCH(QList<int>, avanzamenti);
        QFETCH(int, pagine);
        QFETCH(int, riempimento);

        const QByteArray dati = sequenza(lunghezza);
        Banco banco;
        QVERIFY(pronto(banco, cpu, dati));
        Registro registro(banco);
        banco.clicca("Command2");

        QCOMPARE(banco.stato_text2(), trasferimento_ok);
        QCOMPARE(registro.avanzamenti, avanzamenti);
        QCOMPARE(banco.avanzamento(), 100);
        QCOMPARE(banco.finestra->stato().pagine_inviate, pagine);
        QCOMPARE(banco.sim.flash(), dati + QByteArray(riempimento, '\xFF'));
        const QByteArray testa = cpu == 'W' ? "PGp" : "PGP";
        QCOMPARE(banco.sim.comandi(testa), scrittura(testa, dati));
    }

    void transfer_failures_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<QList<Guasto>>("guasti");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("errore");
        QTest::addColumn<int>("cancellazioni");
        QTest::addColumn<int>("mezze_pagine");
        QTest::addColumn<int>("avanzamento");
        QTest::addColumn<int>("attesa_minima_ms");

        const QString scrittura = QStringLiteral("Errore scrittura pagina");
        const QString checksum_1 = QStringLiteral("Errore checksum pagina 1");
        const QString checksum_2 = QStringLiteral("Errore checksum pagina 2");
        const QString trasferimento = QStringLiteral("Errore trasferimento");
        const QString cancellazione = QStringLiteral("Errore cancellazione");
        const QByteArray C("C");
        using G = QList<Guasto>;

        QTest::newRow("N at the first attempt") << 't' << G{risposta("PGP", 1, "N")} << italiano << scrittura
                                                << 1 << 1 << 100 << 0;
        QTest::newRow("N on a second half after a resend")
            << 't' << G{risposta("PGP", 2, C), risposta("PGP", 3, "N")} << italiano << scrittura << 1 << 3 << 100 << 0;
        QTest::newRow("C then A, second half C twice: one budget per page")
            << 't' << G{risposta("PGP", 1, C), risposta("PGP", 3, C), risposta("PGP", 4, C)} << italiano
            << checksum_2 << 1 << 4 << 100 << 0;
        QTest::newRow("three C on a first half")
            << 't' << G{risposta("PGP", 1, C), risposta("PGP", 2, C), risposta("PGP", 3, C)} << italiano
            << checksum_1 << 1 << 3 << 100 << 0;
        QTest::newRow("three C on the second page's second half")
            << 't' << G{risposta("PGP", 4, C), risposta("PGP", 5, C), risposta("PGP", 6, C)} << italiano
            << checksum_2 << 1 << 6 << 33 << 0;
        QTest::newRow("three silent attempts, one second each")
            << 't' << G{muto("PGP", 1), muto("PGP", 2), muto("PGP", 3)} << italiano << trasferimento << 1 << 3
            << 100 << 3000;
        QTest::newRow("A with more characters is a failed attempt")
            << 't' << G{risposta("PGP", 0, "AA")} << italiano << trasferimento << 1 << 3 << 100 << 0;
        QTest::newRow("lower-case a is a failed attempt")
            << 't' << G{risposta("PGP", 0, "a")} << italiano << trasferimento << 1 << 3 << 100 << 0;
        QTest::newRow("C, C, then silence: the third attempt decides")
            << 't' << G{risposta("PGP", 1, C), risposta("PGP", 2, C), muto("PGP", 3)} << italiano << trasferimento
            << 1 << 3 << 100 << 1000;
        QTest::newRow("silence, AA, then C: the third attempt decides")
            << 't' << G{muto("PGP", 1), risposta("PGP", 2, "AA"), risposta("PGP", 3, C)} << italiano << checksum_1
            << 1 << 3 << 100 << 1000;
        QTest::newRow("W: three C on a PGp first half")
            << 'W' << G{risposta("PGp", 1, C), risposta("PGp", 2, C), risposta("PGp", 3, C)} << italiano
            << checksum_1 << 1 << 3 << 100 << 0;
        QTest::newRow("erase answered N: a single attempt")
            << 't' << G{risposta("PGS", 0, "N")} << italiano << cancellazione << 1 << 0 << 0 << 0;
        QTest::newRow("s: second block answered AA")
            << 's' << G{risposta("PGS", 2, "AA")} << italiano << cancellazione << 2 << 0 << 50 << 0;
        QTest::newRow("W: whole-area erase answered a")
            << 'W' << G{risposta("PGF", 0, "a")} << italiano << cancellazione << 1 << 0 << 0 << 0;
        QTest::newRow("erase not answered within five seconds")
            << 't' << G{muto("PGS", 0)} << italiano << cancellazione << 1 << 0 << 0 << 5000;
        QTest::newRow("English: page write error")
            << 't' << G{risposta("PGP", 1, "N")} << inglese << QStringLiteral("Page write error") << 1 << 1 << 100 << 0;
        QTest::newRow("English: deleting error")
            << 's' << G{risposta("PGS", 1, "E")} << inglese << QStringLiteral("Deleting error") << 1 << 0 << 0 << 0;
    }
    void transfer_failures()
    {
        QFETCH(char, cpu);
        QFETCH(QList<Guasto>, guasti);
        QFETCH(int, lingua);
        QFETCH(QString, errore);
        QFETCH(int, cancellazioni);
        QFETCH(int, mezze_pagine);
        QFETCH(int, avanzamento);
        QFETCH(int, attesa_minima_ms);

        OpzioniSimulatore opzioni;
        opzioni.guasti = guasti;
        Banco banco(opzioni);
        QVERIFY(pronto(banco, cpu, sequenza(1000)));
        if (lingua == inglese)
            in_inglese(banco);
        const QString crc_file = banco.casella("Text4")->text();
        QElapsedTimer tempo;
        tempo.start();
        banco.clicca("Command2");
        const qint64 trascorsi = tempo.elapsed();

        QCOMPARE(banco.stato_text2(), errore);
        QVERIFY2(trascorsi >= attesa_minima_ms - 50, qPrintable(QString::number(trascorsi)));
        QVERIFY2(trascorsi < attesa_minima_ms + 1500, qPrintable(QString::number(trascorsi)));
        const QList<QByteArray> comandi = banco.sim.comandi_ricevuti();
        QCOMPARE(comandi.size(), cancellazioni + mezze_pagine);
        QCOMPARE(banco.sim.comandi(cpu == 'W' ? "PGp" : "PGP").size(), mezze_pagine);
        // Each attempt of a half page carries the same bytes.
        const QList<QByteArray> prima_volta = scrittura(cpu == 'W' ? "PGp" : "PGP", sequenza(1000));
        for (const QByteArray &comando : comandi.sliced(cancellazioni))
            QVERIFY(prima_volta.contains(comando));
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape1"), giallo);
        QCOMPARE(banco.casella("Text4")->text(), crc_file);
        QCOMPARE(banco.avanzamento(), avanzamento);
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }

    void resends_leave_the_result_unchanged_data()
    {
        QTest::addColumn<QList<Guasto>>("guasti");
        QTest::addColumn<QList<int>>("volte"); // sends of each of the eight half pages
        const QByteArray C("C");
        QTest::newRow("no fault") << QList<Guasto>{} << QList<int>{1, 1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("C on a first half")
            << QList<Guasto>{risposta("PGP", 1, C)} << QList<int>{2, 1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("C on each half of one page")
            << QList<Guasto>{risposta("PGP", 3, C), risposta("PGP", 5, C)} << QList<int>{1, 1, 2, 2, 1, 1, 1, 1};
        QTest::newRow("two failures on each of two pages: the budget is per page")
            << QList<Guasto>{risposta("PGP", 1, C), risposta("PGP", 2, "AA"), risposta("PGP", 5, "a"),
                             risposta("PGP", 7, C)}
            << QList<int>{3, 1, 2, 2, 1, 1, 1, 1};
        QTest::newRow("one silent attempt on the last half")
            << QList<Guasto>{muto("PGP", 8)} << QList<int>{1, 1, 1, 1, 1, 1, 1, 2};
    }
    void resends_leave_the_result_unchanged()
    {
        QFETCH(QList<Guasto>, guasti);
        QFETCH(QList<int>, volte);

        const QByteArray dati = sequenza(1000);
        OpzioniSimulatore opzioni;
        opzioni.guasti = guasti;
        Banco banco(opzioni);
        QVERIFY(pronto(banco, 't', dati));
        banco.clicca("Command2");
        QCOMPARE(banco.stato_text2(), trasferimento_ok);
        QCOMPARE(banco.sim.comandi("PGP"), scrittura("PGP", dati, volte));
        QCOMPARE(banco.casella("Text4")->text(), testo_crc(in_pagine(dati)));
        QCOMPARE(banco.finestra->stato().pagine_inviate, 4);

        aggiorna(banco);
        QCOMPARE(banco.sim.comandi("PGX"), QList<QByteArray>{verifica("PGX", 4, crc_dispositivo(in_pagine(dati)))});
        QVERIFY(banco.sim.ultima_verifica_ok());
        QCOMPARE(banco.sim.flash(), in_pagine(dati));
        QCOMPARE(banco.stato_text2(), QStringLiteral("Programmazione avviata..."));
    }

    void verification_failures_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<Guasto>("guasto");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("errore");
        QTest::addColumn<QStringList>("abilitati_dopo");
        QTest::addColumn<bool>("socket_dopo");
        const QString errore = QStringLiteral("Errore CRC16");
        const QStringList per_nuovo_trasferimento{"Command2", "Command3", "Command6", "Command7"};
        const QStringList wgm110{"Command2", "Command5", "Command6", "Command7"};
        QTest::newRow("t: CRC mismatch reported") << 't' << risposta("PGX", 1, "E") << italiano << errore
                                                  << per_nuovo_trasferimento << true;
        QTest::newRow("s: A with more characters") << 's' << risposta("PGX", 1, "AA") << italiano << errore
                                                   << per_nuovo_trasferimento << true;
        QTest::newRow("t: lower-case a") << 't' << risposta("PGX", 1, "a") << italiano << errore
                                         << per_nuovo_trasferimento << true;
        QTest::newRow("t: no reply within five seconds") << 't' << muto("PGX", 1) << italiano << errore
                                                         << per_nuovo_trasferimento << true;
        QTest::newRow("W: PGW closes the link whatever the reply")
            << 'W' << risposta("PGW", 1, "E") << italiano << errore << wgm110 << false;
        QTest::newRow("English") << 't' << risposta("PGX", 1, "E") << inglese << QStringLiteral("CRC16 error")
                                 << per_nuovo_trasferimento << true;
    }
    void verification_failures()
    {
        QFETCH(char, cpu);
        QFETCH(Guasto, guasto);
        QFETCH(int, lingua);
        QFETCH(QString, errore);
        QFETCH(QStringList, abilitati_dopo);
        QFETCH(bool, socket_dopo);

        OpzioniSimulatore opzioni;
        opzioni.guasti = {guasto};
        Banco banco(opzioni);
        QVERIFY(pronto(banco, cpu, sequenza(1000)));
        if (lingua == inglese)
            in_inglese(banco);
        banco.clicca("Command2");
        const QString crc = banco.casella("Text4")->text();
        banco.sim.azzera_registro();
        aggiorna(banco);

        QCOMPARE(banco.stato_text2(), errore);
        QCOMPARE(banco.sim.comandi_ricevuti().size(), 1);
        QCOMPARE(banco.sim.comandi_ricevuti().first().first(3), guasto.comando);
        QCOMPARE(banco.dialoghi.mostrati.size(), 1); // the confirmation only
        QCOMPARE(banco.abilitati(), abilitati_dopo);
        QCOMPARE(socket_aperto(banco), socket_dopo);
        for (const char *lampada : {"Shape1", "Shape2", "Shape3"})
            QCOMPARE(banco.lampada(lampada), rosso);
        QCOMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.casella("Text4")->text(), crc);
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
    }

    void open_is_refused_during_a_transfer_and_a_new_file_withdraws_the_update()
    {
        // A failed verification leaves Open, Connect and Transfer enabled together.
        OpzioniSimulatore opzioni;
        opzioni.guasti = {risposta("PGX", 1, "E")};
        Banco banco(opzioni);
        const QByteArray dati = sequenza(1000);
        QVERIFY(pronto(banco, 't', dati));
        banco.clicca("Command2");
        aggiorna(banco);
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3", "Command6", "Command7"}));
        banco.sim.azzera_registro();

        // Open pressed while the erase waits for the device: refused, the dialog never shows.
        const QString file_w = banco.scrivi_firmware(Banco::firmware('W', sequenza(700)), QStringLiteral("W.BIN"));
        QTimer::singleShot(0, banco.finestra.get(), [&] { banco.apri(file_w); });
        banco.clicca("Command2");
        QCOMPARE(banco.dialoghi.richieste_file.size(), 1);
        QCOMPARE(banco.stato_text2(), trasferimento_ok);
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{QByteArray("PGS\0", 4)} + scrittura("PGP", dati));
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command4", "Command6", "Command7"}));

        // Another file opened after the transfer: its update needs its own transfer.
        banco.dialoghi.file.clear();
        banco.apri(file_w);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6", "Command7"}));
    }

    void no_in_the_confirmation_sends_nothing_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("titolo");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("stato");
        const QString conferma_en = QStringLiteral("Warning: this operation will start the firmware update.");
        const QString procedere_en = QStringLiteral("Do you want to proceed?");
        QTest::newRow("t") << 't' << italiano << QStringLiteral("Aggiornamento Firmware")
                           << conferma_it + "\r\n" + procedere_it << trasferimento_ok;
        QTest::newRow("W") << 'W' << italiano << QStringLiteral("Aggiornamento Firmware")
                           << conferma_it + "\r\n" + parametri_it + "\r\n" + procedere_it << trasferimento_ok;
        QTest::newRow("s, English") << 's' << inglese << QStringLiteral("Firmware Update")
                                    << conferma_en + "\r\n" + procedere_en << QStringLiteral("Transfer OK");
        QTest::newRow("W, English")
            << 'W' << inglese << QStringLiteral("Firmware Update")
            << conferma_en + "\r\n"
                   + "All the parameters will return into default state and the module will start up as an Access Point"
                   + "\r\n" + procedere_en
            << QStringLiteral("Transfer OK");
    }
    void no_in_the_confirmation_sends_nothing()
    {
        QFETCH(char, cpu);
        QFETCH(int, lingua);
        QFETCH(QString, titolo);
        QFETCH(QString, testo);
        QFETCH(QString, stato);

        Banco banco;
        QVERIFY(pronto(banco, cpu, sequenza(300)));
        if (lingua == inglese)
            in_inglese(banco);
        banco.clicca("Command2");
        banco.sim.azzera_registro();
        const QString crc = banco.casella("Text4")->text();
        banco.dialoghi.risposte = {risposta_no};
        banco.clicca("Command4");

        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{});
        QCOMPARE(banco.dialoghi.mostrati.size(), 1);
        QCOMPARE(banco.dialoghi.mostrati.first().titolo, titolo);
        QCOMPARE(banco.dialoghi.mostrati.first().testo, testo);
        QCOMPARE(banco.dialoghi.mostrati.first().icona, Icona::Critico);
        QCOMPARE(banco.dialoghi.mostrati.first().pulsanti, Pulsanti::SiNo);
        QCOMPARE(banco.finestra->stato().risposta, risposta_no);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command4"}));
        QCOMPARE(banco.stato_text2(), stato);
        QCOMPARE(banco.casella("Text4")->text(), crc);
        QCOMPARE(banco.lampada("Shape1"), verde);
        QVERIFY(socket_aperto(banco));
    }

    void english_texts_of_an_update()
    {
        Banco banco;
        QVERIFY(pronto(banco, 's', sequenza(700)));
        in_inglese(banco);
        Registro registro(banco);
        banco.clicca("Command2");
        aggiorna(banco);
        QCOMPARE(registro.testi, (QStringList{"Deleting 128KB...", "Transfering...", "Transfer OK",
                                              "Checking CRC16...", "Programming started..."}));
        QCOMPARE(banco.dialoghi.mostrati.last().titolo, QStringLiteral("Update"));
        QCOMPARE(banco.dialoghi.mostrati.last().testo, QStringLiteral("Update completed."));
        QVERIFY(banco.sim.ultima_verifica_ok());
    }

    void unsound_file_at_transfer_time_erases_nothing_data()
    {
        QTest::addColumn<QByteArray>("aperto");
        QTest::addColumn<std::optional<QByteArray>>("al_trasferimento"); // nothing: deleted
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("errore");
        const QByteArray buono = Banco::firmware('t', sequenza(1000));
        const QByteArray senza_dati = Banco::firmware('t', {});
        const QString vuoto = QStringLiteral("Errore: file firmware senza dati");
        const QString cambiato = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        const QString grande = QStringLiteral("Errore: file firmware troppo grande");
        QByteArray bootloader_13 = buono;
        bootloader_13[5] = 3;
        QTest::newRow("no data from the start")
            << senza_dati << std::optional<QByteArray>(senza_dati) << italiano << vuoto;
        QTest::newRow("cut to its header") << buono << std::optional<QByteArray>(senza_dati) << italiano << vuoto;
        QTest::newRow("cut inside its header")
            << buono << std::optional<QByteArray>(buono.first(9)) << italiano << cambiato;
        QTest::newRow("deleted") << buono << std::optional<QByteArray>() << italiano << cambiato;
        QTest::newRow("another CPU type")
            << buono << std::optional<QByteArray>(Banco::firmware('W', sequenza(1000))) << italiano << cambiato;
        QTest::newRow("another bootloader") << buono << std::optional<QByteArray>(bootloader_13) << italiano
                                            << cambiato;
        const QByteArray troppo = Banco::firmware('t', sequenza(64 * 1024 + 1));
        QTest::newRow("t: one byte past 64 KB") << troppo << std::optional<QByteArray>(troppo) << italiano << grande;
        QTest::newRow("grown past 64 KB")
            << buono << std::optional<QByteArray>(Banco::firmware('t', QByteArray(64 * 1024 + 1, '\x11')))
            << italiano << grande;
        QTest::newRow("English: deleted")
            << buono << std::optional<QByteArray>() << inglese
            << QStringLiteral("Error: firmware file changed, open it again");
        QTest::newRow("English: no data")
            << senza_dati << std::optional<QByteArray>(senza_dati) << inglese
            << QStringLiteral("Error: firmware file holds no data");
    }
    void unsound_file_at_transfer_time_erases_nothing()
    {
        QFETCH(QByteArray, aperto);
        QFETCH(std::optional<QByteArray>, al_trasferimento);
        QFETCH(int, lingua);
        QFETCH(QString, errore);

        Banco banco;
        banco.clicca("Command5");
        const QString percorso = banco.scrivi_firmware(aperto);
        banco.apri(percorso);
        banco.clicca("Command7");
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        banco.sim.azzera_registro();
        QFile::remove(percorso);
        if (al_trasferimento)
            banco.scrivi_firmware(*al_trasferimento);
        if (lingua == inglese)
            in_inglese(banco);
        Registro registro(banco);
        banco.clicca("Command2");

        QCOMPARE(registro.testi, QStringList{errore});
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{});
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.avanzamento(), 0);
        QCOMPARE(banco.casella("Text4")->text(), QStringLiteral("1A98"));
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }
};

QTEST_MAIN(TestTransfer)
#include "test_transfer.moc"
