#include "programming/commands.h"
#include "programming/firmware_image.h"
#include "programming/replies.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int intestazione = 15;
constexpr int pagina_byte = 256;

// Bytes that tell every position apart and include 0x00 and 0xFF.
QByteArray sequenza(int lunghezza)
{
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (int i = 0; i < lunghezza; ++i)
        dati[i] = char((i * 7 + i / 256) % 256);
    return dati;
}

QString scrivi(const QTemporaryDir &cartella, const QByteArray &contenuto)
{
    const QString percorso = cartella.filePath(QStringLiteral("FW.BIN"));
    QFile file(percorso);
    if (!file.open(QIODevice::WriteOnly) || file.write(contenuto) != contenuto.size())
        qFatal("cannot write the firmware file");
    return percorso;
}

// A 15-byte header naming a CPU letter and bootloader 1.2.
QByteArray intestazione_di(char cpu)
{
    QByteArray testa(intestazione, '\0');
    testa[1] = cpu;
    testa[4] = 1;
    testa[5] = 2;
    return testa;
}

int codice_di(char cpu)
{
    return QByteArray("-tsW").indexOf(cpu) > 0 ? int(QByteArray("-tsW").indexOf(cpu)) : 0;
}

QString errore_in(const ImmagineFirmware &immagine, int lingua)
{
    return immagine.errore ? immagine.errore->in(lingua) : QString();
}

} // namespace

class TestPages : public QObject
{
    Q_OBJECT

private slots:
    void numero_pagine_data()
    {
        QTest::addColumn<qsizetype>("lunghezza");
        QTest::addColumn<int>("pagine");
        QTest::newRow("empty") << qsizetype(0) << 0;
        QTest::newRow("one byte") << qsizetype(1) << 1;
        QTest::newRow("255") << qsizetype(255) << 1;
        QTest::newRow("256") << qsizetype(256) << 1;
        QTest::newRow("257") << qsizetype(257) << 2;
        QTest::newRow("1000") << qsizetype(1000) << 4;
        QTest::newRow("1024") << qsizetype(1024) << 4;
        QTest::newRow("page 300 reached") << qsizetype(300 * 256 + 1) << 301;
        QTest::newRow("largest image") << qsizetype(32767) * 256 << 32767;
    }
    void numero_pagine()
    {
        QFETCH(qsizetype, lunghezza);
        QFETCH(int, pagine);
        QCOMPARE(::numero_pagine(lunghezza), pagine);
    }

    void pagina_data()
    {
        QTest::addColumn<int>("lunghezza");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("dall_immagine"); // bytes taken from the image, the rest is 0xFF
        QTest::newRow("1000: first page") << 1000 << 0 << 256;
        QTest::newRow("1000: third page") << 1000 << 2 << 256;
        QTest::newRow("1000: last 232 bytes and 24 of filler") << 1000 << 3 << 232;
        QTest::newRow("512: last page without filler") << 512 << 1 << 256;
        QTest::newRow("under a page") << 100 << 0 << 100;
        QTest::newRow("one byte") << 1 << 0 << 1;
        QTest::newRow("page 300 of 301") << 300 * 256 + 200 << 300 << 200;
    }
    void pagina()
    {
        QFETCH(int, lunghezza);
        QFETCH(int, n);
        QFETCH(int, dall_immagine);
        const QByteArray dati = sequenza(lunghezza);
        const QByteArray atteso = dati.mid(n * pagina_byte, dall_immagine)
                                  + QByteArray(pagina_byte - dall_immagine, '\xFF');
        QCOMPARE(::pagina(dati, n), atteso);
    }

    void le_pagine_ricompongono_l_immagine()
    {
        const QByteArray dati = sequenza(5 * pagina_byte + 17);
        QByteArray ricomposta;
        for (int n = 0; n < ::numero_pagine(dati.size()); ++n)
            ricomposta += ::pagina(dati, n);
        QCOMPARE(ricomposta.size(), 6 * pagina_byte);
        QCOMPARE(ricomposta.first(dati.size()), dati);
        QCOMPARE(ricomposta.sliced(dati.size()), QByteArray(pagina_byte - 17, '\xFF'));
    }

