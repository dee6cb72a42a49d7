#include "history/server_config.h"

#include <QFile>
#include <QHash>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString schemi[] = {QStringLiteral("postgresql://"), QStringLiteral("postgres://")};

const QString senza_password = QStringLiteral(
    "a URL with a password is refused: PostgreSQL reads a station's password from ~/.pgpass, "
    "the file PGPASSFILE names, or PGPASSWORD");

QString decodifica(const QString &testo)
{
    return QUrl::fromPercentEncoding(testo.toUtf8());
}

// A value in the driver's key='value' form.
QString tra_apici(QString valore)
{
    return u'\'' + valore.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'")) + u'\'';
}

// The "key = value" lines of a configuration file; nothing when it is missing.
QHash<QString, QString> voci(const QString &percorso, QString &errore)
{
    QHash<QString, QString> trovate;
    QFile file(percorso);
    if (!file.exists())
        return trovate;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        errore = QStringLiteral("%1: %2").arg(percorso, file.errorString());
        return trovate;
    }
    while (!file.atEnd()) {
        const QString riga = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype uguale = riga.indexOf(u'=');
        if (!riga.startsWith(u'#') && uguale > 0)
            trovate.insert(riga.left(uguale).trimmed(), riga.mid(uguale + 1).trimmed());
    }
    return trovate;
}

} // namespace

std::optional<IndirizzoServer> leggi_url(const QString &url, QString &errore)
{
    const auto schema = std::find_if(std::begin(schemi), std::end(schemi),
                                     [&url](const QString &s) { return url.startsWith(s); });
    const qsizetype barra = url.indexOf(u'/', schema == std::end(schemi) ? 0 : schema->size());
    if (schema == std::end(schemi) || barra < 0) {
        errore = QStringLiteral("the URL is not of the form postgresql://USER@HOST[:PORT]/DBNAME[?OPTIONS]");
        return std::nullopt;
    }
    IndirizzoServer s;
    s.testo = url;
    const QString autorita = url.mid(schema->size(), barra - schema->size());
    const qsizetype chiocciola = autorita.lastIndexOf(u'@');
    const QString utente = chiocciola < 0 ? QString() : autorita.left(chiocciola);
    QString host = autorita.mid(chiocciola + 1);
    const qsizetype fine_host = host.startsWith(u'[') ? host.indexOf(u']') + 1 : 0;
    const qsizetype due_punti = host.indexOf(u':', fine_host);
    bool porta_valida = true;
    if (due_punti >= 0) {
        s.porta = host.mid(due_punti + 1).toInt(&porta_valida);
        porta_valida = porta_valida && s.porta >= 1 && s.porta <= 65535;
        host.truncate(due_punti);
    }
    s.utente = decodifica(utente);
    s.host = decodifica(host.startsWith(u'[') ? host.mid(1, host.size() - 2) : host);
    const QString resto = url.mid(barra + 1);
    const qsizetype domanda = resto.indexOf(u'?');
    s.database = decodifica(resto.left(domanda));
    const QUrlQuery opzioni(domanda < 0 ? QString() : resto.mid(domanda + 1));
    for (const auto &[chiave, valore] : opzioni.queryItems(QUrl::FullyDecoded))
        s.opzioni.append(chiave + u'=' + tra_apici(valore));
    if (utente.contains(u':') || opzioni.hasQueryItem(QStringLiteral("password")))
        errore = senza_password;
    else if (!porta_valida)
        errore = QStringLiteral("the URL's port is not a number from 1 to 65535");
    else if (s.host.isEmpty() || s.database.isEmpty())
        errore = QStringLiteral("the URL names no host or no database");
    if (!errore.isEmpty())
        return std::nullopt;
    return s;
}

FileConfigurazione file_predefiniti()
{
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                + QStringLiteral("/kestra-updater/history.conf"),
            QStringLiteral("/etc/kestra-updater/history.conf")};
}

ConfigurazioneServer trova_configurazione(const QString &esplicito, const FileConfigurazione &file)
{
    ConfigurazioneServer c;
    const QHash<QString, QString> utente = voci(file.utente, c.errore);
    const QHash<QString, QString> stazione = voci(file.stazione, c.errore);
    const std::pair<QString, QString> fonti[] = {
        {esplicito, QStringLiteral("--history-url")},
        {qEnvironmentVariable("KESTRA_HISTORY_URL"), QStringLiteral("KESTRA_HISTORY_URL")},
        {utente.value(QStringLiteral("url")), file.utente},
        {stazione.value(QStringLiteral("url")), file.stazione},
    };
    for (const auto &[url, origine] : fonti) {
        if (url.isEmpty())
            continue;
        c.origine = origine;
        QString errore;
        c.server = leggi_url(url, errore);
        if (!c.server)
            c.errore = QStringLiteral("%1: %2").arg(origine, errore);
        break;
    }
    c.stazione = utente.value(QStringLiteral("station"), stazione.value(QStringLiteral("station")));
    if (c.stazione.isEmpty())
        c.stazione = QSysInfo::machineHostName();
    return c;
}
