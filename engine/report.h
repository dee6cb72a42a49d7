#pragma once

#include "core/language.h"
#include "core/messages.h"

#include <QFlags>
#include <QString>
#include <optional>

struct IdentitaDispositivo;
struct IntestazioneFirmware;
struct TipoCpu;

// The four stages of an update that a front end follows, and where each stands.
enum class Tappa { Connessione, Identificazione, Trasferimento, Aggiornamento };
enum class StatoTappa { DaFare, InCorso, Fatta };

// The steps a user may take next.
enum class Passo {
    Connetti = 0x01,    // connect to the module, answer its password
    Disconnetti = 0x02, // close the link
    Apri = 0x04,        // open a firmware file
    Identifica = 0x08,  // ask the device who it is
    Trasferisci = 0x10, // erase and write the image
    Aggiorna = 0x20,    // have the device check the CRC16 and start programming
};
Q_DECLARE_FLAGS(Passi, Passo)
Q_DECLARE_OPERATORS_FOR_FLAGS(Passi)

// How far the erase or the transfer has gone.
struct Avanzamento
{
    enum class Fase { Cancellazione, Trasferimento };
    Fase fase;
    int fatti;    // blocks erased, or pages sent
    int totale;   // blocks to erase, or pages to send
    int percento; // of the whole phase, 0..100
};

// What the update engine tells its front end, the window or the command
// line: each call is something to show, and the questions come back with an
// answer.
class Rapporto
{
public:
    virtual ~Rapporto() = default;

    // The status line; %1 in the text stands for `valore`.
    virtual void stato(const Testo &testo, const QString &valore = {}) = 0;
    virtual void tappa(Tappa tappa, StatoTappa stato) = 0;
    virtual void passi(Passi disponibili) = 0;
    // A firmware file was read: its name and header; `tipo` is nullptr for an
    // unknown CPU letter; the CRC16 of its image in pages, when it was read too.
    virtual void file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione, const TipoCpu *tipo,
                             std::optional<qint32> crc_immagine) = 0;
    // The device told who it is.
    virtual void identita(const IdentitaDispositivo &identita) = 0;
    // The CRC16 of the pages just transferred.
    virtual void crc_trasferito(qint32 crc16) = 0;
    // The module's address to use from now on.
    virtual void indirizzo(const QString &indirizzo) = 0;
    virtual void avanzamento(const Avanzamento &avanzamento) = 0;
    // Work that keeps the user waiting starts (true) or ends (false).
    virtual void occupato(bool occupato) = 0;
    // A question, with the values its text names (messaggio_di() shows it); only Yes leads on.
    virtual Risposta chiedi(Domanda domanda, const QStringList &valori = {}) = 0;
    // A warning or a notice, with the values its text names.
    virtual void avvisa(Avviso avviso, const QStringList &valori = {}) = 0;
    // The module asks for its password: the one confirmed, "" when the user
    // cancelled, nothing when the prompt was closed without either.
    virtual std::optional<QString> chiedi_password() = 0;
};
