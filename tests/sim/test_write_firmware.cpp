// kestra-sim --write-firmware, the program beside this test: the header it
// writes, a CRC16 the device model accepts, and what it refuses.

#include "testing/programs.h"
#include "sim/device_model.h"

#include <QCoreApplication>
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
    QByteArray standard_output;
    QByteArray errori;
};

Corsa esegui(const QStringList &argomenti)
{
    QProcess processo;
    processo.start(kestra_sim(), argomenti);
    if (!processo.waitForFinished(10000)) {
        processo.kill();
        processo.waitForFinished();
        return {-1, {}, "kestra-sim did not finish: " + processo.errorString().toLocal8Bit()};
    }
    if (processo.exitStatus() != QProcess::NormalExit)
        return {-1, {}, "kestra-sim crashed"};
    return {processo.exitCode(), processo.readAllStandardOutput(), processo.readAllStandardError()};
}

QByteArray leggi(const QString &percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int byte_a(const QByteArray &file, int posizione)
{
    return quint8(file.at(posizione));
}

// The device's reply to the image sent in half pages, then verified with the header's CRC16.
QByteArray verdetto_del_dispositivo(const QByteArray &file)
{
    QByteArray immagine = file.sliced(lunghezza_intestazione);
    immagine.resize((immagine.size() + 255) / 256 * 256, '\xFF');
    ModelloDispositivo dispositivo;
    dispositivo.cancella();
    for (qsizetype offset = 0; offset < immagine.size(); offset += 128) {
        const QByteArray dati = immagine.sliced(offset, 128);
        const QByteArray comando = "PGP" + QByteArray(1, char(offset >> 16)) + char(offset >> 8) + char(offset)
                                   + dati + char(somma_dispositivo(dati));
        if (dispositivo.scrivi_mezza_pagina(comando) != "A")
            return "half page at " + QByteArray::number(offset) + " refused";
    }
    const int pagine = int(immagine.size() / 256);
    return dispositivo.verifica("PGX" + QByteArray(1, char(pagine >> 8)) + char(pagine) + file.sliced(13, 2));
}

} // namespace

