#include "core/checksums.h"
#include "core/cpu_types.h"
#include "core/commands.h"
#include "core/firmware_header.h"
#include "core/firmware_image.h"
#include "core/labels.h"
#include "testing/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A header whose fields all differ: CPU "s", bootloader 1.2, firmware 2.13,
// board "AB C", stored CRC 0x1A98.
const QByteArray intestazione_completa("\x07sxy\x01\x02\x02\x13zAB C\x1A\x98", 15);

QByteArray intestazione_di(char cpu)
{
    return QByteArray(intestazione_completa).replace(1, 1, QByteArray(1, cpu));
}

} // namespace

class TestFirmwareFile : public QObject
{
    Q_OBJECT

private slots:
    void crc16_calc()
    {
        const std::tuple<quint16, QByteArray, quint16> casi[] = {
            {0xFFFF, "abc", 0x0EB3},           {0xFFFF, "A", 0x1D84},
            {0, "abc", 0x065F},                {0xFFFF, QByteArray(256, '\0'), 0x1A98},
            {0xFFFF, QByteArray(1, '\0'), 0x127B}, {0xFFFF, "\xFF", 0x00FF},
            {0xFFFF, {}, 0xFFFF},              {0xFFFF, "\x80\xC3\xFE", 0x09F5},
        };
        for (const auto &[iniziale, byte, crc16] : casi) {
            RegistroCrc registro{iniziale >> 8, iniziale & 0xFF, 0};
            ::crc16_calc(registro, byte);
            QCOMPARE(quint16(registro.crc16), crc16);
            QCOMPARE(registro.crc_alto * 256 + registro.crc_basso, registro.crc16);
        }
    }

    void cpu_types()
    {
        const std::tuple<char, const char *, int, int> casi[] = {
            {'t', "CPU: STM32F0 64K (256B)", 1, 64}, {'s', "CPU: STM32F1 128K (256B)", 2, 128},
            {'W', "CPU: WGM110 1M (128B)", 3, 756},  {'T', nullptr, 0, 0}, {'w', nullptr, 0, 0}, {'\0', nullptr, 0, 0},
        };
        for (const auto &[lettera, didascalia, codice, kb] : casi) {
            const TipoCpu *tipo = cerca_tipo_cpu(lettera);
            QCOMPARE(tipo ? tipo->didascalia : nullptr, didascalia);
            const TipoCpu &riga = tipo ? *tipo : tipo_cpu_sconosciuto();
            QCOMPARE(riga.codice, codice);
            QCOMPARE(riga.kb_area, kb);
            QCOMPARE(riga.cancellazione_a_blocchi, codice == 1 || codice == 2);
            QCOMPARE(riga.byte_massimi(), codice ? kb * 1024 : 32767 * 256);
        }
    }

    void header_fields()
    {
        const std::pair<int, QStringList> casi[] = { // the length of the file, what its header shows
            {20, {"s", "Booloader: v.1.2", "Firmware: v.2.13", "AB C", "1A98"}},
            {14, {"s", "Booloader: v.1.2", "Firmware: v.2.13", "AB C", "1A00"}},
            {11, {"s", "Booloader: v.1.2", "Firmware: v.2.13", "AB", "0"}},
            {5, {"s", "Booloader: v.1", "Firmware: v.0.00", "", "0"}},
            {0, {QString(QChar(0)), "Booloader: v.0", "Firmware: v.0.00", "", "0"}},
        };
        for (const auto &[lunghezza, campi] : casi) {
            const IntestazioneFirmware h = leggi_intestazione((intestazione_completa + "IMAGE").first(lunghezza));
            QCOMPARE((QStringList{QString(QChar(h.tipo_cpu)), etichetta_bootloader(h.versione_bootloader, QLocale::c()),
                                  etichetta_firmware_file(h.fw_maggiore, h.fw_minore),
                                  QString::fromLatin1(h.scheda_file), testo_crc(h.crc16())}),
                     campi);
        }
    }

