#pragma once

#include "core/attempt.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The update history in an SQLite database, shared by the window and
// kestra-flash, and by several of them at once: written with a write-ahead
// log and a busy time-out. A file that is not a sound database is moved
// aside, never deleted, and a new one is started. A history that cannot be
// opened or written (a read-only folder, a full disk) is told once to
// `avviso` and then left alone: no update ever waits or fails for it.
class StoricoSqlite final : public Storico
{
public:
    StoricoSqlite(QString percorso, std::function<void(const QString &)> avviso);
    ~StoricoSqlite() override;
    StoricoSqlite(const StoricoSqlite &) = delete;
    StoricoSqlite &operator=(const StoricoSqlite &) = delete;

    // Opens the database now, so that the first attempt does not wait for it.
    void prepara() { aperto(); }

    void inizio(const Tentativo &tentativo) override;
    void fine(const Tentativo &tentativo) override;

    // The attempts recorded, newest first, at most `limite` of them (0: all);
    // nothing when the history cannot be read.
    std::optional<QList<Tentativo>> elenco(int limite);

private:
    bool aperto();
    bool apri();
    void avvisa(const QString &perche);

    const QString m_percorso;
    const QString m_connessione; // the name of this instance's database connection
    std::function<void(const QString &)> m_avviso;
    enum class Stato { DaAprire, Aperto, Inservibile } m_stato = Stato::DaAprire;
    qint64 m_riga = -1; // of the attempt begun last
};

// history.sqlite in the user's data folder (XDG_DATA_HOME where it is set).
QString percorso_storico();

// An attempt as a JSON object, with the names of the history's columns;
// "completed" is false for one that never ended (its program was killed).
QJsonObject in_json(const Tentativo &tentativo);