class TestWriteFirmware : public QObject
{
    Q_OBJECT

private slots:
    void a_file_the_device_verifies_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("dimensione");
        QTest::addColumn<QByteArray>("scheda");
        QTest::addColumn<int>("maggiore");
        QTest::addColumn<int>("minore");
        QTest::newRow("defaults: s, 5000 bytes, KR01, 3.05") << QStringList() << 's' << 5000 << QByteArray("KR01")
                                                              << 3 << 0x05;
        QTest::newRow("t filled to its 64 KB") << QStringList{"--cpu", "t", "--size", "65536"} << 't' << 65536
                                               << QByteArray("KR01") << 3 << 0x05;
        QTest::newRow("s filled to its 128 KB") << QStringList{"--cpu", "s", "--size", "131072"} << 's' << 131072
                                                << QByteArray("KR01") << 3 << 0x05;
        QTest::newRow("W, 1000 bytes, version 2.13")
            << QStringList{"--cpu", "W", "--size", "1000", "--version", "2.13"} << 'W' << 1000 << QByteArray("KR01")
            << 2 << 0x13;
        QTest::newRow("W filled to its 756 KB") << QStringList{"--cpu", "W", "--size", "774144"} << 'W' << 774144
                                                << QByteArray("KR01") << 3 << 0x05;
        QTest::newRow("one byte, a short board padded with blanks")
            << QStringList{"--size", "1", "--board", "K1"} << 's' << 1 << QByteArray("K1  ") << 3 << 0x05;
        QTest::newRow("the widest version") << QStringList{"--version", "255.99"} << 's' << 5000 << QByteArray("KR01")
                                            << 255 << 0x99;
        QTest::newRow("version 0.00") << QStringList{"--version", "0.00"} << 's' << 5000 << QByteArray("KR01") << 0
                                      << 0x00;
    }
    void a_file_the_device_verifies()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(char, cpu);
        QFETCH(int, dimensione);
        QFETCH(QByteArray, scheda);
        QTemporaryDir cartella;
        const QString percorso = cartella.filePath("KESTRA.BIN");
        const Corsa corsa = esegui(QStringList{"--write-firmware", percorso} + opzioni);
        QVERIFY2(corsa.uscita == 0, corsa.errori.constData());
        const QByteArray file = leggi(percorso);
        QCOMPARE(file.size(), lunghezza_intestazione + dimensione);
        QCOMPARE(file.at(1), cpu);
        QCOMPARE(file.sliced(4, 2), QByteArray("\x01\x02")); // bootloader 1.2
        QTEST(byte_a(file, 6), "maggiore");
        QTEST(byte_a(file, 7), "minore");
        QCOMPARE(file.sliced(9, 4), scheda);
        const int crc16 = crc16_pagine(file.sliced(lunghezza_intestazione));
        QCOMPARE(byte_a(file, 13) << 8 | byte_a(file, 14), crc16);
        QCOMPARE(verdetto_del_dispositivo(file), QByteArray("A"));
        const QByteArray detto = QStringLiteral("CRC16 0x%1").arg(crc16, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
        QVERIFY2(corsa.standard_output.toUpper().contains(detto), corsa.standard_output.constData());
    }

    void the_same_options_give_the_same_varied_image()
    {
        QTemporaryDir cartella;
        const QStringList opzioni{"--cpu", "t", "--size", "700"};
        QCOMPARE(esegui(QStringList{"--write-firmware", cartella.filePath("1.BIN")} + opzioni).uscita, 0);
        QCOMPARE(esegui(QStringList{"--write-firmware", cartella.filePath("2.BIN")} + opzioni).uscita, 0);
        const QByteArray primo = leggi(cartella.filePath("1.BIN"));
        QCOMPARE(leggi(cartella.filePath("2.BIN")), primo);
        const QByteArray immagine = primo.sliced(lunghezza_intestazione);
        QVERIFY2(immagine.contains('\0') && immagine.contains('\xFF'), "the image holds 0x00 and 0xFF");
        QVERIFY2(immagine.count(immagine.at(0)) < immagine.size() / 2, "the image's bytes are not all alike");
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<int>("uscita");
        QTest::addColumn<QByteArray>("motivo");
        const QString file = QStringLiteral("FILE"); // replaced by a path in the test's folder
        QTest::newRow("an image of 0 bytes") << QStringList{"--write-firmware", file, "--size", "0"} << 2
                                             << QByteArray("--size must be a number of bytes from 1 to 131072");
        QTest::newRow("one byte past t's 64 KB") << QStringList{"--write-firmware", file, "--cpu", "t", "--size", "65537"}
                                                 << 2 << QByteArray("from 1 to 65536, the 64 KB area of CPU t");
        QTest::newRow("one byte past W's 756 KB")
            << QStringList{"--write-firmware", file, "--cpu", "W", "--size", "774145"} << 2
            << QByteArray("from 1 to 774144, the 756 KB area of CPU W");
        QTest::newRow("a size in words") << QStringList{"--write-firmware", file, "--size", "5k"} << 2
                                         << QByteArray("--size must be");
        QTest::newRow("a CPU letter in the wrong case") << QStringList{"--write-firmware", file, "--cpu", "T"} << 2
                                                        << QByteArray("--cpu must be t, s or W");
        QTest::newRow("a board of 5 characters") << QStringList{"--write-firmware", file, "--board", "KR012"} << 2
                                                 << QByteArray("--board must be at most 4 characters");
        QTest::newRow("a one-digit minor") << QStringList{"--write-firmware", file, "--version", "3.5"} << 2
                                           << QByteArray("--version must be MAJOR.MINOR");
        QTest::newRow("a hexadecimal minor") << QStringList{"--write-firmware", file, "--version", "3.0A"} << 2
                                             << QByteArray("--version must be MAJOR.MINOR");
        QTest::newRow("a major past 255") << QStringList{"--write-firmware", file, "--version", "256.00"} << 2
                                          << QByteArray("--version must be MAJOR.MINOR");
        QTest::newRow("--cpu without --write-firmware") << QStringList{"--cpu", "t", "--port", "0"} << 2
                                                        << QByteArray("--cpu goes only with --write-firmware");
        QTest::newRow("a folder that does not exist")
            << QStringList{"--write-firmware", "no/such/folder/KESTRA.BIN"} << 1 << QByteArray("cannot write");
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
