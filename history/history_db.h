#pragma once

#include "core/attempt.h"
#include "history/connection.h"
#include "history/export.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct RigaLocale;

// The update history of a station, in an SQLite file shared by the window
// and kestra-flash, and by several of them at once: written with a
// write-ahead log and a busy time-out of 5 s.
//
// Opening it for writing brings an older file to this program's schema in
// place, in one transaction, keeping every record. A file written by a newer
// program is never written: it is told once, and updates go on unrecorded.
// Nothing is checked at opening but what the opening reads: damage is found
// in SQLite's answers, to the pages an update touches, so an update's cost
// does not grow with the history. A damaged file's records that can still be
// read are copied into a new file before the damaged one is moved aside as
// "history.sqlite.damaged-<time>", never deleted; the message says how many
// were kept and where the old file went.
//
// A history that cannot be opened or written (a read-only folder, a full
// disk) is told to `avviso`, each problem once, and never stops an update.
class StoricoSqlite final : public Storico
{
public:
    StoricoSqlite(QString percorso, std::function<void(const QString &)> avviso);
    StoricoSqlite(const StoricoSqlite &) = delete;
    StoricoSqlite &operator=(const StoricoSqlite &) = delete;

    // Opens (and migrates) the file now, so that the first attempt does not wait for it.
    void prepara() { aperto(); }

    // Records the attempt, as not ended, under its id; one without an id is given one.
    void inizio(const Tentativo &tentativo) override;
    // Ends the record whose id is `tentativo.id` (without an id: the one begun
    // last), once: a record that has ended does not change.
    void fine(const Tentativo &tentativo) override;

    // The records, newest first, at most `limite` of them (0: all); nothing
    // when the history cannot be read. A LettoreLocale on percorso() says more.
    std::optional<QList<Tentativo>> elenco(int limite);

    const QString &percorso() const { return m_percorso; }

    // The outbox, for InvioStorico (history/sync.h).
    // Calls `fatto` after each record written.
    void dopo_ogni_scrittura(std::function<void()> fatto) { m_dopo_scrittura = std::move(fatto); }
    // Up to `quanti` records whose latest changes the server lacks, from the
    // key after `dopo` on, oldest first; nothing, with why in `errore`, when
    // the history cannot be read.
    std::optional<QList<RigaLocale>> da_inviare(qint64 dopo, int quanti, QString &errore);
    // The records of `inviati` that have not changed since they were read
    // stop waiting; false, with why, when the file cannot be written.
    bool segna_inviati(const QList<RigaLocale> &inviati, QString &errore);
    // How many records wait for the server; -1 when the history cannot be read.
    qint64 in_attesa();

private:
    enum class Stato { DaAprire, Aperto, PiuNuovo, Inservibile };

    bool aperto();
    Stato apri();
    std::optional<int> apri_e_migra(QSqlError &errore);
    bool recupera();
    void scrivi(const QString &sql, const QVariantList &valori);
    void avvisa(const QString &perche);

    const QString m_percorso;
    const Connessione m_connessione{QStringLiteral("QSQLITE")};
    std::function<void(const QString &)> m_avviso;
    std::function<void()> m_dopo_scrittura;
    Stato m_stato = Stato::DaAprire;
    QString m_ultimo_id; // of the attempt begun last
    QStringList m_detti; // the problems already told
};

// history.sqlite in the user's data folder (XDG_DATA_HOME where it is set).
QString percorso_storico();