    void immagine_dopo_l_intestazione_data()
    {
        QTest::addColumn<char>("cpu");
        QTest::addColumn<int>("lunghezza");
        QTest::newRow("one byte") << 't' << 1;
        QTest::newRow("1000 bytes") << 't' << 1000;
        QTest::newRow("whole pages") << 't' << 4 * pagina_byte;
        QTest::newRow("t: 64 KB") << 't' << 64 * 1024;
        QTest::newRow("s: 128 KB") << 's' << 128 * 1024;
        QTest::newRow("W: 756 KB") << 'W' << 756 * 1024;
        QTest::newRow("unknown type: 32767 pages") << 'x' << pagine_massime * pagina_byte;
    }
    void immagine_dopo_l_intestazione()
    {
        QFETCH(char, cpu);
        QFETCH(int, lunghezza);
        QTemporaryDir cartella;
        const QByteArray testa = intestazione_di(cpu);
        const QByteArray dati = sequenza(lunghezza);
        const ImmagineFirmware immagine = leggi_immagine(scrivi(cartella, testa + dati), testa, codice_di(cpu));
        QVERIFY(!immagine.errore);
        QCOMPARE(immagine.dati, dati);
    }

    void immagine_rifiutata_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("contenuto"); // nothing: no file at all
        QTest::addColumn<QByteArray>("aperta");                   // the header when it was opened
        QTest::addColumn<char>("cpu");
        QTest::addColumn<QString>("italiano");
        QTest::addColumn<QString>("inglese");
        const QString vuoto_it = QStringLiteral("Errore: file firmware senza dati");
        const QString vuoto_en = QStringLiteral("Error: firmware file holds no data");
        const QString grande_it = QStringLiteral("Errore: file firmware troppo grande");
        const QString grande_en = QStringLiteral("Error: firmware file too large");
        const QString cambiato_it = QStringLiteral("Errore: file firmware cambiato, riaprirlo");
        const QString cambiato_en = QStringLiteral("Error: firmware file changed, open it again");
        const auto file = [](char cpu, qsizetype dati) {
            return std::optional<QByteArray>(intestazione_di(cpu) + QByteArray(dati, 'x'));
        };
        QTest::newRow("gone") << std::optional<QByteArray>() << intestazione_di('t') << 't' << cambiato_it
                              << cambiato_en;
        QTest::newRow("another CPU type") << file('W', 100) << intestazione_di('t') << 't' << cambiato_it
                                          << cambiato_en;
        QByteArray bootloader_13 = intestazione_di('t');
        bootloader_13[5] = 3;
        QTest::newRow("another bootloader") << file('t', 100) << bootloader_13 << 't' << cambiato_it << cambiato_en;
        QTest::newRow("cut inside the header") << std::optional<QByteArray>(intestazione_di('t').first(10))
                                               << intestazione_di('t') << 't' << cambiato_it << cambiato_en;
        QTest::newRow("empty file, opened empty") << std::optional<QByteArray>(QByteArray()) << QByteArray() << 't'
                                                  << vuoto_it << vuoto_en;
        QTest::newRow("header only") << file('t', 0) << intestazione_di('t') << 't' << vuoto_it << vuoto_en;
        QTest::newRow("t: 64 KB + 1") << file('t', 64 * 1024 + 1) << intestazione_di('t') << 't' << grande_it
                                      << grande_en;
        QTest::newRow("s: 128 KB + 1") << file('s', 128 * 1024 + 1) << intestazione_di('s') << 's' << grande_it
                                       << grande_en;
        QTest::newRow("W: 756 KB + 1") << file('W', 756 * 1024 + 1) << intestazione_di('W') << 'W' << grande_it
                                       << grande_en;
        QTest::newRow("unknown type: one byte past 32767 pages")
            << file('x', pagine_massime * qsizetype(pagina_byte) + 1) << intestazione_di('x') << 'x' << grande_it
            << grande_en;
    }
    void immagine_rifiutata()
    {
        QFETCH(std::optional<QByteArray>, contenuto);
        QFETCH(QByteArray, aperta);
        QFETCH(char, cpu);
        QFETCH(QString, italiano);
        QFETCH(QString, inglese);
        QTemporaryDir cartella;
        const QString percorso = contenuto ? scrivi(cartella, *contenuto) : cartella.filePath(QStringLiteral("NO.BIN"));
        const ImmagineFirmware immagine = leggi_immagine(percorso, aperta, codice_di(cpu));
        QCOMPARE(errore_in(immagine, 0), italiano);
        QCOMPARE(errore_in(immagine, 1), inglese);
        QVERIFY(immagine.dati.isEmpty());
    }

    void una_cartella_non_e_un_file()
    {
        QTemporaryDir cartella;
        QVERIFY(QDir(cartella.path()).mkdir(QStringLiteral("FW.BIN")));
        const ImmagineFirmware immagine = leggi_immagine(cartella.filePath(QStringLiteral("FW.BIN")), {}, 1);
        QCOMPARE(errore_in(immagine, 0), QStringLiteral("Errore: file firmware non leggibile"));
    }

    void file_senza_permesso_di_lettura()
    {
        QTemporaryDir cartella;
        const QString percorso = scrivi(cartella, intestazione_di('t') + sequenza(300));
        QFile::setPermissions(percorso, QFileDevice::WriteOwner);
        QFile prova(percorso);
        if (prova.open(QIODevice::ReadOnly))
            QSKIP("this user reads files whatever their permissions");
        QCOMPARE(errore_in(leggi_immagine(percorso, intestazione_di('t'), 1), 0),
                 QStringLiteral("Errore: file firmware non leggibile"));
    }

    void giudica_mezza_pagina_data()
    {
        QTest::addColumn<int>("dati_ricevuti");
        QTest::addColumn<QByteArray>("buffer_rx");
        QTest::addColumn<RispostaMezzaPagina>("giudizio");
        QTest::newRow("A") << 1 << QByteArray("A") << RispostaMezzaPagina::Accettata;
        QTest::newRow("N") << 1 << QByteArray("N") << RispostaMezzaPagina::ScritturaFallita;
        QTest::newRow("C") << 1 << QByteArray("C") << RispostaMezzaPagina::ChecksumErrato;
        QTest::newRow("A with more after it") << 1 << QByteArray("AA") << RispostaMezzaPagina::Altro;
        QTest::newRow("A and a line end") << 1 << QByteArray("A\r\n") << RispostaMezzaPagina::Altro;
        QTest::newRow("A after a zero byte") << 1 << QByteArray("\0A", 2) << RispostaMezzaPagina::Altro;
        QTest::newRow("lower-case a") << 1 << QByteArray("a") << RispostaMezzaPagina::Altro;
        QTest::newRow("lower-case n") << 1 << QByteArray("n") << RispostaMezzaPagina::Altro;
        QTest::newRow("lower-case c") << 1 << QByteArray("c") << RispostaMezzaPagina::Altro;
        QTest::newRow("N then C") << 1 << QByteArray("NC") << RispostaMezzaPagina::Altro;
        QTest::newRow("C twice") << 1 << QByteArray("CC") << RispostaMezzaPagina::Altro;
        QTest::newRow("other letter") << 1 << QByteArray("E") << RispostaMezzaPagina::Altro;
        QTest::newRow("nothing") << 0 << QByteArray() << RispostaMezzaPagina::Altro;
        QTest::newRow("A without an arrival") << 0 << QByteArray("A") << RispostaMezzaPagina::Altro;
    }
    void giudica_mezza_pagina()
    {
        QFETCH(int, dati_ricevuti);
        QFETCH(QByteArray, buffer_rx);
        QFETCH(RispostaMezzaPagina, giudizio);
        QCOMPARE(::giudica_mezza_pagina(dati_ricevuti, buffer_rx), giudizio);
    }

    void risposta_accettata_data()
    {
        QTest::addColumn<int>("dati_ricevuti");
        QTest::addColumn<QByteArray>("buffer_rx");
        QTest::addColumn<bool>("accettata");
        QTest::newRow("A") << 1 << QByteArray("A") << true;
        QTest::newRow("AA") << 1 << QByteArray("AA") << false;
        QTest::newRow("lower-case a") << 1 << QByteArray("a") << false;
        QTest::newRow("E") << 1 << QByteArray("E") << false;
        QTest::newRow("N") << 1 << QByteArray("N") << false;
        QTest::newRow("nothing") << 0 << QByteArray() << false;
        QTest::newRow("A without an arrival") << 0 << QByteArray("A") << false;
    }
    void risposta_accettata()
    {
        QFETCH(int, dati_ricevuti);
        QFETCH(QByteArray, buffer_rx);
        QFETCH(bool, accettata);
        QCOMPARE(::risposta_accettata(dati_ricevuti, buffer_rx), accettata);
    }
};

QTEST_GUILESS_MAIN(TestPages)
#include "test_pages.moc"
