// Times what a history of many records costs: its export as JSON and as
// CSV, and an update's record (opening the history, the attempt's start and
// end) on an empty history against a full one.
//
//     kestra-history-bench [RECORDS]             fill, export and write; RECORDS 100000 by default
//     kestra-history-bench --export json|csv FILE  export FILE to standard output (for /usr/bin/time -v)

#include "history/columns.h"
#include "history/export.h"
#include "history/history_db.h"
#include "history/reader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int scritture = 20; // records written on each history, each through a history opened anew

Tentativo esempio(int n)
{
    Tentativo t;
    t.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    t.inizio = QDateTime(QDate(2020, 1, 1), QTime(8, 0), Qt::UTC).addSecs(n * 97LL);
    t.durata_ms = 12000 + n % 5000;
    t.front_end = QStringLiteral("cli");
    t.versione = QStringLiteral("1.0.0");
    t.stazione = QStringLiteral("banco-%1").arg(n % 7);
    t.unita = QStringLiteral("SN-%1").arg(n);
    t.utente = QStringLiteral("tecnico");
    t.indirizzo = QStringLiteral("192.168.1.1");
    t.porta = 7999;
    t.file = QStringLiteral("KESTRA-%1.BIN").arg(n % 40);
    t.file_sha256 = QStringLiteral("5d41402abc4b2a76b9719d911017c5925d41402abc4b2a76b9719d911017c592");
    t.cpu = QStringLiteral("s");
    t.bootloader = QStringLiteral("1.2");
    t.firmware = QStringLiteral("3.05");
    t.scheda = t.scheda_dispositivo = QStringLiteral("KR01");
    t.crc16_memorizzato = t.crc16 = QStringLiteral("7BD");
    t.firmware_dispositivo = QStringLiteral("2.15");
    t.nome_dispositivo = QStringLiteral("KESTRA01");
    t.data_dispositivo = QStringLiteral("05.03.18");
    t.pagine = 404;
    t.rinvii = n % 3;
    t.codice_uscita = n % 10 ? 0 : 9;
    t.classe = n % 10 ? QStringLiteral("completed") : QStringLiteral("transfer");
    t.testo = n % 10 ? QStringLiteral("Programming started...") : QStringLiteral("Transfer error, \"page\" 12");
    t.cancellato = n % 10 == 0;
    return t;
}

void avviso(const QString &testo)
{
    std::fprintf(stderr, "%s\n", qPrintable(testo));
}

// `quanti` records in one transaction, as the writer would have left them.
void riempi(const QString &percorso, int quanti)
{
    StoricoSqlite(percorso, avviso).prepara();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), percorso);
    db.setDatabaseName(percorso);
    db.open();
    db.transaction();
    QSqlQuery query(db);
    const QStringList nomi = nomi_salvati();
    query.prepare(QStringLiteral("INSERT INTO aggiornamenti (%1) VALUES (%2)")
                      .arg(nomi.join(u','), QStringLiteral("?,").repeated(nomi.size()).chopped(1)));
    for (int n = 0; n < quanti; ++n) {
        const Tentativo t = esempio(n);
        for (const Colonna &colonna : colonne()) {
            if (colonna.salvata())
                query.addBindValue(colonna.leggi(t));
        }
        query.exec();
    }
    db.commit();
}

double esporta(const QString &percorso, FormatoEsportazione formato, QIODevice &uscita)
{
    QElapsedTimer tempo;
    tempo.start();
    Esportazione esportazione(uscita, formato);
    LettoreLocale(percorso).leggi({}, [&](const Tentativo &t) { esportazione.scrivi(t); });
    return tempo.nsecsElapsed() / 1e6;
}

// The mean of an update's record: the history opened, the attempt begun and ended.
double scrittura(const QString &percorso)
{
    StoricoSqlite(percorso, avviso).inizio(esempio(-1)); // the driver loaded, the file in the cache
    QElapsedTimer tempo;
    tempo.start();
    for (int n = 0; n < scritture; ++n) {
        StoricoSqlite storico(percorso, avviso);
        const Tentativo t = esempio(n);
        storico.inizio(t);
        storico.fine(t);
    }
    return tempo.nsecsElapsed() / 1e6 / scritture;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList argomenti = app.arguments().mid(1);
    QFile uscita;
    uscita.open(stdout, QIODevice::WriteOnly);
    if (argomenti.size() == 3 && argomenti[0] == QLatin1String("--export")) {
        const auto formato = argomenti[1] == QLatin1String("csv") ? FormatoEsportazione::Csv : FormatoEsportazione::Json;
        const double ms = esporta(argomenti[2], formato, uscita);
        std::fprintf(stderr, "export: %.0f ms\n", ms);
        return 0;
    }
    bool numero = argomenti.isEmpty();
    const int quanti = numero ? 100000 : argomenti[0].toInt(&numero);
    if (!numero || quanti < 0 || argomenti.size() > 1) {
        std::fprintf(stderr, "usage: kestra-history-bench [records]    (default 100000)\n"
                             "       kestra-history-bench --export json|csv FILE\n");
        return 2;
    }
    QTemporaryDir cartella;
    const QString vuoto = cartella.filePath(QStringLiteral("empty.sqlite"));
    const QString pieno = cartella.filePath(QStringLiteral("full.sqlite"));
    QElapsedTimer tempo;
    tempo.start();
    riempi(vuoto, 0);
    riempi(pieno, quanti);
    QTextStream testo(stdout);
    testo << "history of " << quanti << " records filled in " << tempo.elapsed() << " ms, "
          << QFile(pieno).size() / 1024 << " KB\n";
    QFile nulla(QStringLiteral("/dev/null"));
    nulla.open(QIODevice::WriteOnly);
    testo << "export as JSON: " << esporta(pieno, FormatoEsportazione::Json, nulla) << " ms\n";
    testo << "export as CSV: " << esporta(pieno, FormatoEsportazione::Csv, nulla) << " ms\n";
    testo << "an update's record, the history opened anew: " << scrittura(vuoto) << " ms on an empty history, "
          << scrittura(pieno) << " ms on the full one\n";
    testo << "(peak memory: /usr/bin/time -v " << app.applicationFilePath() << " --export json|csv FILE)\n";
    return 0;
}
