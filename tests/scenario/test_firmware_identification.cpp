#include "tests/scenario/fixture.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QWindow>

namespace {
const QColor rosso(255, 0, 0);
const QColor verde(0, 255, 0);

const QString cpu_t = QStringLiteral("CPU: STM32F0 64K (256B)");
const QString cpu_s = QStringLiteral("CPU: STM32F1 128K (256B)");
const QString cpu_w = QStringLiteral("CPU: WGM110 1M (128B)");

// The Italian and English boxes of a refused or missing file, as "icon|title|text|buttons".
const QString non_compatibile = QStringLiteral("critical|Apri Firmware|Attenzione: il firmware caricato non è compatibile|ok");
const QString not_compatible = QStringLiteral("critical|Open Firmware|Warning: the firmware loaded is not compatible|ok");
const QString inesistente = QStringLiteral("exclamation|Apri firmware|File Inesistente|ok");
const QString not_found = QStringLiteral("exclamation|Open firmware|File not found|ok");
const QString avviso_wgm110 = QStringLiteral("exclamation|BootLoader WiFi|La scheda potrebbe non supportare il modulo WGM110|ok");
const QString warning_wgm110 = QStringLiteral("exclamation|WiFi BootLoader|The board may not support the WGM110 module|ok");

QString bootloader_rifiutato(const QString &versione)
{
    return QStringLiteral("exclamation|Versione bootloader|Il bootloader in versione %1 non è supportato|ok").arg(versione);
}

QString bootloader_refused(const QString &versione)
{
    return QStringLiteral("exclamation|Bootloader version|The bootloader version %1 is not supported|ok").arg(versione);
}

QString descrivi(const DialoghiScriptati::Box &box)
{
    const QString icona = box.icona == Icona::Critico        ? QStringLiteral("critical")
                          : box.icona == Icona::Informazione ? QStringLiteral("information")
                                                             : QStringLiteral("exclamation");
    const QString pulsanti = box.pulsanti == Pulsanti::Ok ? QStringLiteral("ok") : QStringLiteral("yes/no");
    return QStringList{icona, box.titolo, box.testo, pulsanti}.join(u'|');
}

QStringList mostrati(const Banco &banco)
{
    QStringList elenco;
    for (const auto &box : banco.dialoghi.mostrati)
        elenco.append(descrivi(box));
    return elenco;
}

void scegli_lingua(Banco &banco, int lingua)
{
    banco.finestra->findChild<QAction *>(QStringLiteral("menu_lingua_item_%1").arg(lingua))->trigger();
}

// `base` with `byte` written over it from `posizione`.
QByteArray con(QByteArray base, qsizetype posizione, const QByteArray &byte)
{
    return base.replace(posizione, byte.size(), byte);
}

// Everything under the program folder, as "path size" or "path/" for folders.
QStringList disco(const Banco &banco)
{
    QStringList voci;
    QDirIterator giro(banco.cartella.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (giro.hasNext()) {
        const QFileInfo voce(giro.next());
        const QString nome = QDir(banco.cartella.path()).relativeFilePath(voce.filePath());
        voci.append(voce.isDir() ? nome + u'/' : nome + u' ' + QString::number(voce.size()));
    }
    voci.sort();
    return voci;
}

// What an open can change in the window.
struct Vista
{
    QString titolo, nome_file, percorso_firmware, label3, label4, label5, label7, text4;
    QStringList abilitati;
    int codice_cpu;

    static Vista di(const Banco &banco)
    {
        const auto &stato = banco.finestra->stato();
        return {banco.finestra->windowTitle(), stato.nome_file, stato.percorso_firmware,
                banco.etichetta("Label3")->text(), banco.etichetta("Label4")->text(),
                banco.etichetta("Label5")->text(), banco.etichetta("Label7")->text(),
                banco.casella("Text4")->text(), banco.abilitati(), stato.codice_cpu};
    }
    bool operator==(const Vista &) const = default;
};

char *toString(const Vista &vista)
{
    return QTest::toString(QStringList{vista.titolo, vista.nome_file, vista.percorso_firmware, vista.label3,
                                       vista.label4, vista.label5, vista.label7, vista.text4,
                                       vista.abilitati.join(u','), QString::number(vista.codice_cpu)}
                               .join(u'|'));
}

QStringList etichette_dispositivo(const Banco &banco)
{
    return {banco.etichetta("Label11")->text(), banco.etichetta("Label12")->text(),
            banco.etichetta("Label13")->text(), banco.etichetta("Label14")->text()};
}

OpzioniSimulatore con_guasti(QList<Guasto> guasti)
{
    OpzioniSimulatore opzioni;
    opzioni.guasti = std::move(guasti);
    return opzioni;
}

// Link open at the access point and `contenuto` opened as FW.BIN.
void connetti_e_apri(Banco &banco, const QByteArray &contenuto = Banco::firmware('t'))
{
    banco.clicca("Command5");
    banco.apri(banco.scrivi_firmware(contenuto));
}

const QStringList identita_predefinita{QStringLiteral("Firmware: v.2.15"), QStringLiteral("Scheda: KR01"),
                                       QStringLiteral("Nome file: KESTRA01"), QStringLiteral("Data: 05.03.18")};
const QStringList etichette_vuote_it{QStringLiteral("Firmware:"), QStringLiteral("Scheda:"),
                                     QStringLiteral("Nome file:"), QStringLiteral("Data:")};
} // namespace

class TestFirmwareIdentification : public QObject
{
    Q_OBJECT

private slots:
    void buttons_follow_the_steps_of_an_update()
    {
        Banco banco;
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        banco.clicca("Command5");
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
        banco.apri(banco.scrivi_firmware(Banco::firmware('t')));
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6", "Command7"}));
        QCOMPARE(banco.lampada("Shape3"), rosso);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());

