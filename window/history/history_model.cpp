#include "window/history/history_model.h"

#include "core/language.h"

#include <QApplication>
#include <QStyle>

#include <array>

namespace {

constexpr std::array<Testo, ModelloStorico::numero_colonne> intestazioni{{
    {"Ora (UTC)", "Time (UTC)"},
    {"Stazione", "Station"},
    {"File", "File"},
    {"Dispositivo", "Device"},
    {"Esito", "Result"},
    {"Durata", "Duration"},
    {"Reinvii", "Resends"},
    {"Cancellato", "Left erased"},
}};

// What a record's icon says: updated, not updated though nothing was harmed, failed.
enum class Segno { Riuscito, NonAggiornato, Fallito };

constexpr QStyle::StandardPixmap icone[] = {
    QStyle::SP_DialogApplyButton,
    QStyle::SP_MessageBoxInformation,
    QStyle::SP_MessageBoxCritical,
};

// How a record's class reads, and its icon.
struct Classe
{
    const char *nome;
    Testo testo;
    Segno segno;
};

constexpr Classe classi[] = {
    {"completed", {"Completato", "Completed"}, Segno::Riuscito},
    {"skipped", {"Già aggiornato: nulla cancellato", "Already current: nothing erased"}, Segno::Riuscito},
    {"board", {"Rifiutato: altra scheda, nulla cancellato", "Refused: another board, nothing erased"}, Segno::NonAggiornato},
    {"erase", {"Fallito: cancellazione", "Failed: erase"}, Segno::Fallito},
    {"transfer", {"Fallito: trasferimento", "Failed: transfer"}, Segno::Fallito},
    {"verification", {"Fallito: verifica CRC16", "Failed: CRC16 verification"}, Segno::Fallito},
    {"interrupted", {"Interrotto", "Interrupted"}, Segno::Fallito},
    {"declined", {"Annullato dall'utente", "Declined by the user"}, Segno::NonAggiornato},
};
constexpr Testo fallito_altro{"Fallito: %1", "Failed: %1"};
constexpr Testo non_concluso{"Non concluso: il programma è terminato", "Not completed: the program ended"};
constexpr Testo si{"Sì", "Yes"};

const Classe *classe_di(const Tentativo &tentativo)
{
    for (const Classe &classe : classi) {
        if (tentativo.classe == QLatin1String(classe.nome))
            return &classe;
    }
    return nullptr;
}

Segno segno(const Tentativo &tentativo)
{
    const Classe *classe = classe_di(tentativo);
    return tentativo.concluso() && classe ? classe->segno : Segno::Fallito;
}

} // namespace

void ModelloStorico::imposta(QList<Tentativo> tentativi)
{
    beginResetModel();
    m_tentativi = std::move(tentativi);
    endResetModel();
}

void ModelloStorico::imposta_lingua(int lingua)
{
    m_lingua = lingua;
    if (!m_tentativi.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, numero_colonne - 1));
    emit headerDataChanged(Qt::Horizontal, 0, numero_colonne - 1);
}

int ModelloStorico::rowCount(const QModelIndex &genitore) const
{
    return genitore.isValid() ? 0 : int(m_tentativi.size());
}

int ModelloStorico::columnCount(const QModelIndex &genitore) const
{
    return genitore.isValid() ? 0 : numero_colonne;
}

QString ModelloStorico::testo(const Tentativo &t, int colonna) const
{
    switch (Colonna(colonna)) {
    case Ora: return t.inizio.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case Stazione: return t.unita.isEmpty() ? t.stazione : t.stazione + QStringLiteral(" / ") + t.unita;
    case File: return QStringList{t.file, t.firmware}.join(u' ').trimmed();
    case Dispositivo: return QStringList{t.scheda_dispositivo, t.firmware_dispositivo}.join(u' ').trimmed();
    case Esito: {
        if (!t.concluso())
            return non_concluso.in(m_lingua);
        const Classe *classe = classe_di(t);
        return classe ? classe->testo.in(m_lingua) : fallito_altro.in(m_lingua, t.classe);
    }
    case Durata: return t.concluso() ? QStringLiteral("%1 s").arg(double(t.durata_ms) / 1000, 0, 'f', 1) : QString();
    case Rinvii: return QString::number(t.rinvii);
    case Cancellato: return t.cancellato ? si.in(m_lingua) : QString();
    case numero_colonne: break;
    }
    return {};
}

QVariant ModelloStorico::data(const QModelIndex &indice, int ruolo) const
{
    if (!indice.isValid() || indice.row() >= m_tentativi.size())
        return {};
    const Tentativo &t = m_tentativi.at(indice.row());
    switch (ruolo) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return testo(t, indice.column());
    case Qt::ToolTipRole: return indice.column() == Esito ? t.testo : QVariant();
    case Qt::DecorationRole: {
        QStyle *stile = QApplication::style();
        if (indice.column() == Esito)
            return stile->standardIcon(icone[int(segno(t))]);
        if (indice.column() == Cancellato && t.cancellato)
            return stile->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    }
    default: return {};
    }
}

QVariant ModelloStorico::headerData(int sezione, Qt::Orientation orientamento, int ruolo) const
{
    if (orientamento != Qt::Horizontal || ruolo != Qt::DisplayRole || sezione < 0 || sezione >= numero_colonne)
        return QAbstractTableModel::headerData(sezione, orientamento, ruolo);
    return intestazioni[std::size_t(sezione)].in(m_lingua);
}
