#pragma once

#include "core/attempt.h"

#include <QAbstractTableModel>
#include <QList>

// The records the history view shows, newest first, a row each, in the
// window's language. A failure and a receiver left erased say so in words
// and with an icon, never in colour alone.
class ModelloStorico final : public QAbstractTableModel
{
public:
    enum Colonna { Ora, Stazione, File, Dispositivo, Esito, Durata, Rinvii, Cancellato, numero_colonne };

    using QAbstractTableModel::QAbstractTableModel;

    void imposta(QList<Tentativo> tentativi);
    void imposta_lingua(int lingua);
    const Tentativo &tentativo(int riga) const { return m_tentativi.at(riga); }

    int rowCount(const QModelIndex &genitore = {}) const override;
    int columnCount(const QModelIndex &genitore = {}) const override;
    QVariant data(const QModelIndex &indice, int ruolo = Qt::DisplayRole) const override;
    QVariant headerData(int sezione, Qt::Orientation orientamento, int ruolo = Qt::DisplayRole) const override;

private:
    QString testo(const Tentativo &tentativo, int colonna) const;

    QList<Tentativo> m_tentativi;
    int m_lingua = 0;
};
