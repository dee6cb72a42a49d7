#include "window/form1.h"
#include "window/lamp.h"
#include "window/twips.h"
#include "core/captions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

enum class Tipo { Cornice, Pulsante, Etichetta, EtichettaDestra, Casella, Lampada, Spunta, Barra };

// Every control of the window with its design-time caption and its place in
// twips (left, top, width, height) inside its container.
struct Controllo
{
    const char *nome;
    Tipo tipo;
    const char *contenitore; // nullptr: the window itself
    const char *testo;       // nullptr: the Italian one of the captions that follow the language
    Twip posto;
};

QString testo_di_progetto(const Controllo &c)
{
    if (c.testo)
        return QString::fromUtf8(c.testo);
    const std::span<const DidascaliaControllo> didascalie = didascalie_fisse();
    const auto didascalia = std::ranges::find_if(
        didascalie, [&c](const DidascaliaControllo &d) { return qstrcmp(d.controllo, c.nome) == 0; });
    return didascalia == didascalie.end() ? QString() : didascalia->testo.in(0);
}

constexpr Controllo controlli[] = {
    {"Frame1", Tipo::Cornice, nullptr, nullptr, {120, 120, 4455, 1455}},
    {"Command5", Tipo::Pulsante, "Frame1", nullptr, {240, 360, 1095, 375}},
    {"Command3", Tipo::Pulsante, "Frame1", nullptr, {240, 840, 1095, 375}},
    {"Label9", Tipo::EtichettaDestra, "Frame1", nullptr, {1560, 360, 1095, 255}},
    {"Text1", Tipo::Casella, "Frame1", "192.168.1.1", {2760, 360, 1455, 285}},
    {"Shape4", Tipo::Lampada, "Frame1", "", {3840, 840, 375, 375}},
    {"Frame3", Tipo::Cornice, nullptr, "Firmware", {120, 1680, 4455, 1335}},
    {"Command6", Tipo::Pulsante, "Frame3", nullptr, {240, 360, 1095, 375}},
    {"Label3", Tipo::Etichetta, "Frame3", "CPU:", {1800, 240, 2535, 255}},
    {"Label4", Tipo::Etichetta, "Frame3", "BootLoader:", {1800, 480, 2535, 255}},
    {"Label5", Tipo::Etichetta, "Frame3", "Firmware:", {1800, 720, 2535, 255}},
    {"Label7", Tipo::Etichetta, "Frame3", "Scheda:", {1800, 960, 2535, 255}},
    {"Frame2", Tipo::Cornice, nullptr, nullptr, {120, 3120, 4455, 3255}},
    {"Command7", Tipo::Pulsante, "Frame2", nullptr, {240, 360, 1095, 375}},
    {"Command2", Tipo::Pulsante, "Frame2", nullptr, {240, 1320, 1095, 375}},
    {"Command4", Tipo::Pulsante, "Frame2", nullptr, {240, 1800, 1095, 375}},
    {"Label11", Tipo::Etichetta, "Frame2", "Firmware:", {1800, 240, 1815, 255}},
    {"Label12", Tipo::Etichetta, "Frame2", "Scheda:", {1800, 480, 1215, 255}},
    {"Label13", Tipo::Etichetta, "Frame2", "Nome file:", {1800, 720, 1815, 255}},
    {"Label14", Tipo::Etichetta, "Frame2", "Data:", {1800, 960, 1815, 255}},
    {"Label1", Tipo::EtichettaDestra, "Frame2", "CRC16", {2280, 1320, 615, 255}},
    {"Text4", Tipo::Casella, "Frame2", "", {3000, 1320, 615, 285}},
    {"Text2", Tipo::Casella, "Frame2", "", {240, 2280, 3975, 375}},
    {"ProgressBar1", Tipo::Barra, "Frame2", "", {240, 2760, 3975, 255}},
    {"Shape3", Tipo::Lampada, "Frame2", "", {3840, 360, 375, 375}},
    {"Shape1", Tipo::Lampada, "Frame2", "", {3840, 1320, 375, 375}},
    {"Shape2", Tipo::Lampada, "Frame2", "", {3840, 1800, 375, 375}},
    {"Check1", Tipo::Spunta, nullptr, nullptr, {120, 6600, 2175, 255}},
    {"Command1", Tipo::Pulsante, nullptr, nullptr, {3600, 6480, 975, 375}},
};

