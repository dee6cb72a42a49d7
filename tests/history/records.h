#pragma once

#include "history/history_db.h"
#include "history/reading.h"

#include <QTest>
#include <QUuid>

// The attempts the history's tests record: the n-th starts n seconds after 10:00 on 7 December 2026, to the
// millisecond, and differs from the others in its id, file and unit.
inline Tentativo di_prova(int n, const QString &stazione = QStringLiteral("banco-1"))
{
    return {.id = QUuid::createUuid().toString(QUuid::WithoutBraces),
            .inizio = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC).addMSecs(n * 1000 + 250),
            .front_end = "cli", .versione = "1.0.0", .stazione = stazione, .unita = QStringLiteral("SN-%1").arg(n),
            .utente = "tecnico", .forzato = n % 3 == 0, .indirizzo = "127.0.0.1", .porta = 7999,
            .file = QStringLiteral("FW%1.BIN").arg(n), .file_sha256 = "ab12", .cpu = "s", .bootloader = "1.2",
            .firmware = "2.13", .scheda = "KR01", .crc16_memorizzato = "1A98", .firmware_dispositivo = "2.15",
            .scheda_dispositivo = "KR02", .nome_dispositivo = "KESTRA01", .data_dispositivo = "05.03.18",
            .crc16 = {}, .codice_uscita = {}, .classe = {}, .testo = {}, .cancellato = true};
}

// The attempt ended: "completed" when n is even, "transfer" when it is odd.
inline Tentativo concluso(Tentativo t, int n = 1)
{
    t.durata_ms = 5200;
    t.pagine = 512;
    t.crc16 = "EB3";
    t.rinvii = 3;
    t.codice_uscita = n % 2 ? 9 : 0;
    t.classe = n % 2 ? "transfer" : "completed";
    t.testo = "Transfer error";
    t.cancellato = n % 2;
    return t;
}

// Records `t` begun, then ended as concluso(t, n); what it recorded.
inline Tentativo registra(Storico &storico, const Tentativo &t, int n = 1)
{
    storico.inizio(t);
    storico.fine(concluso(t, n));
    return concluso(t, n);
}

// The listings every reader of the history answers alike, of the six
// attempts verifica_filtro() records: FW0 to FW2 on banco-1, FW3 to FW5 on
// banco-2, the odd ones "transfer", the even ones "completed".
using Filtro = FiltroStorico (*)(const QList<Tentativo> &);

inline void righe_filtri()
{
    QTest::addColumn<Filtro>("filtro");
    QTest::addColumn<QStringList>("attesi"); // the files listed; none at all: the listing fails
    const QStringList tutti{"FW5.BIN", "FW4.BIN", "FW3.BIN", "FW2.BIN", "FW1.BIN", "FW0.BIN"};
    using T = const QList<Tentativo> &;
    using F = FiltroStorico;
    QTest::newRow("until an id") << +[](T t) { return F{{}, t[2].id, "", "", 0}; } << tutti.mid(3);
    QTest::newRow("from an id to a time") << +[](T t) { return F{t[1].id, t[4].inizio, "", "", 0}; } << tutti.mid(1, 4);
    QTest::newRow("a station, a class") << +[](T) { return F{{}, {}, "banco-2", "completed", 0}; } << tutti.mid(1, 1);
    QTest::newRow("the newest two from a time") << +[](T t) { return F{t[1].inizio, {}, "", "", 2}; } << tutti.first(2);
    QTest::newRow("an id no record has: told") << +[](T) { return F{di_prova(9).id, {}, "", "", 0}; } << QStringList();
}

inline void verifica_filtro(StoricoSqlite &storico, LettoreStorico &lettore)
{
    QFETCH(Filtro, filtro);
    QFETCH(QStringList, attesi);
    QList<Tentativo> tentativi;
    for (int n = 0; n < 6; ++n)
        tentativi.append(registra(storico, di_prova(n, n < 3 ? "banco-1" : "banco-2"), n));
    QStringList elencati;
    const EsitoLettura esito = lettore.leggi(filtro(tentativi), [&](const Tentativo &t) { elencati.append(t.file); });
    QCOMPARE(elencati, attesi);
    QVERIFY2(esito.letto == !attesi.isEmpty(), qPrintable(esito.perche));
    QCOMPARE(esito.letti, attesi.size());
}
