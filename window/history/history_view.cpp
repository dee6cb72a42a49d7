#include "window/history/history_view.h"

#include "history/export.h"
#include "history/reader.h"
#include "history/server_reader.h"
#include "window/dialogs.h"
#include "window/history/background.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr Testo titolo{"Cronologia", "History"};
constexpr Testo filtra{"Filtra...", "Filter..."};
constexpr Testo nome_filtro{"Filtro della cronologia", "History filter"};
constexpr Testo nome_tabella{"Aggiornamenti, i più recenti per primi", "Updates, newest first"};
constexpr Testo esporta_csv{"Esporta CSV...", "Export CSV..."};
constexpr Testo chiudi{"Chiudi", "Close"};
constexpr Testo questa_stazione{"Questa stazione", "This station"};
constexpr Testo tutte_le_stazioni{"Tutte le stazioni", "All stations"};
constexpr Testo file_csv{"File CSV (*.csv)", "CSV files (*.csv)"};

// The state line: what was read, and what is wrong.
constexpr Testo mostrati{"%1 aggiornamenti mostrati.", "%1 updates shown."};
constexpr Testo solo_i_piu_recenti{"Solo i %1 più recenti.", "The newest %1 only."};
constexpr Testo illeggibile{"Lo storico non si può leggere: %1", "The history cannot be read: %1"};
constexpr Testo danneggiato{"Lo storico è danneggiato: %1 record non si sono potuti leggere.",
                            "The history is damaged: %1 records could not be read."};
constexpr Testo piu_nuovo{"Lo storico è di una versione più nuova del programma.",
                          "The history was written by a newer version of the program."};
constexpr Testo in_attesa{"%1 record in attesa di invio a %2.", "%1 records wait to be sent to %2."};
constexpr Testo server_con_problema{"Server dello storico: %1", "History server: %1"};
constexpr Testo non_scritto{"Esportazione non riuscita: %1", "The export failed: %1"};

} // namespace

VistaStorico::VistaStorico(Dialoghi &dialoghi, FontiStorico fonti, int lingua, QWidget *parent)
    : QDialog(parent)
    , m_dialoghi(dialoghi)
    , m_fonti(std::move(fonti))
    , m_lingua(lingua)
{
    setObjectName(QStringLiteral("VistaStorico"));
    m_filtrato.setSourceModel(&m_modello);
    m_filtrato.setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_filtrato.setFilterKeyColumn(-1);
    crea_controlli();
    imposta_lingua(lingua);
    aggiorna();
}

void VistaStorico::crea_controlli()
{
    m_filtro = new QLineEdit(this);
    m_filtro->setObjectName(QStringLiteral("filtro"));
    m_filtro->setClearButtonEnabled(true);
    connect(m_filtro, &QLineEdit::textChanged, &m_filtrato, &QSortFilterProxyModel::setFilterFixedString);
    m_ambito = new QComboBox(this);
    m_ambito->setObjectName(QStringLiteral("ambito"));
    m_ambito->addItems({QString(), QString()});
    m_ambito->setVisible(m_fonti.server.server.has_value());
    connect(m_ambito, &QComboBox::currentIndexChanged, this, &VistaStorico::aggiorna);
    m_tabella = new QTableView(this);
    m_tabella->setObjectName(QStringLiteral("tabella"));
    m_tabella->setModel(&m_filtrato);
    m_tabella->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tabella->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tabella->verticalHeader()->hide();
    m_tabella->horizontalHeader()->setStretchLastSection(true);
    m_stato = new QLabel(this);
    m_stato->setObjectName(QStringLiteral("stato"));
    m_stato->setTextFormat(Qt::PlainText);
    m_stato->setWordWrap(true);
    m_esporta = new QPushButton(this);
    m_esporta->setObjectName(QStringLiteral("esporta"));
    connect(m_esporta, &QPushButton::clicked, this, &VistaStorico::esporta);
    m_chiudi = new QPushButton(this);
    m_chiudi->setObjectName(QStringLiteral("chiudi"));
    connect(m_chiudi, &QPushButton::clicked, this, &QDialog::close);

    auto *sopra = new QHBoxLayout;
    sopra->addWidget(m_filtro, 1);
    sopra->addWidget(m_ambito);
    auto *sotto = new QHBoxLayout;
    sotto->addWidget(m_stato, 1);
    sotto->addWidget(m_esporta);
    sotto->addWidget(m_chiudi);
    auto *tutto = new QVBoxLayout(this);
    tutto->addLayout(sopra);
    tutto->addWidget(m_tabella, 1);
    tutto->addLayout(sotto);
    resize(1000, 420);
}