constexpr Twip area_client{0, 0, 4695, 6990};

QWidget *crea(Tipo tipo, const QString &testo, QWidget *contenitore)
{
    switch (tipo) {
    case Tipo::Cornice: {
        auto *cornice = new QGroupBox(testo, contenitore);
        QFont grassetto = cornice->font();
        grassetto.setBold(true);
        cornice->setFont(grassetto);
        return cornice;
    }
    case Tipo::Pulsante: return new QPushButton(testo, contenitore);
    case Tipo::Etichetta:
    case Tipo::EtichettaDestra: {
        // They show bytes of the file and of the device: character for character, never markup.
        auto *etichetta = new QLabel(testo, contenitore);
        etichetta->setTextFormat(Qt::PlainText);
        if (tipo == Tipo::EtichettaDestra)
            etichetta->setAlignment(Qt::AlignRight | Qt::AlignTop);
        return etichetta;
    }
    case Tipo::Casella: return new QLineEdit(testo, contenitore);
    case Tipo::Lampada: {
        auto *quadrato = new QFrame(contenitore);
        quadrato->setFrameShape(QFrame::Box);
        quadrato->setAutoFillBackground(true);
        lampada::mostra(quadrato, StatoTappa::DaFare, 0);
        return quadrato;
    }
    case Tipo::Spunta: return new QCheckBox(testo, contenitore);
    case Tipo::Barra: {
        auto *barra = new QProgressBar(contenitore);
        barra->setRange(0, 100);
        barra->setValue(0);
        barra->setTextVisible(false);
        return barra;
    }
    }
    return nullptr;
}

} // namespace

void Form1::crea_controlli()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("area"));
    setCentralWidget(area);
    QFont carattere = area->font();
    carattere.setPointSizeF(8.25);
    carattere.setBold(false); // explicit, or the frames' bold would reach their controls
    area->setFont(carattere);

    area->setFixedSize(in_pixel(*this, area_client).size());

    for (const Controllo &c : controlli) {
        QWidget *contenitore = c.contenitore ? area->findChild<QWidget *>(QLatin1String(c.contenitore)) : area;
        QWidget *controllo = crea(c.tipo, testo_di_progetto(c), contenitore);
        controllo->setObjectName(QLatin1String(c.nome));
        if (c.tipo != Tipo::Cornice)
            controllo->setFont(carattere);
        controllo->setGeometry(in_pixel(*this, c.posto));
    }

    const auto trova = [area]<typename T>(T *&campo, const char *nome) {
        campo = area->findChild<T *>(QLatin1String(nome));
    };
    trova(Command1, "Command1");
    trova(Command2, "Command2");
    trova(Command3, "Command3");
    trova(Command4, "Command4");
    trova(Command5, "Command5");
    trova(Command6, "Command6");
    trova(Command7, "Command7");
    trova(Label3, "Label3");
    trova(Label4, "Label4");
    trova(Label5, "Label5");
    trova(Label7, "Label7");
    trova(Label11, "Label11");
    trova(Label12, "Label12");
    trova(Label13, "Label13");
    trova(Label14, "Label14");
    trova(Text1, "Text1");
    trova(Text2, "Text2");
    trova(Text4, "Text4");
    trova(Shape1, "Shape1");
    trova(Shape2, "Shape2");
    trova(Shape3, "Shape3");
    trova(Shape4, "Shape4");
    trova(Check1, "Check1");
    trova(ProgressBar1, "ProgressBar1");

    // The status line and the CRC16 box show what the program writes.
    Text2->setReadOnly(true);
    Text4->setReadOnly(true);
    // Screen readers name a box after its label, and Tab follows the reading order.
    area->findChild<QLabel *>(QStringLiteral("Label9"))->setBuddy(Text1);
    area->findChild<QLabel *>(QStringLiteral("Label1"))->setBuddy(Text4);
    QWidget *const ordine[] = {Command5, Text1, Command3, Command6, Command7, Command2,
                               Text4, Command4, Text2, Check1, Command1};
    for (std::size_t i = 1; i < std::size(ordine); ++i)
        setTabOrder(ordine[i - 1], ordine[i]);
}
