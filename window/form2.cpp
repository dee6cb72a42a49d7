#include "window/form2.h"

#include "window/twips.h"
#include "core/module.h"
#include "core/language.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr Testo richiesta{"Per continuare è necessario fornire la Password",
                          "To continue, you must provide the password"};
constexpr Testo annulla{"Annulla", "Cancel"};

// The places of the controls, in the order of Form2's members, and of the dialog.
constexpr std::pair<const char *, Twip> posti[] = {
    {"Label1", {120, 120, 3495, 255}},   {"Label2", {120, 480, 735, 255}},    {"Text1", {1080, 480, 2535, 285}},
    {"Command1", {120, 960, 855, 375}}, {"Command2", {2760, 960, 855, 375}},
};
constexpr Twip dialogo{0, 0, 3735, 1425};

// The texts were laid out for a narrower font than most platforms give:
// shrink them until they fit their boxes rather than cut them.
void riduci_fino_a_entrare(QLabel *etichetta)
{
    QFont carattere = etichetta->font();
    while (QFontMetrics(carattere).horizontalAdvance(etichetta->text()) > etichetta->width()
           && carattere.pointSizeF() > 6)
        carattere.setPointSizeF(carattere.pointSizeF() - 0.25);
    etichetta->setFont(carattere);
}
} // namespace

Form2::Form2(int lingua, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Label1(new QLabel(richiesta.in(lingua), this))
    , Label2(new QLabel(QStringLiteral("Password"), this))
    , Text1(new QLineEdit(QString::fromLatin1(password_predefinita), this))
    , Command1(new QPushButton(annulla.in(lingua), this))
    , Command2(new QPushButton(QStringLiteral("Ok"), this))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Password Login"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    QFont carattere = font();
    carattere.setPointSizeF(8.25);
    setFont(carattere);

    QWidget *const controlli[] = {Label1, Label2, Text1, Command1, Command2};
    for (std::size_t i = 0; i < std::size(posti); ++i) {
        controlli[i]->setObjectName(QLatin1String(posti[i].first));
        controlli[i]->setGeometry(in_pixel(*this, posti[i].second));
    }
    Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    riduci_fino_a_entrare(Label1);
    riduci_fino_a_entrare(Label2);
    setFixedSize(in_pixel(*this, dialogo).size());

    // The dialog opens on OK: Enter accepts the password already in the box.
    setTabOrder(Command2, Command1);
    setTabOrder(Command1, Text1);
    Command2->setDefault(true);
    Command2->setFocus();

    connect(Command2, &QPushButton::clicked, this, [this] {
        emit confermata(Text1->text());
        close();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        emit confermata(QString());
        close();
    });
}

void Form2::keyPressEvent(QKeyEvent *evento)
{
    if (evento->matches(QKeySequence::Cancel))
        Command1->click();
    else
        QDialog::keyPressEvent(evento);
}
