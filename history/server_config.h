#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where the plant's history server is, from a URL of the form
// postgresql://USER@HOST[:PORT]/DBNAME[?OPTIONS]. HOST may be a Unix
// socket's folder, percent-encoded (postgresql://kestra@%2Fvar%2Frun%2Fpostgresql/kestra).
// OPTIONS (key=value&...) go to the driver as connect options, such as
// sslmode=verify-full. A URL never holds a password: PostgreSQL's client
// reads it from ~/.pgpass, the file PGPASSFILE names, or PGPASSWORD.
struct IndirizzoServer
{
    QString utente, host, database;
    int porta = -1;     // -1: PostgreSQL's own
    QStringList opzioni; // "key='value'", as the driver passes them on
    QString testo;       // the URL as it was given
};

// The server of `url`; nothing, with why in `errore`, for a URL of another
// form or one that holds a password.
std::optional<IndirizzoServer> leggi_url(const QString &url, QString &errore);

// The two configuration files, lines "url = ..." and "station = ...".
struct FileConfigurazione
{
    QString utente;   // the user's: ~/.config/kestra-updater/history.conf
    QString stazione; // the station's: /etc/kestra-updater/history.conf
};
FileConfigurazione file_predefiniti();

struct ConfigurazioneServer
{
    std::optional<IndirizzoServer> server; // none: no server, or its URL was refused
    QString stazione; // this station's name: the files' "station", else the host's name
    QString origine;  // where the URL was found: "--history-url", "KESTRA_HISTORY_URL" or a file
    QString errore;   // why the URL was refused, or a file could not be read
};

// The server's URL, from the first of: `esplicito` (--history-url), the
// variable KESTRA_HISTORY_URL, the user's file, the station's file.
ConfigurazioneServer trova_configurazione(const QString &esplicito, const FileConfigurazione &file = file_predefiniti());
