// kestra-sim --write-firmware, the program beside this test: the header it
// writes, the CRC16 of its image in pages, and what it refuses.

#include "testing/programs.h"
#include "testing/files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int lunghezza_intestazione = 15;

struct Corsa
{
    int uscita = -1;
    QByteArray standard_output, errori;
};

Corsa esegui(const QStringList &argomenti)
{
    QProcess processo;
    processo.start(kestra_sim(), argomenti);
    if (!processo.waitForFinished(10000) || processo.exitStatus() != QProcess::NormalExit)
        return {-1, {}, "kestra-sim did not finish"};
    return {processo.exitCode(), processo.readAllStandardOutput(), processo.readAllStandardError()};
}

} // namespace

class TestWriteFirmware : public QObject
{
    Q_OBJECT

private slots:
    void a_file_the_device_verifies_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<QByteArray>("intestazione"); // bytes 1 to 12: CPU, bootloader, version, board
        QTest::addColumn<int>("dimensione");
        const auto riga = [](const char *nome, QStringList opzioni, const char *intestazione, int dimensione) {
            QTest::newRow(nome) << opzioni << QByteArray(intestazione, 12) << dimensione;
        };
        riga("defaults: s, 5000 bytes, KR01, 3.05", {}, "s\0\0\1\2\3\5\0KR01", 5000);
        riga("W filled to its 756 KB, version 2.13", {"--cpu", "W", "--size", "774144", "--version", "2.13"},
             "W\0\0\1\2\2\x13\0KR01", 774144);
        riga("one byte, a short board padded with blanks", {"--size", "1", "--board", "K1"}, "s\0\0\1\2\3\5\0K1  ", 1);
        riga("the widest version", {"--version", "255.99"}, "s\0\0\1\2\xff\x99\0KR01", 5000);
    }
    void a_file_the_device_verifies()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(int, dimensione);
        QTemporaryDir cartella;
        const QString percorso = cartella.filePath("KESTRA.BIN");
        const Corsa corsa = esegui(QStringList{"--write-firmware", percorso} + opzioni);
        QVERIFY2(corsa.uscita == 0, corsa.errori.constData());
        const QByteArray file = leggi_file(percorso);
        QCOMPARE(file.size(), lunghezza_intestazione + dimensione);
        QTEST(file.sliced(1, 12), "intestazione");
        const int crc16 = crc_del_dispositivo(a_pagine_intere(file.sliced(lunghezza_intestazione)));
        QCOMPARE(quint8(file.at(13)) << 8 | quint8(file.at(14)), crc16);
        const QByteArray detto = QStringLiteral("CRC16 0x%1").arg(crc16, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
        QVERIFY2(corsa.standard_output.toUpper().contains(detto), corsa.standard_output.constData());
        const QByteArray immagine = file.sliced(lunghezza_intestazione);
        QVERIFY2(dimensione < 256 || immagine.count(immagine.at(0)) < immagine.size() / 2, "the bytes are all alike");
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<int>("uscita");
        QTest::addColumn<QByteArray>("motivo");
        const auto riga = [](const char *nome, QStringList opzioni, int uscita, const char *motivo) {
            QTest::newRow(nome) << opzioni << uscita << QByteArray(motivo);
        };
        // FILE is a path in the test's folder.
        riga("an image of 0 bytes", {"--write-firmware", "FILE", "--size", "0"}, 2,
             "--size must be a number of bytes from 1 to 131072");
        riga("one byte past t's 64 KB", {"--write-firmware", "FILE", "--cpu", "t", "--size", "65537"}, 2,
             "from 1 to 65536, the 64 KB area of CPU t");
        riga("a CPU letter in the wrong case", {"--write-firmware", "FILE", "--cpu", "T"}, 2, "--cpu must be t, s or W");
        riga("a board of 5 characters", {"--write-firmware", "FILE", "--board", "KR012"}, 2,
             "--board must be at most 4 characters");
        riga("a major past 255", {"--write-firmware", "FILE", "--version", "256.00"}, 2, "--version must be MAJOR.MINOR");
        riga("--cpu without --write-firmware", {"--cpu", "t", "--port", "0"}, 2, "--cpu goes only with --write-firmware");
        riga("a folder that does not exist", {"--write-firmware", "no/such/folder/KESTRA.BIN"}, 1, "cannot write");
    }
    void refusals()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(QByteArray, motivo);
        QTemporaryDir cartella;
        for (QString &opzione : opzioni) {
            if (opzione == "FILE" || opzione.startsWith("no/"))
                opzione = cartella.filePath(opzione);
        }
        const Corsa corsa = esegui(opzioni);
        QTEST(corsa.uscita, "uscita");
        QVERIFY2(corsa.errori.contains(motivo), corsa.errori.constData());
        QVERIFY2(corsa.standard_output.isEmpty(), corsa.standard_output.constData());
        QVERIFY2(QDir(cartella.path()).isEmpty(), "no file is left behind");
    }
};

QTEST_GUILESS_MAIN(TestWriteFirmware)
#include "test_write_firmware.moc"
