#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUuid>

// A database connection of one object's own, under a name no other takes,
// closed and forgotten when it goes (after the queries made on it).
class Connessione
{
public:
    explicit Connessione(const QString &driver)
        : m_nome(QStringLiteral("storico-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase::addDatabase(driver, m_nome);
    }
    ~Connessione()
    {
        QSqlDatabase::database(m_nome, false).close();
        QSqlDatabase::removeDatabase(m_nome);
    }
    Connessione(const Connessione &) = delete;
    Connessione &operator=(const Connessione &) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_nome, false); }

private:
    const QString m_nome;
};

// Prepares `sql`, binds `valori` in order and runs it.
inline bool esegui(QSqlQuery &query, const QString &sql, const QVariantList &valori = {})
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &valore : valori)
        query.addBindValue(valore);
    return query.exec();
}

// What went wrong, in the database's words when it gave some.
inline QString testo_errore(const QSqlError &errore)
{
    return errore.databaseText().isEmpty() ? errore.text() : errore.databaseText();
}
