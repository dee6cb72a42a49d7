#pragma once

#include "tests/scenario/fixture.h"

// The simulator in station mode, reached at 127.0.0.1 while the window's
// Access Point address is "localhost": the password is asked, and after the
// switch to Access Point mode the window connects to "localhost" at once.
inline constexpr const char *ap_localhost = "localhost";

inline OpzioniSimulatore in_stazione(QList<Guasto> guasti = {})
{
    OpzioniSimulatore opzioni;
    opzioni.modo = OpzioniSimulatore::Modo::Stazione;
    opzioni.guasti = std::move(guasti);
    return opzioni;
}

// The image as the pages carry it: filled up to a whole page with 0xFF.
inline QByteArray in_pagine(QByteArray dati)
{
    dati.resize((dati.size() + 255) / 256 * 256, '\xFF');
    return dati;
}

// Image bytes that include 0x00 and 0xFF.
inline QByteArray dati_di_prova(int lunghezza = 1000)
{
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (int i = 0; i < lunghezza; ++i)
        dati[i] = char(i * 7 + i / 256);
    return dati;
}

// What a user does after a fault: disconnect if the link is up, connect again
// (with the password and the switch to Access Point mode when the module
// asks), open the file, identify, transfer and update. True when the update
// ends with the device holding the image.
inline bool completa_aggiornamento(Banco &banco, char cpu = 't', const QByteArray &dati = dati_di_prova())
{
    banco.sim.opzioni().guasti.clear();
    banco.dialoghi.risposte.clear();
    if (banco.pulsante("Command3")->isEnabled())
        banco.clicca("Command3");
    if (!banco.pulsante("Command5")->isEnabled())
        return false;
    if (banco.sim.opzioni().modo == OpzioniSimulatore::Modo::Stazione) {
        banco.rispondi_password(QStringLiteral("40718253"));
        banco.dialoghi.risposte = {risposta_si};
        banco.clicca("Command5");
    }
    banco.clicca("Command5");
    if (!banco.pulsante("Command6")->isEnabled())
        return false;
    banco.apri(banco.scrivi_firmware(Banco::firmware(cpu, dati)));
    banco.clicca("Command7");
    banco.clicca("Command2");
    banco.dialoghi.risposte = {risposta_si};
    banco.clicca("Command4");
    return !banco.dialoghi.mostrati.isEmpty()
           && banco.dialoghi.mostrati.last().testo == QStringLiteral("Aggiornamento terminato.")
           && banco.sim.ultima_verifica_ok() && banco.sim.flash() == in_pagine(dati);
}
