#pragma once

#include "core/language.h"

#include <QString>
#include <span>

// A control whose caption is rewritten whenever the language changes.
struct DidascaliaControllo
{
    const char *controllo; // objectName of the control
    Testo testo;
};

// Frame1, Frame2, Command1..Command7, Check1 and Label9.
std::span<const DidascaliaControllo> didascalie_fisse();

// The caption of menu_lingua: the language in force.
QString titolo_menu_lingua(int lingua);

// Prefixes of the labels that show a value.
namespace prefisso {
inline constexpr Testo scheda{"Scheda:", "Board:"};
inline constexpr Testo nome_file{"Nome file:", "File name:"};
inline constexpr Testo data{"Data:", "Date:"};
} // namespace prefisso

// A label that shows a value after a prefix ("Scheda: " + board).
struct EtichettaConPrefisso
{
    const char *controllo; // objectName of the label
    Testo prefisso;        // without the blank that precedes the value
};

// Label7, Label12, Label13, Label14, in the order they are swapped.
std::span<const EtichettaConPrefisso> etichette_con_prefisso();

// The label's caption with the other language's prefix replaced by the
// prefix of `lingua`; a caption that does not start with the other prefix
// becomes the bare new prefix.
QString scambia_prefisso(const QString &didascalia, const Testo &prefisso, int lingua);

// The prefix of `lingua`, a blank and the value: "Scheda: " + value.
QString con_prefisso(const Testo &prefisso, int lingua, const QString &valore);

// Names for assistive technology of the controls that show no text of their own.
namespace nome_accessibile {
inline constexpr Testo stato{"Stato", "Status"};
inline constexpr Testo avanzamento{"Avanzamento", "Progress"};
// The two "Connetti" buttons, told apart.
inline constexpr Testo connetti_modulo{"Connetti al modulo", "Connect to the module"};
inline constexpr Testo connetti_dispositivo{"Connetti al dispositivo", "Connect to the device"};
} // namespace nome_accessibile

// What a screen reader says of a lamp: what it shows, then its state for the
// colour (0 red, 1 yellow, 2 green): "Connessione: attiva".
QString descrizione_lampada(QStringView controllo, int colore, int lingua);
