#include "history/salvage.h"

#include "history/columns.h"
#include "history/local_rows.h"

#include <QDateTime>
#include <QFile>

namespace {

const QString sqlite = QStringLiteral("QSQLITE");
const QString accessori[] = {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")};

struct Copia
{
    qint64 tenuti = 0, persi = 0;
    QString errore; // writing the new file failed
};

// Copies what can be read of `da` into the new file `a`.
Copia copia(const QString &da, const QString &a)
{
    Copia c;
    const Connessione lettura(sqlite), scrittura(sqlite);
    QSqlDatabase nuovo = scrittura.db();
    nuovo.setDatabaseName(a);
    QSqlError errore;
    if (!nuovo.open() || !schema_locale::migra(nuovo, errore)) {
        c.errore = testo_errore(nuovo.isOpen() ? errore : nuovo.lastError());
        return c;
    }
    // A file that is no database, or whose table cannot be found, keeps nothing.
    const std::optional<schema_locale::Lettura> colonne_file =
        apri_in_lettura(lettura, da, errore) ? schema_locale::lettura(lettura.db(), errore) : std::nullopt;
    if (!colonne_file || !colonne_file->tabella)
        return c;
    QStringList nomi = nomi_salvati();
    nomi << QStringLiteral("seq") << QStringLiteral("unsent");
    QSqlQuery query(nuovo);
    if (!nuovo.transaction()
        || !query.prepare(QStringLiteral("INSERT INTO aggiornamenti (%1) VALUES (%2)")
                              .arg(nomi.join(u','), QStringLiteral("?,").repeated(nomi.size()).chopped(1)))) {
        c.errore = testo_errore(query.lastError().isValid() ? query.lastError() : nuovo.lastError());
        return c;
    }
    const Scansione s = scorri(lettura.db(), *colonne_file, {}, {}, [&](const RigaLocale &r) {
        Tentativo t = r.tentativo;
        if (t.id.isEmpty()) // from a history older than ids
            t.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        for (const Colonna &colonna : colonne()) {
            if (colonna.salvata())
                query.addBindValue(colonna.leggi(t));
        }
        query.addBindValue(r.seq);
        query.addBindValue(r.non_inviate);
        return query.exec() && ++c.tenuti;
    });
    c.persi = s.non_letti;
    if (query.lastError().isValid() || !nuovo.commit())
        c.errore = testo_errore(query.lastError().isValid() ? query.lastError() : nuovo.lastError());
    return c;
}

} // namespace

Recupero recupera_storico(const QString &percorso)
{
    const QString ora = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmsszzz"));
    const QString accanto = percorso + QStringLiteral(".damaged-") + ora;
    const QString nuovo = percorso + QStringLiteral(".salvage-") + ora;
    const Copia c = copia(percorso, nuovo);
    if (!c.errore.isEmpty()) {
        QFile::remove(nuovo);
        return {false, QStringLiteral("the file is damaged, and its records could not be copied to %1: %2")
                           .arg(nuovo, c.errore)};
    }
    for (const QString &suffisso : accessori) {
        if (QFile::exists(percorso + suffisso) && !QFile::rename(percorso + suffisso, accanto + suffisso)) {
            QFile::remove(nuovo);
            return {false, QStringLiteral("the file is damaged and cannot be moved aside")};
        }
    }
    if (!QFile::rename(nuovo, percorso))
        return {false, QStringLiteral("the file was damaged: moved aside to %1; the %2 records that could still be "
                                      "read are in %3, which could not take its place")
                           .arg(accanto)
                           .arg(c.tenuti)
                           .arg(nuovo)};
    return {true, QStringLiteral("the file was damaged: moved aside to %1; the %2 records that could still be read "
                                 "are kept in a new history, %3 could not be read")
                      .arg(accanto)
                      .arg(c.tenuti)
                      .arg(c.persi)};
}
