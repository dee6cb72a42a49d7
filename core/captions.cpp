#include "core/captions.h"

#include <array>

namespace {

constexpr std::array<DidascaliaControllo, 11> didascalie{{
    {"Frame1", {"Connessione al modulo KESTRA", "Connection to KESTRA module"}},
    {"Frame2", {"Aggiornamento", "Update"}},
    {"Command1", {"Esci", "Exit"}},
    {"Command2", {"Trasferisci", "Transfer"}},
    {"Command3", {"Disconnetti", "Disconnect"}},
    {"Command4", {"Aggiorna", "Update"}},
    {"Command5", {"Connetti", "Connect"}},
    {"Command6", {"Apri...", "Open..."}},
    {"Command7", {"Connetti", "Connect"}},
    {"Check1", {"Sempre in primo piano", "Always on top"}},
    {"Label9", {"IP TALVIO", "TALVIO IP"}},
}};

constexpr Testo menu_lingua{"Italiano", "English"};

constexpr std::array<EtichettaConPrefisso, 4> etichette{{
    {"Label7", prefisso::scheda},
    {"Label12", prefisso::scheda},
    {"Label13", prefisso::nome_file},
    {"Label14", prefisso::data},
}};

struct TestiLampada
{
    const char *controllo;
    Testo cosa;
    Testo stati[3]; // red, yellow, green
};

constexpr TestiLampada lampade[] = {
    {"Shape1", {"Trasferimento", "Transfer"},
     {{"non eseguito", "not done"}, {"in corso", "in progress"}, {"completato", "completed"}}},
    {"Shape2", {"Aggiornamento", "Update"},
     {{"non eseguito", "not done"}, {"in corso", "in progress"}, {"completato", "completed"}}},
    {"Shape3", {"Identificazione", "Identification"},
     {{"non eseguita", "not done"}, {"in corso", "in progress"}, {"eseguita", "done"}}},
    {"Shape4", {"Connessione", "Connection"},
     {{"non attiva", "not active"}, {"in corso", "in progress"}, {"attiva", "active"}}},
};

} // namespace

QString descrizione_lampada(QStringView controllo, int colore, int lingua)
{
    for (const TestiLampada &lampada : lampade) {
        if (controllo == QLatin1String(lampada.controllo))
            return lampada.cosa.in(lingua) + QStringLiteral(": ") + lampada.stati[qBound(0, colore, 2)].in(lingua);
    }
    return {};
}

std::span<const DidascaliaControllo> didascalie_fisse()
{
    return didascalie;
}

QString titolo_menu_lingua(int lingua)
{
    return menu_lingua.in(lingua);
}

std::span<const EtichettaConPrefisso> etichette_con_prefisso()
{
    return etichette;
}

QString scambia_prefisso(const QString &didascalia, const Testo &prefisso, int lingua)
{
    const QString vecchio = prefisso.in_altra(lingua);
    const QString nuovo = prefisso.in(lingua);
    if (!didascalia.startsWith(vecchio, Qt::CaseSensitive))
        return nuovo;
    return nuovo + didascalia.mid(vecchio.size());
}

QString con_prefisso(const Testo &prefisso, int lingua, const QString &valore)
{
    return prefisso.in(lingua) + u' ' + valore;
}