        Qt::CursorShape durante_attesa = Qt::ArrowCursor;
        QTimer::singleShot(100, banco.finestra.get(), [&] { durante_attesa = banco.finestra->cursor().shape(); });
        banco.clicca("Command7");
        QCOMPARE(durante_attesa, Qt::WaitCursor);
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{QByteArray("\x46\x57\x49")});
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape3"), verde);
        QCOMPARE(banco.stato_text2(), QStringLiteral("Connesso..."));
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }

    void file_dialog_starts_in_the_last_firmware_folder()
    {
        QFETCH(int, lingua);
        QFETCH(QString, titolo);

        Banco banco;
        scegli_lingua(banco, lingua);
        banco.clicca("Command5");
        QVERIFY(QDir(banco.cartella.path()).mkdir("sub"));
        banco.apri(banco.scrivi_firmware(Banco::firmware('t'), QStringLiteral("sub/FW.BIN")));
        banco.clicca("Command6"); // the script has run out: Cancel

        const auto &richieste = banco.dialoghi.richieste_file;
        QCOMPARE(richieste.size(), 2);
        for (const auto &richiesta : richieste) {
            QCOMPARE(richiesta.titolo, titolo);
            QCOMPARE(richiesta.filtro, QStringLiteral("File BIN (*.BIN)"));
        }
        QCOMPARE(richieste[0].cartella, QString()); // "Path = " in the settings written at start
        QCOMPARE(richieste[1].cartella, banco.cartella.filePath("sub") + u'/');
        QCOMPARE(banco.finestra->stato().nome_file, QStringLiteral("FW.BIN"));
    }
    void file_dialog_starts_in_the_last_firmware_folder_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("titolo");
        QTest::newRow("italian") << 0 << QStringLiteral("Apri Firmware");
        QTest::newRow("english") << 1 << QStringLiteral("Open Firmware");
    }

    void header_fields_are_shown()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(QStringList, etichette);
        QFETCH(QString, text4);
        QFETCH(bool, accettato);
        QFETCH(QStringList, messaggi);

        Banco banco;
        banco.clicca("Command5");
        const QString percorso = banco.scrivi_firmware(contenuto);
        const QStringList prima = disco(banco);
        banco.apri(percorso);

        QCOMPARE(banco.finestra->windowTitle(), QStringLiteral("KESTRA Firmware updater - FW.BIN"));
        QCOMPARE((QStringList{banco.etichetta("Label3")->text(), banco.etichetta("Label4")->text(),
                              banco.etichetta("Label5")->text(), banco.etichetta("Label7")->text()}),
                 etichette);
        QCOMPARE(banco.casella("Text4")->text(), text4);
        QCOMPARE(banco.pulsante("Command7")->isEnabled(), accettato);
        QCOMPARE(mostrati(banco), messaggi);
        QCOMPARE(banco.finestra->stato().tipo_cpu, contenuto.size() > 1 ? contenuto[1] : '\0');
        QCOMPARE(banco.finestra->stato().percorso_firmware, banco.cartella.path() + u'/');
        QCOMPARE(disco(banco), prima);
        QFile file(percorso);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contenuto);
    }
    void header_fields_are_shown_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QStringList>("etichette");
        QTest::addColumn<QString>("text4");
        QTest::addColumn<bool>("accettato");
        QTest::addColumn<QStringList>("messaggi");

        const QByteArray t = Banco::firmware('t');
        const auto righe = [](const QString &cpu, const QString &bootloader, const QString &firmware,
                               const QString &scheda) {
            return QStringList{cpu, QStringLiteral("Booloader: v.") + bootloader,
                               QStringLiteral("Firmware: v.") + firmware, QStringLiteral("Scheda: ") + scheda};
        };
        QTest::newRow("t, bootloader 1.2") << t << righe(cpu_t, "1.2", "2.13", "BRD1") << "1A98" << true
                                           << QStringList{};
        QTest::newRow("s, bootloader 1.3") << Banco::firmware('s', QByteArray(10, 'x'), 1, 3)
                                           << righe(cpu_s, "1.3", "2.13", "BRD1") << "1A98" << true
                                           << QStringList{};
        QTest::newRow("W, bytes 0 and 12 are 1.2") << Banco::firmware('W', QByteArray(10, 'x'), 0, 12)
                                                   << righe(cpu_w, "1.2", "2.13", "BRD1") << "1A98" << true
                                                   << QStringList{};
        QTest::newRow("firmware 1.05, CRC without leading zero")
            << con(con(t, 6, "\x01\x05"), 13, "\x0E\xB3") << righe(cpu_t, "1.2", "1.05", "BRD1") << "EB3" << true
            << QStringList{};
        QTest::newRow("nibble above 9, one-digit CRC")
            << con(con(t, 6, "\x03\x1A"), 13, QByteArray("\x00\x0F", 2)) << righe(cpu_t, "1.2", "3.110", "BRD1")
            << "F" << true << QStringList{};
        QTest::newRow("board with blanks") << con(t, 9, " B 1") << righe(cpu_t, "1.2", "2.13", " B 1") << "1A98"
                                           << true << QStringList{};
        QTest::newRow("exactly 15 bytes") << Banco::firmware('t', {}) << righe(cpu_t, "1.2", "2.13", "BRD1")
                                          << "1A98" << true << QStringList{};
        QTest::newRow("14 bytes: missing CRC byte is 0")
            << Banco::firmware('t', {}).left(14) << righe(cpu_t, "1.2", "2.13", "BRD1") << "1A00" << true
            << QStringList{};
        QTest::newRow("3 bytes: no bootloader version")
            << QByteArray("\x00t\x00", 3) << righe(cpu_t, "0", "0.00", "") << "0" << false
            << QStringList{bootloader_rifiutato("0")};
        QTest::newRow("1 byte: no CPU letter either")
            << QByteArray("t") << righe("CPU:", "0", "0.00", "") << "0" << false
            << QStringList{non_compatibile, bootloader_rifiutato("0")};
    }

    void refused_file_after_an_accepted_one()
    {
        QFETCH(int, lingua);
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, label3);
        QFETCH(QString, label4);
        QFETCH(QString, label7);
        QFETCH(int, codice_cpu);
        QFETCH(QStringList, messaggi);

        Banco banco;
        scegli_lingua(banco, lingua);
        connetti_e_apri(banco, Banco::firmware('s'));
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6", "Command7"}));
        QCOMPARE(banco.finestra->stato().codice_cpu, 2);

        banco.apri(banco.scrivi_firmware(con(contenuto, 9, "BAD9\x0E\xB3"), QStringLiteral("BAD.BIN")));
        QCOMPARE(mostrati(banco), messaggi);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
        QCOMPARE(banco.finestra->windowTitle(), QStringLiteral("KESTRA Firmware updater - BAD.BIN"));
        QCOMPARE(banco.etichetta("Label3")->text(), label3);
        QCOMPARE(banco.etichetta("Label4")->text(), label4);
        QCOMPARE(banco.etichetta("Label5")->text(), QStringLiteral("Firmware: v.2.13"));
        QCOMPARE(banco.etichetta("Label7")->text(), label7);
        QCOMPARE(banco.casella("Text4")->text(), QStringLiteral("EB3"));
        QCOMPARE(banco.finestra->stato().tipo_cpu, contenuto[1]);
        QCOMPARE(banco.finestra->stato().codice_cpu, codice_cpu);
        QCOMPARE(banco.finestra->stato().nome_file, QStringLiteral("BAD.BIN"));
    }
    void refused_file_after_an_accepted_one_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("label3");
        QTest::addColumn<QString>("label4");
        QTest::addColumn<QString>("label7");
        QTest::addColumn<int>("codice_cpu");
        QTest::addColumn<QStringList>("messaggi");

        const QByteArray dati(10, 'x');
        const QString scheda = QStringLiteral("Scheda: BAD9");
        QTest::newRow("unknown CPU T keeps the code of s")
            << 0 << Banco::firmware('T') << "CPU:" << "Booloader: v.1.2" << scheda << 2
            << QStringList{non_compatibile};
        QTest::newRow("bootloader 1.1") << 0 << Banco::firmware('t', dati, 1, 1) << cpu_t << "Booloader: v.1.1"
                                        << scheda << 1 << QStringList{bootloader_rifiutato("1.1")};
        QTest::newRow("bootloader 1.4") << 0 << Banco::firmware('t', dati, 1, 4) << cpu_t << "Booloader: v.1.4"
                                        << scheda << 1 << QStringList{bootloader_rifiutato("1.4")};
        QTest::newRow("bootloader 2.0 shown as 2") << 0 << Banco::firmware('W', dati, 2, 0) << cpu_w
                                                   << "Booloader: v.2" << scheda << 3
                                                   << QStringList{bootloader_rifiutato("2")};
        QTest::newRow("both, CPU first") << 0 << Banco::firmware('T', dati, 1, 1) << "CPU:" << "Booloader: v.1.1"
                                         << scheda << 2
                                         << QStringList{non_compatibile, bootloader_rifiutato("1.1")};
        QTest::newRow("both, english") << 1 << Banco::firmware('x', dati, 2, 0) << "CPU:" << "Booloader: v.2"
                                       << "Board: BAD9" << 2 << QStringList{not_compatible, bootloader_refused("2")};
    }

    // A refused image must not be transferred or verified with the buttons
    // left over from the file before it.
    void refused_file_withdraws_transfer_and_update()
    {
        QFETCH(bool, nuovo_trasferimento);
        QFETCH(QStringList, prima);

        Banco banco(con_guasti({{"PGX", 0, Guasto::Tipo::Risposta, "N", 0}}));
        connetti_e_apri(banco);
        banco.clicca("Command7");
        banco.clicca("Command2");
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command4");
        if (nuovo_trasferimento)
            banco.clicca("Command2");
        QCOMPARE(banco.abilitati(), prima);

        banco.dialoghi.mostrati.clear();
        banco.apri(banco.scrivi_firmware(Banco::firmware('t', QByteArray(10, 'x'), 1, 4), QStringLiteral("OLD.BIN")));
        QCOMPARE(mostrati(banco), QStringList{bootloader_rifiutato("1.4")});
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command6"}));
    }
    void refused_file_withdraws_transfer_and_update_data()
    {
        QTest::addColumn<bool>("nuovo_trasferimento");
        QTest::addColumn<QStringList>("prima");
        QTest::newRow("after a failed check")
            << false << QStringList{"Command2", "Command3", "Command6", "Command7"};
        QTest::newRow("after a new transfer")
            << true << QStringList{"Command3", "Command4", "Command6", "Command7"};
    }

    void cancel_changes_nothing()
    {
        QFETCH(bool, file_aperto);

        Banco banco;
        banco.clicca("Command5");
        if (file_aperto)
            banco.apri(banco.scrivi_firmware(Banco::firmware('s')));
        const Vista prima = Vista::di(banco);
        const QStringList disco_prima = disco(banco);

        banco.dialoghi.file.append(std::nullopt);
        banco.clicca("Command6");
        QCOMPARE(banco.dialoghi.richieste_file.size(), file_aperto ? 2 : 1);
        QCOMPARE(Vista::di(banco), prima);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QCOMPARE(disco(banco), disco_prima);
    }
    void cancel_changes_nothing_data()
    {
        QTest::addColumn<bool>("file_aperto");
        QTest::newRow("before any file") << false;
        QTest::newRow("after a file") << true;
    }

    void missing_or_empty_file_changes_nothing()
    {
        QFETCH(int, lingua);
        QFETCH(QString, nome);
        QFETCH(QString, tipo);
        QFETCH(QString, messaggio);

        Banco banco;
        scegli_lingua(banco, lingua);
        connetti_e_apri(banco, Banco::firmware('s'));
        const QString percorso = banco.cartella.filePath(nome);
        if (tipo == QLatin1String("empty"))
            banco.scrivi_firmware({}, nome);
        else if (tipo == QLatin1String("folder"))
            QVERIFY(QDir(banco.cartella.path()).mkdir(nome));
        const Vista prima = Vista::di(banco);
        const QStringList disco_prima = disco(banco);

        banco.apri(percorso);
        QCOMPARE(mostrati(banco), QStringList{messaggio});
        QCOMPARE(disco(banco), disco_prima);
        Vista dopo = Vista::di(banco);
        dopo.nome_file = prima.nome_file; // the choice itself is taken before the file is read
        dopo.percorso_firmware = prima.percorso_firmware;
        QCOMPARE(dopo, prima);
    }
    void missing_or_empty_file_changes_nothing_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("no such name") << 0 << "NONE.BIN" << "missing" << inesistente;
        QTest::newRow("no such folder") << 0 << "none/FW2.BIN" << "missing" << inesistente;
        QTest::newRow("empty file stays") << 0 << "EMPTY.BIN" << "empty" << inesistente;
        QTest::newRow("a folder") << 0 << "DIR.BIN" << "folder" << inesistente;
        QTest::newRow("english") << 1 << "EMPTY.BIN" << "empty" << not_found;
    }

    void identification_shows_the_device()
    {
        QFETCH(int, lingua);
        QFETCH(int, maggiore);
        QFETCH(int, minore);
        QFETCH(QByteArray, scheda);
        QFETCH(QByteArray, nome_file);
        QFETCH(int, data_alta);
        QFETCH(int, data_bassa);
        QFETCH(QStringList, etichette);
        QFETCH(QString, text2);

        OpzioniSimulatore opzioni;
        opzioni.fw_maggiore = quint8(maggiore);
        opzioni.fw_minore = quint8(minore);
        opzioni.scheda = scheda;
        opzioni.nome_file = nome_file;
        opzioni.data_alta = quint8(data_alta);
        opzioni.data_bassa = quint8(data_bassa);
        Banco banco(opzioni);
        scegli_lingua(banco, lingua);
        connetti_e_apri(banco);
        banco.clicca("Command7");

        QCOMPARE(etichette_dispositivo(banco), etichette);
        QCOMPARE(banco.stato_text2(), text2);
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape3"), verde);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }
    void identification_shows_the_device_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<int>("maggiore");
        QTest::addColumn<int>("minore");
        QTest::addColumn<QByteArray>("scheda");
        QTest::addColumn<QByteArray>("nome_file");
        QTest::addColumn<int>("data_alta");
        QTest::addColumn<int>("data_bassa");
        QTest::addColumn<QStringList>("etichette");
        QTest::addColumn<QString>("text2");

        QTest::newRow("simulator defaults") << 0 << 2 << 0x15 << QByteArray("KR01") << QByteArray("KESTRA01")
                                            << 36 << 101 << identita_predefinita << "Connesso...";
        QTest::newRow("english") << 1 << 2 << 0x15 << QByteArray("KR01") << QByteArray("KESTRA01") << 36 << 101
                                 << QStringList{"Firmware: v.2.15", "Board: KR01", "File name: KESTRA01",
                                                "Date: 05.03.18"}
                                 << "Connected...";
        QTest::newRow("minor as two hex digits, zero date")
            << 0 << 1 << 10 << QByteArray("KR01") << QByteArray("KESTRA01") << 0 << 0
            << QStringList{"Firmware: v.1.0A", "Scheda: KR01", "Nome file: KESTRA01", "Data: 00.00.00"}
            << "Connesso...";
        QTest::newRow("zero version, blanks kept")
            << 0 << 0 << 0 << QByteArray(" K 1") << QByteArray("AB CD   ") << 36 << 101
            << QStringList{"Firmware: v.0.00", "Scheda:  K 1", "Nome file: AB CD   ", "Data: 05.03.18"}
            << "Connesso...";
        QTest::newRow("top values, date as stored")
            << 0 << 255 << 255 << QByteArray("KR01") << QByteArray("KESTRA01") << 201 << 255
            << QStringList{"Firmware: v.255.FF", "Scheda: KR01", "Nome file: KESTRA01", "Data: 31.15.100"}
            << "Connesso...";
    }

    void file_and_device_texts_are_shown_as_they_are()
    {
        OpzioniSimulatore opzioni;
        opzioni.scheda = "<s>K";
        opzioni.nome_file = "<i>x</i>";
        Banco banco(opzioni);
        banco.clicca("Command5");
        const QString nome = QStringLiteral("<b>a[*].BIN");
        banco.apri(banco.scrivi_firmware(con(Banco::firmware('t'), 9, "<hr>"), nome));
        banco.clicca("Command7");

        const QStringList attese{"Label7", "Scheda: <hr>", "Label12", "Scheda: <s>K", "Label13", "Nome file: <i>x</i>"};
        for (qsizetype i = 0; i < attese.size(); i += 2) {
            const QLabel *etichetta = banco.etichetta(qPrintable(attese[i]));
            QCOMPARE(etichetta->text(), attese[i + 1]);
            QCOMPARE(etichetta->textFormat(), Qt::PlainText);
        }
        QCOMPARE(banco.finestra->windowHandle()->title(), QStringLiteral("KESTRA Firmware updater - ") + nome);
    }

    void identification_reply_variants()
    {
        QFETCH(Guasto, guasto);
        QFETCH(QStringList, etichette);

        Banco banco(con_guasti({guasto}));
        connetti_e_apri(banco);
        banco.clicca("Command7");

        QCOMPARE(etichette_dispositivo(banco), etichette);
        QCOMPARE(banco.stato_text2(), QStringLiteral("Connesso..."));
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape3"), verde);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }
    void identification_reply_variants_data()
    {
        QTest::addColumn<Guasto>("guasto");
        QTest::addColumn<QStringList>("etichette");

        const auto risposta = [](const QByteArray &byte) {
            return Guasto{"FWI", 0, Guasto::Tipo::Risposta, byte, 0};
        };
        QTest::newRow("in one-byte pieces within the wait")
            << Guasto{"FWI", 0, Guasto::Tipo::Dividi, {}, 15} << identita_predefinita;
        QTest::newRow("bytes after the 20th") << risposta("FWI=\x02\x15KR01KESTRA01\x24\x65\xFF\xFF" "FWI=???")
                                              << identita_predefinita;
        QTest::newRow("short: five bytes")
            << risposta("FWI=\x02")
            << QStringList{"Firmware: v.2.00", "Scheda: ", "Nome file: ", "Data: 00.00.00"};
        QTest::newRow("short: cut inside the board")
            << risposta("FWI=\x02\x15KR")
            << QStringList{"Firmware: v.2.15", "Scheda: KR", "Nome file: ", "Data: 00.00.00"};
        QTest::newRow("short: one byte")
            << risposta("A") << QStringList{"Firmware: v.0.00", "Scheda: ", "Nome file: ", "Data: 00.00.00"};
        QTest::newRow("not exactly FWI=??? (lower case)") << risposta("fwi=???")
            << QStringList{"Firmware: v.63.3F", "Scheda: ?", "Nome file: ", "Data: 00.00.00"};
        QTest::newRow("not exactly FWI=??? (longer)")
            << risposta("FWI=???x") << QStringList{"Firmware: v.63.3F", "Scheda: ?x", "Nome file: ", "Data: 00.00.00"};
    }

    void information_unavailable()
    {
        QFETCH(int, lingua);
        QFETCH(char, cpu);
        QFETCH(bool, info_non_disponibile);
        QFETCH(QString, text2);
        QFETCH(QStringList, messaggi);

        OpzioniSimulatore opzioni;
        opzioni.info_non_disponibile = info_non_disponibile;
        Banco banco(opzioni);
        scegli_lingua(banco, lingua);
        connetti_e_apri(banco, Banco::firmware(cpu));
        const QStringList etichette_prima = etichette_dispositivo(banco);
        banco.clicca("Command7");

        QCOMPARE(banco.stato_text2(), text2);
        QCOMPARE(mostrati(banco), messaggi);
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape3"), verde);
        if (info_non_disponibile)
            QCOMPARE(etichette_dispositivo(banco), etichette_prima);
    }
    void information_unavailable_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<char>("cpu");
        QTest::addColumn<bool>("info_non_disponibile");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<QStringList>("messaggi");
        const QString non_disponibile = QStringLiteral("Connesso: INFO non disponibile");
        QTest::newRow("W: warning") << 0 << 'W' << true << non_disponibile << QStringList{avviso_wgm110};
        QTest::newRow("W: warning, english")
            << 1 << 'W' << true << "Connected: INFO unavailable" << QStringList{warning_wgm110};
        QTest::newRow("t: no warning") << 0 << 't' << true << non_disponibile << QStringList{};
        QTest::newRow("s: no warning") << 0 << 's' << true << non_disponibile << QStringList{};
        QTest::newRow("W with a board: no warning") << 0 << 'W' << false << "Connesso..." << QStringList{};
    }

    void language_change_swaps_the_filled_prefixes()
    {
        Banco banco;
        connetti_e_apri(banco);
        banco.clicca("Command7");

        scegli_lingua(banco, 1);
        QCOMPARE(banco.etichetta("Label7")->text(), QStringLiteral("Board: BRD1"));
        QCOMPARE(etichette_dispositivo(banco),
                 (QStringList{"Firmware: v.2.15", "Board: KR01", "File name: KESTRA01", "Date: 05.03.18"}));
        QCOMPARE(banco.etichetta("Label4")->text(), QStringLiteral("Booloader: v.1.2"));
        QCOMPARE(banco.etichetta("Label5")->text(), QStringLiteral("Firmware: v.2.13"));
        QCOMPARE(banco.stato_text2(), QStringLiteral("Connected..."));

        scegli_lingua(banco, 0);
        QCOMPARE(banco.etichetta("Label7")->text(), QStringLiteral("Scheda: BRD1"));
        QCOMPARE(etichette_dispositivo(banco), identita_predefinita);
        QCOMPARE(banco.stato_text2(), QStringLiteral("Connesso..."));
    }

    void silence_at_the_access_point_lets_the_user_retry()
    {
        QFETCH(int, lingua);
        QFETCH(QStringList, etichette);

        Banco banco(con_guasti({{"FWI", 1, Guasto::Tipo::NessunaRisposta, {}, 0}}));
        scegli_lingua(banco, lingua);
        connetti_e_apri(banco);
        banco.clicca("Command7");

        QCOMPARE(banco.stato_text2(), QStringLiteral("errore connessione"));
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command7"}));
        QCOMPARE(banco.lampada("Shape3"), rosso);
        QCOMPARE(banco.lampada("Shape4"), verde);
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
        QCOMPARE(etichette_dispositivo(banco), etichette);
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);

        banco.clicca("Command7");
        QCOMPARE(banco.sim.comandi_ricevuti(), (QList<QByteArray>{"FWI", "FWI"}));
        QCOMPARE(banco.abilitati(), (QStringList{"Command2", "Command3"}));
        QCOMPARE(banco.lampada("Shape3"), verde);
    }
    void silence_at_the_access_point_lets_the_user_retry_data()
    {
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QStringList>("etichette");
        QTest::newRow("italian") << 0 << etichette_vuote_it;
        QTest::newRow("english") << 1 << QStringList{"Firmware:", "Board:", "File name:", "Date:"};
    }

    // Every step away from the access point starts with the 5 s wait for a
    // challenge, so the three answers to the reset offer share one link.
    void silence_away_from_the_access_point_offers_a_reset()
    {
        Banco banco(con_guasti({{"FWI", 0, Guasto::Tipo::NessunaRisposta, {}, 0},
                                {"RST!", 1, Guasto::Tipo::NessunaRisposta, {}, 0}}),
                    Banco::altro_indirizzo_ap);
        connetti_e_apri(banco);
        const QString offerta = QStringLiteral(
            "information|Connessione|E' probabile che il modulo wifi sia connesso al Cloud.\r\n"
            "Resettare il modulo Wi-Fi e riprovare?|yes/no");

        // No: nothing more.
        banco.dialoghi.risposte = {risposta_no};
        banco.clicca("Command7");
        QCOMPARE(mostrati(banco), QStringList{offerta});
        QCOMPARE(banco.finestra->stato().risposta, risposta_no);
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{"FWI"});
        QCOMPARE(banco.stato_text2(), QStringLiteral("errore connessione"));
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command7"}));
        QCOMPARE(banco.lampada("Shape3"), rosso);

        // Yes, and the module does not answer the reset: the link stays open.
        banco.dialoghi.mostrati.clear();
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command7");
        QCOMPARE(mostrati(banco),
                 (QStringList{offerta, "exclamation|Reset Modulo WiFi|Errore lettura modulo|ok"}));
        QCOMPARE(banco.sim.comandi_ricevuti(), (QList<QByteArray>{"FWI", "FWI", "RST!"}));
        QCOMPARE(banco.finestra->canale().Winsock1().state(), QAbstractSocket::ConnectedState);
        QCOMPARE(banco.lampada("Shape4"), verde);
        QCOMPARE(banco.abilitati(), (QStringList{"Command3", "Command7"}));
        QCOMPARE(banco.finestra->cursor().shape(), Qt::ArrowCursor);

        // Yes, and the module restarts: the link is closed.
        banco.dialoghi.mostrati.clear();
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command7");
        QCOMPARE(mostrati(banco),
                 (QStringList{offerta, "exclamation|Reset Modulo WiFi|Il modulo wifi è stato riavviato\r\n"
                                       "Attendi 30 secondi ed esegui nuovamente la connessione|ok"}));
        QCOMPARE(banco.sim.comandi_ricevuti(), (QList<QByteArray>{"FWI", "FWI", "RST!", "FWI", "RST!"}));
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
        QCOMPARE(banco.casella("Text1")->text(), QString::fromLatin1(Banco::indirizzo_simulatore));
    }

    void disconnect_closes_the_link()
    {
        Banco banco;
        connetti_e_apri(banco);
        banco.clicca("Command7");
        QCOMPARE(banco.lampada("Shape4"), verde);

        banco.clicca("Command3");
        QCOMPARE(banco.abilitati(), QStringList{"Command5"});
        QCOMPARE(banco.lampada("Shape4"), rosso);
        QCOMPARE(banco.finestra->canale().Winsock1().state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(banco.sim.comandi_ricevuti(), QList<QByteArray>{"FWI"});
        QVERIFY(banco.dialoghi.mostrati.isEmpty());
    }
};

QTEST_MAIN(TestFirmwareIdentification)
#include "test_firmware_identification.moc"
