#pragma once

#include "core/module.h"
#include "core/outcome.h"
#include "engine/session.h"

#include <QObject>

// The update engine: the steps of an update as a front end offers them, each
// a conversation with the module over the link, reported to the front end and
// ending in an outcome. Waits let events happen, so a step may be asked for
// while another waits for the module: it is then refused, as is a step that
// is not on offer. Disconnecting and ending the program are always accepted.
class Aggiornatore : public QObject
{
    Q_OBJECT

public:
    Aggiornatore(Collegamento &link, Rapporto &rapporto,
                 QString indirizzo_access_point = QString::fromLatin1(indirizzo_access_point_predefinito),
                 quint16 porta = porta_modulo);

    Esito connetti();
    Esito disconnetti();
    Esito apri(const std::filesystem::path &percorso); // the firmware file chosen
    Esito identifica();
    // Asks the device who it is on a link that is open, with or without a
    // firmware file (the window asks only once a file is open).
    Esito chiedi_identita();
    Esito trasferisci();
    Esito aggiorna();
    // Restarts the module on a link that is open (the window offers it only
    // when the device does not answer).
    Esito riavvia_modulo();

    // Checks a firmware file as opening it and transferring it would, without
    // the link and without opening it.
    Esito controlla(const std::filesystem::path &percorso);

    // Waits up to ms for the connection to the module to be up; one that is
    // not up by then is given up as a connection error. The window does not
    // wait: it reports the error whenever it comes.
    Esito attendi_collegamento(int ms);

    // The program is ending: every wait ends at once, the link closes and
    // nothing more is sent or shown. `segnale`: the signal that ends it, 0 for none.
    void termina(int segnale = 0);

    // Update attempts are recorded there from now on: each from the start of
    // its erase to its transfer's failure or its verification's end, or to
    // the link's end (interrupted).
    void registra_in(Registrazione registrazione) { m_sessione.registrazione = std::move(registrazione); }
    // Records a run that reached the device and erased nothing on purpose
    // (kestra-flash's --skip-if-current), as `esito` says.
    void registra_senza_cancellare(const Esito &esito) { m_sessione.registra_senza_cancellare(esito); }
    // Ends the attempt under way, if any, as `esito` says (`segnale`: the
    // signal that interrupted the run, 0 for none).
    void chiudi_tentativo(const Esito &esito, int segnale = 0) { m_sessione.concludi_tentativo(esito, segnale); }

    // An identity must be whole (20 bytes, or "FWI=???"): a reply in pieces
    // is awaited a little longer, and one that stays short is no identity.
    // The window shows whatever came after the fixed wait.
    void richiedi_identita_intera() { m_sessione.identita_intera = true; }

    // The module's address, as typed.
    void imposta_indirizzo(const QString &indirizzo) { m_sessione.stato.indirizzo = indirizzo; }
    // The folder the next firmware file is looked for in (from the settings).
    void imposta_percorso_firmware(const QString &cartella) { m_sessione.stato.percorso_firmware = cartella; }

    // The step may be taken now.
    bool disponibile(Passo passo) const;
    Passi passi() const { return m_sessione.passi(); }
    const StatoCondiviso &stato() const { return m_sessione.stato; }
    // The connection to the module is up.
    bool collegato() const { return m_sessione.link.collegato(); }
    // The verification command has left and its verdict is awaited.
    bool verdetto_in_arrivo() const { return m_sessione.verdetto_in_arrivo; }

private:
    // No conversation is running and the program is not ending.
    bool libero() const;
    // Runs a conversation with the module when it is possible now.
    template<typename Conversazione>
    Esito esegui(bool possibile, Conversazione conversazione);
    // The outcome, with what the update has learned so far.
    Esito con_fatti(Esito esito) const;

    Sessione m_sessione;
    bool m_in_conversazione = false;
};
