#pragma once

#include "core/attempt.h"
#include "core/checksums.h"
#include "core/identity.h"
#include "core/outcome.h"
#include "engine/link.h"
#include "engine/report.h"

#include <QElapsedTimer>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

struct TipoCpu;

// The variables that the steps of an update share.
struct StatoCondiviso
{
    QString indirizzo;          // the module's address as typed
    std::filesystem::path file; // chosen firmware file, as the system names it
    QString nome_file;          // its name, without its folder
    QString percorso_firmware;  // its folder, with the trailing separator
    QString password;          // last password confirmed at the prompt
    Risposta risposta{};        // answer to the last message

    char tipo_cpu = 0;            // CPU letter of the loaded file
    const TipoCpu *cpu;           // codice_cpu: the last known type; an unknown letter leaves it
    QByteArray byte_intestazione; // header of the loaded file, as read
    qint64 byte_immagine = 0;     // what follows the header in the loaded file
    std::optional<qint32> crc_immagine; // of its image in whole pages, once the transfer read it
    bool file_controllato = false;      // the file was checked, and is not read again to be opened
    QString sha256_file;                // of the whole file, once read whole
    RegistroCrc crc;              // crc_alto, crc_basso, crc16
    IdentitaDispositivo identita; // the device's, as last told; none after "FWI=???"

    int pagine_inviate = 0;  // pages sent by the last transfer
    int rinvii = 0;          // half pages the last transfer sent again
    qint64 ms_scrittura = 0; // how long the pages of the last transfer took
    bool cancellato = false; // the device was erased and has not verified an image since
    bool verdetto_ignoto = false; // the run ended while the device's verdict was on its way
    bool forzato = false;    // a refusal of the last transfer was overridden

    // What the verification sends: the CPU type, pages and CRC16 of the last
    // transfer that completed, whatever file was opened since.
    struct Trasferimento
    {
        const TipoCpu *cpu;
        int pagine_inviate = 0;
        RegistroCrc crc;
    } trasferito;

    StatoCondiviso();
};

// Who records the update attempts, and as whom.
struct Registrazione
{
    Storico *storico = nullptr; // none: nothing is recorded
    QString front_end;          // "window" or "cli"
    QString versione;           // the program's
    bool codici_di_uscita = false; // the record keeps kestra-flash's exit code of its outcome
    QString stazione;           // the station's name
    QString unita;              // the receiver's label, as the operator gave it
    QString utente;             // the account that runs the program
};

// What every conversation with the module works with: the link, the front
// end that shows what happens, the shared state and the steps on offer.
class Sessione
{
public:
    Sessione(Collegamento &link, Rapporto &rapporto, QString indirizzo_access_point, quint16 porta);

    Collegamento &link;
    Rapporto &rapporto;
    StatoCondiviso stato;
    const QString indirizzo_access_point; // where the module is in Access Point mode
    const quint16 porta;

    // What the update has learned so far.
    Fatti fatti() const;

    // The address typed is the Access Point's, exactly.
    bool all_access_point() const { return stato.indirizzo == indirizzo_access_point; }

    // Asks, or tells; the answer goes to risposta.
    Risposta chiedi(Domanda domanda, const QStringList &valori = {});
    void avvisa(Avviso avviso, const QStringList &valori = {});
    void stato_in(const Testo &testo, const QString &valore = {});
    void segna(Tappa tappa, StatoTappa stato) { rapporto.tappa(tappa, stato); }

    // A step ends as the status says, or as the message says once shown.
    Esito esito_stato(TipoEsito tipo, const Testo &testo, const QString &valore = {});
    Esito esito_avviso(TipoEsito tipo, Avviso avviso, const QStringList &valori = {});
    // The program is ending: nothing more is shown.
    static Esito interrotto() { return Esito::di_stato(TipoEsito::Interrotto, testo_interrotto); }

    // An update attempt starts with the erase of the device, and ends with an outcome.
    void inizia_tentativo();
    // Its transfer completed: the CRC16 sent is its.
    void tentativo_trasferito();
    // `segnale`: the one that interrupted the run, 0 for none.
    void concludi_tentativo(const Esito &esito, int segnale = 0);
    // A run that reached the device and erased nothing on purpose (skipped,
    // refused for another board): a record begun and ended at once.
    void registra_senza_cancellare(const Esito &esito);
    bool tentativo_in_corso() const { return m_tentativo.has_value(); }
    Registrazione registrazione;
    // An identity is whole (20 bytes, or "FWI=???") or it is none; false: the
    // reply after the fixed wait is shown whatever it holds.
    bool identita_intera = false;
    // The device's verdict is on its way: the verification command has left.
    bool verdetto_in_arrivo = false;

    Passi passi() const { return m_passi; }
    void imposta_passi(std::initializer_list<std::pair<Passo, bool>> passi);

private:
    Passi m_passi = Passo::Connetti;
    Tentativo nuovo_tentativo() const;
    void chiudi(Tentativo &tentativo, const Esito &esito, int segnale) const;

    std::optional<Tentativo> m_tentativo;
    QElapsedTimer m_durata_tentativo;
};

// The SHA-256 of the bytes, in hexadecimal.
QString sha256_di(const QByteArray &byte);

// The user is kept waiting until released or destroyed, so that every way
// out of a step ends the wait.
class Occupato
{
public:
    explicit Occupato(Rapporto &rapporto) : m_rapporto(&rapporto) { rapporto.occupato(true); }
    ~Occupato() { rilascia(); }
    Occupato(const Occupato &) = delete;
    Occupato &operator=(const Occupato &) = delete;

    void rilascia()
    {
        if (m_rapporto)
            m_rapporto->occupato(false);
        m_rapporto = nullptr;
    }

private:
    Rapporto *m_rapporto;
};