    void header_texts()
    {
        const QLocale c = QLocale::c();
        const std::tuple<int, QLocale, const char *, bool> casi[] = {
            {11, c, "1.1", false}, {12, c, "1.2", true}, {13, c, "1.3", true}, {14, c, "1.4", false},
            {20, c, "2", false}, {1000, QLocale(QLocale::English), "100", false}, {2805, c, "280.5", false},
            {12, QLocale(QLocale::German), "1,2", true},
        };
        for (const auto &[versione, locale, testo, supportato] : casi) {
            QCOMPARE(testo_versione_bootloader(versione, locale), QLatin1String(testo));
            QCOMPARE(bootloader_supportato(versione), supportato);
        }
    }

    void firmware_version_and_crc_texts()
    {
        QCOMPARE(etichetta_firmware_file(1, 0x05), QStringLiteral("Firmware: v.1.05"));
        QCOMPARE(etichetta_firmware_file(3, 0x1A), QStringLiteral("Firmware: v.3.110"));
        QCOMPARE(etichetta_firmware_file(255, 0xFF), QStringLiteral("Firmware: v.255.1515"));
        QCOMPARE(testo_crc(0x0EB3), QStringLiteral("EB3"));
        QCOMPARE(testo_crc(0x000F), QStringLiteral("F"));
        QCOMPARE(testo_crc(0xFFFF), QStringLiteral("FFFF"));
    }

    void commands_past_256_pages()
    {
        const QByteArray dati(128, '\x81');
        QCOMPARE(comando_mezza_pagina(*cerca_tipo_cpu('t'), 300 * 256 + 128, dati), QByteArray("PGP\x01\x2C\x80") + dati + '\x80');
        QCOMPARE(comando_mezza_pagina(*cerca_tipo_cpu('W'), 0x1234500, dati), QByteArray("PGp\x23\x45\x00", 6) + dati + '\x80');
        QCOMPARE(comando_verifica(*cerca_tipo_cpu('s'), 300, 0x1A, 0x98), QByteArray("PGX\x01\x2C\x1A\x98"));
    }

    void image_read_again()
    {
        const QString cambiato = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        const QString grande = QStringLiteral("Errore: file firmware troppo grande");
        const QByteArray s = intestazione_di('s');
        // The file at transfer time (empty: gone), its header when it was opened, its CPU type, what is refused.
        const std::tuple<QByteArray, QByteArray, int, QString> casi[] = {
            {s + "IMAGE", s, 2, {}},
            {{}, s, 2, cambiato},
            {intestazione_di('W') + "IMAGE", s, 2, cambiato},
            {s.first(10), s, 2, cambiato},
            {s, s, 2, "Errore: file firmware senza dati"},
            {s + QByteArray(65536, 'x'), s, 1, {}},
            {s + QByteArray(65537, 'x'), s, 1, grande},
            {s + QByteArray(131073, 'x'), s, 2, grande},
            {s + QByteArray(774144, 'x'), s, 3, {}},
            {s + QByteArray(774145, 'x'), s, 3, grande},
            {s + QByteArray(32767 * 256 + 1, 'x'), s, 0, grande},
        };
        for (const auto &[contenuto, aperta, codice_cpu, errore] : casi) {
            QTemporaryDir cartella;
            const QString percorso = cartella.filePath("FW.BIN");
            if (!contenuto.isEmpty())
                scrivi_file(percorso, contenuto);
            const TipoCpu &tipo = codice_cpu ? tipi_cpu()[codice_cpu - 1] : tipo_cpu_sconosciuto();
            const ImmagineFirmware immagine = leggi_immagine(percorso, aperta, tipo);
            QCOMPARE(immagine.errore ? immagine.errore->in(0) : QString(), errore);
            QCOMPARE(immagine.dati, errore.isEmpty() ? contenuto.sliced(15) : QByteArray());
        }
    }

    void an_unreadable_image_is_refused_in_both_languages()
    {
        QTemporaryDir cartella;
        QVERIFY(QDir(cartella.path()).mkdir("FW.BIN"));
        const ImmagineFirmware immagine = leggi_immagine(cartella.filePath("FW.BIN"), {}, *cerca_tipo_cpu('t'));
        QCOMPARE(immagine.errore->in(0), QStringLiteral("Errore: file firmware non leggibile"));
        QCOMPARE(immagine.errore->in(1), QStringLiteral("Error: firmware file cannot be read"));
    }
};

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "test_firmware_file.moc"
