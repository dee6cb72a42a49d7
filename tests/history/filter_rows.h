#pragma once

#include "history/reading.h"
#include "records.h"

#include <QTest>

// The listings every reader of the history answers alike, on the six
// attempts of filtrati(): FW0 to FW2 on banco-1, FW3 to FW5 on banco-2, the
// odd ones "transfer", the even ones "completed".
inline QList<Tentativo> filtrati()
{
    QList<Tentativo> tentativi;
    for (int n = 0; n < 6; ++n)
        tentativi.append(concluso(di_prova(n, n < 3 ? QStringLiteral("banco-1") : QStringLiteral("banco-2")), n));
    return tentativi;
}

// A bound written in a row: "t3" the time FW3 started, "id2" FW2's id, "id?" an id no record has.
inline std::optional<Estremo> estremo(const QString &scritto, const QList<Tentativo> &tentativi)
{
    if (scritto.isEmpty())
        return std::nullopt;
    if (scritto == QLatin1String("id?"))
        return QStringLiteral("00000000-0000-4000-8000-000000000000");
    const Tentativo &t = tentativi.at(scritto.back().digitValue());
    return scritto.startsWith(u't') ? Estremo(t.inizio) : Estremo(t.id);
}

inline void righe_filtri()
{
    QTest::addColumn<QString>("dal");
    QTest::addColumn<QString>("al");
    QTest::addColumn<QString>("stazione");
    QTest::addColumn<QString>("classe");
    QTest::addColumn<int>("limite");
    QTest::addColumn<QStringList>("attesi"); // the files listed; none at all: the listing fails
    const QStringList tutti{"FW5.BIN", "FW4.BIN", "FW3.BIN", "FW2.BIN", "FW1.BIN", "FW0.BIN"};
    QTest::newRow("everything, newest first") << "" << "" << "" << "" << 0 << tutti;
    QTest::newRow("since a time") << "t3" << "" << "" << "" << 0 << tutti.mid(0, 3);
    QTest::newRow("until a record's id") << "" << "id2" << "" << "" << 0 << tutti.mid(3);
    QTest::newRow("between a record's id and a time") << "id1" << "t4" << "" << "" << 0 << tutti.mid(1, 4);
    QTest::newRow("a station and a class") << "" << "" << "banco-2" << "completed" << 0 << QStringList{"FW4.BIN"};
    QTest::newRow("the newest two since a time") << "t1" << "" << "" << "" << 2 << tutti.mid(0, 2);
    QTest::newRow("an id no record has: told") << "id?" << "" << "" << "" << 0 << QStringList();
}

// Lists with the row's filter through `lettore` and compares with the row.
inline void verifica_filtro(LettoreStorico &lettore, const QList<Tentativo> &tentativi)
{
    QFETCH(QString, dal);
    QFETCH(QString, al);
    QFETCH(QString, stazione);
    QFETCH(QString, classe);
    QFETCH(int, limite);
    QFETCH(QStringList, attesi);
    const FiltroStorico filtro{estremo(dal, tentativi), estremo(al, tentativi), stazione, classe, limite};
    QStringList elencati;
    const EsitoLettura esito = lettore.leggi(filtro, [&](const Tentativo &t) { elencati.append(t.file); });
    QCOMPARE(elencati, attesi);
    QVERIFY2(esito.letto == !attesi.isEmpty(), qPrintable(esito.perche));
    QCOMPARE(esito.letti, attesi.size());
}