void VistaStorico::imposta_lingua(int lingua)
{
    m_lingua = lingua;
    setWindowTitle(testo(titolo));
    m_filtro->setPlaceholderText(testo(filtra));
    m_filtro->setAccessibleName(testo(nome_filtro));
    m_tabella->setAccessibleName(testo(nome_tabella));
    m_ambito->setItemText(0, testo(questa_stazione));
    m_ambito->setItemText(1, testo(tutte_le_stazioni));
    m_esporta->setText(testo(esporta_csv));
    m_chiudi->setText(testo(chiudi));
    m_modello.imposta_lingua(lingua);
    mostra_stato();
}

void VistaStorico::imposta_salute(const SaluteStorico &salute)
{
    m_salute = salute;
    mostra_stato();
}

void VistaStorico::aggiorna()
{
    FiltroStorico filtro;
    filtro.limite = limite;
    const bool tutte = m_ambito->currentIndex() == 1 && m_fonti.server.server;
    in_sottofondo(
        this,
        [fonti = m_fonti, filtro, tutte] {
            Lettura lettura;
            const auto ricevi = [&lettura](const Tentativo &t) { lettura.tentativi.append(t); };
            lettura.esito = tutte ? LettoreServer(*fonti.server.server).leggi(filtro, ricevi)
                                  : LettoreLocale(fonti.percorso).leggi(filtro, ricevi);
            return lettura;
        },
        [this](const Lettura &lettura) { mostra(lettura); });
}

void VistaStorico::mostra(const Lettura &lettura)
{
    m_modello.imposta(lettura.tentativi);
    m_tabella->resizeColumnsToContents();
    m_letto = lettura.esito;
    mostra_stato();
    emit letto();
}

void VistaStorico::mostra_stato()
{
    QStringList righe = m_salute.problemi;
    if (m_letto) {
        const EsitoLettura &e = *m_letto;
        righe.prepend(e.letti == limite ? testo(solo_i_piu_recenti).arg(limite) : testo(mostrati).arg(e.letti));
        if (!e.letto)
            righe.append(testo(illeggibile).arg(e.perche));
        if (e.non_letti > 0)
            righe.append(testo(danneggiato).arg(e.non_letti));
        if (e.piu_nuovo)
            righe.append(testo(piu_nuovo));
    }
    if (const std::optional<EsitoInvio> &invio = m_salute.invio) {
        if (invio->in_attesa > 0)
            righe.append(testo(in_attesa).arg(invio->in_attesa).arg(invio->server));
        if (invio->problema)
            righe.append(testo(server_con_problema).arg(invio->problema->testo));
    }
    m_stato->setText(righe.join(u'\n'));
    m_stato->setAccessibleName(m_stato->text());
}

void VistaStorico::esporta()
{
    const std::optional<QString> percorso = m_dialoghi.scegli_file_da_scrivere(this, testo(esporta_csv), testo(file_csv));
    if (!percorso)
        return;
    QFile file(*percorso);
    bool scritto = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    Esportazione csv(file, FormatoEsportazione::Csv);
    for (int riga = 0; scritto && riga < m_filtrato.rowCount(); ++riga)
        scritto = csv.scrivi(m_modello.tentativo(m_filtrato.mapToSource(m_filtrato.index(riga, 0)).row()));
    if (!scritto)
        m_stato->setText(testo(non_scritto).arg(file.errorString()));
}
