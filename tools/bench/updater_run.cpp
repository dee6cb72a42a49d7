#include "tools/bench/updater_run.h"

#include "window/form1.h"
#include "testing/scripted_dialogs.h"
#include "core/statuses.h"
#include "engine/command_channel.h"
#include "history/history_db.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>

namespace {

constexpr const char *indirizzo_simulatore = "127.0.0.1";
// Loopback too, and not the simulator's: the typed 127.0.0.1 is "another address".
constexpr const char *altro_indirizzo_ap = "127.0.0.2";
constexpr int attesa_collegamento_ms = 5000;

// The window and its dialogs, with the simulator's address typed in Text1.
class Finestra
{
public:
    Finestra(const char *indirizzo_ap, quint16 porta, const QString &cartella)
        : m_form1(dialoghi, m_canale, &m_storico, {m_storico.percorso(), {}}, cartella, QString::fromLatin1(indirizzo_ap),
                  porta)
    {
        m_form1.avvia();
        casella("Text1")->setText(QString::fromLatin1(indirizzo_simulatore));
    }

    bool abilitato(const char *nome) const { return pulsante(nome)->isEnabled(); }

    // Waits up to a few seconds for the link to the simulator to be up.
    bool collegata()
    {
        QTcpSocket &socket = *m_canale.findChild<QTcpSocket *>(QStringLiteral("Winsock1"));
        return socket.state() == QAbstractSocket::ConnectedState || socket.waitForConnected(attesa_collegamento_ms);
    }

    // Clicks a button and returns once its handler has; false when it is disabled.
    bool clicca(const char *nome)
    {
        if (!abilitato(nome))
            return false;
        pulsante(nome)->click();
        return true;
    }

    bool in_stato(const Testo &stato) const
    {
        return casella("Text2")->text() == stato.in(0);
    }

    QString stato() const { return casella("Text2")->text(); }

    DialoghiScriptati dialoghi;

private:
    QLineEdit *casella(const char *nome) const { return m_form1.findChild<QLineEdit *>(QLatin1String(nome)); }
    QPushButton *pulsante(const char *nome) const { return m_form1.findChild<QPushButton *>(QLatin1String(nome)); }

    // As the program builds it: the TCP channel and the history in the user's data folder.
    CanaleComandi m_canale;
    StoricoSqlite m_storico{percorso_storico(), [](const QString &perche) { qWarning("%s", qPrintable(perche)); }};
    Form1 m_form1;
};

Misura fallita(const char *cosa, const Finestra &finestra)
{
    return {0, 0, QStringLiteral("%1 (status: \"%2\")").arg(QLatin1String(cosa), finestra.stato())};
}

// Connects, opens `file` and identifies the device, as a user would; Yes
// will answer the confirmation of the update.
bool prepara(Finestra &finestra, const QString &file)
{
    finestra.dialoghi.file = {file};
    finestra.dialoghi.risposte = {Risposta::Si};
    // The identification waits a fixed time for its reply, so it starts, as
    // a user's click would, once the link is up.
    return finestra.clicca("Command5") && finestra.collegata() && finestra.clicca("Command6")
           && finestra.clicca("Command7");
}

} // namespace

Misura misura_aggiornamento(quint16 porta, const QString &file, const QString &cartella)
{
    Finestra finestra(indirizzo_simulatore, porta, cartella);
    if (!prepara(finestra, file))
        return fallita("connecting, opening or identifying failed", finestra);

    const Cronometro cronometro;
    const bool cliccati = finestra.clicca("Command2") && finestra.clicca("Command4");
    Misura misura = cronometro.ferma();
    if (!cliccati || !finestra.in_stato(stato::programmazione_avviata))
        return fallita("the update did not complete", finestra);
    return misura;
}

Misura misura_attesa_silenziosa(quint16 porta, const QString &cartella)
{
    Finestra finestra(altro_indirizzo_ap, porta, cartella);
    const Cronometro cronometro;
    const bool cliccato = finestra.clicca("Command5");
    Misura misura = cronometro.ferma();
    // Once the wait is over the link counts as ready and a file can be opened.
    if (!cliccato || !finestra.abilitato("Command6"))
        return fallita("the connection did not become ready", finestra);
    return misura;
}

FineAggiornamento aggiorna_con_finestra(quint16 porta, const QString &file, const QString &cartella)
{
    Finestra finestra(indirizzo_simulatore, porta, cartella);
    if (!prepara(finestra, file))
        return {QStringLiteral("connecting, opening or identifying failed (status: \"%1\")").arg(finestra.stato()),
                {}};
    if (!finestra.clicca("Command2"))
        return {QStringLiteral("the transfer could not start (status: \"%1\")").arg(finestra.stato()), {}};
    // A transfer that failed leaves nothing to verify: its status is the outcome.
    if (finestra.abilitato("Command4"))
        finestra.clicca("Command4");
    return {{}, finestra.stato()};
}
