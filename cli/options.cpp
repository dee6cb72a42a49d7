#include "cli/options.h"

#include "cli/outcomes.h"
#include "core/firmware_file.h"
#include "core/module.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <numeric>
#include <ranges>

namespace {

constexpr int massimo_numero = 100000;

constexpr std::pair<const char *, NomeComando> comandi[] = {{"check", NomeComando::Controlla},
                                                        {"identify", NomeComando::Identifica},
                                                        {"reset", NomeComando::Riavvia},
                                                        {"history", NomeComando::Storico},
                                                        {"history-sync", NomeComando::Sincronizza}};

// A whole number from 0 up to `massimo` in the option's value.
std::optional<int> numero(const QCommandLineParser &parser, const char *opzione, int massimo)
{
    bool ok = false;
    const int valore = parser.value(opzione).toInt(&ok);
    if (!ok || valore < 0 || valore > massimo)
        return std::nullopt;
    return valore;
}

// The long names of the options, for what a mistyped one was meant to be.
QStringList nomi_lunghi(const QList<QCommandLineOption> &opzioni)
{
    QStringList nomi{QStringLiteral("help"), QStringLiteral("version")};
    for (const QCommandLineOption &opzione : opzioni)
        nomi.append(opzione.names().constLast());
    return nomi;
}

int distanza(QStringView a, QStringView b)
{
    QList<int> riga(b.size() + 1);
    std::iota(riga.begin(), riga.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonale = riga[0];
        riga[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j)
            diagonale = std::exchange(riga[j], std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (a[i - 1] != b[j - 1])}));
    }
    return riga[b.size()];
}

// The option a mistyped one was most likely meant to be: the one it begins,
// or the nearest by a couple of letters; nothing when none is near.
QString piu_vicina(const QString &sbagliata, const QStringList &nomi)
{
    const QStringList inizi = nomi.filter(QRegularExpression(u'^' + QRegularExpression::escape(sbagliata)));
    if (inizi.size() == 1)
        return inizi.first();
    QString scelta;
    int migliore = 3;
    for (const QString &nome : nomi) {
        if (const int d = distanza(sbagliata, nome); d < migliore) {
            migliore = d;
            scelta = nome;
        }
    }
    return scelta;
}

// An IP address, or a host name: labels of letters, digits and hyphens, the
// last not all digits ("300.1.1.1" was meant as an address, and is none).
bool indirizzo_valido(const QString &testo)
{
    if (QHostAddress(testo).isNull() == false)
        return true;
    static const QRegularExpression nome(
        QStringLiteral("^(?=.{1,253}$)([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\\.)*[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\\.?$"));
    return nome.match(testo).hasMatch() && !testo.section(u'.', -1, -1, QString::SectionSkipEmpty).contains(QRegularExpression("^[0-9]+$"));
}

QList<QCommandLineOption> aggiungi_opzioni(QCommandLineParser &parser)
{
    const QString ap = QString::fromLatin1(indirizzo_access_point_predefinito);
    const QString porta = QString::number(porta_modulo);
    parser.setApplicationDescription(QStringLiteral(
        "Updates the firmware of a KESTRA receiver through its Wi-Fi module.\n"
        "  kestra-flash [options] FIRMWARE.BIN   update the device\n"
        "  kestra-flash --check FIRMWARE.BIN     check the file only; no network\n"
        "  kestra-flash --identify [options]     connect, identify, print the identity\n"
        "  kestra-flash --reset [options]        send the module's restart command\n"
        "  kestra-flash --history [filters]      list the update history, newest first\n"
        "  kestra-flash --history-sync           send what the plant's server lacks"));
    const QList<QCommandLineOption> opzioni{
        {{"a", "address"}, "The module's address (default " + ap + ").", "addr", ap},
        {{"p", "port"}, "TCP port (default " + porta + ").", "n", porta},
        {"ap-address", "The address at which the module is in Access Point mode (default " + ap
                           + "); at any other address the first-data wait and the password challenge apply.",
         "addr", ap},
        {"password", "The password for the module's challenge (default the window's); also read from "
                     "KESTRA_PASSWORD.", "pw"},
        {"switch-to-ap", "Answer Yes to the Access Point question."},
        {{"y", "yes"}, "Do not ask before erasing and before the final update (required when standard input "
                       "is not a terminal)."},
        {"force", "Write the file all the same when its image does not have the CRC16 its header gives, or "
                  "when it is for another board than the device reports."},
        {"json", "One JSON object per line on standard output."},
        {"log", "A transcript: every command and reply, in hex, with times.", "file"},
        {"language", "Language of the messages (default from the locale).", "it|en"},
        {"check", "Check the file only; no network."},
        {"identify", "Connect, identify, print the identity."},
        {"reset", "Send the module's restart command."},
        {"history", "List the update history, newest first: a line a record, or with --json or --csv the "
                    "records alone."},
        {"csv", "With --history: the records as CSV (RFC 4180), a header row first."},
        {"since", "With --history: records started at or after this time (ISO 8601, UTC) or record id.", "time|id"},
        {"until", "With --history: records started at or before this time or record id.", "time|id"},
        {"class", "With --history: the records of one class (completed, transfer, skipped, ...).", "name"},
        {"limit", "With --history: only the newest N records.", "n"},
        {"all-stations", "With --history: every station's records, from the plant's history server."},
        {"history-url", "The plant's history server, postgresql://USER@HOST[:PORT]/DBNAME[?OPTIONS] (default "
                        "KESTRA_HISTORY_URL, then history.conf).", "url"},
        {"history-sync", "Send the records the plant's history server lacks, and say how many wait."},
        {"wait", "Keep trying to connect, about once a second, for up to this many seconds.", "seconds"},
        {"retries", "When an update fails once the erase has begun, start again from connecting, up to N more "
                    "times.", "n"},
        {"skip-if-current", "When the device already reports the file's firmware version, erase nothing."},
        {"station", "The station's name in the history (default KESTRA_STATION, history.conf, the host name); "
                    "with --history, that station's records.", "name"},
        {"unit", "The receiver's label or serial number, for the history.", "text"},
    };
    parser.addOptions(opzioni);
    parser.addPositionalArgument("FIRMWARE.BIN", "The firmware file, to update or to --check.");
    return opzioni;
}

// A bound of --since or --until: a time, ISO 8601 (UTC unless it says
// otherwise), or a record's id.
std::optional<Estremo> estremo(const QString &testo)
{
    if (!QUuid::fromString(testo).isNull())
        return testo;
    QDateTime tempo = QDateTime::fromString(testo, Qt::ISODateWithMs);
    if (!tempo.isValid())
        return std::nullopt;
    if (tempo.timeSpec() == Qt::LocalTime)
        tempo.setTimeSpec(Qt::UTC);
    return tempo.toUTC();
}

// The records --history lists; what is wrong, or nothing.
QString leggi_filtro(const QCommandLineParser &parser, Opzioni &opzioni, int limite)
{
    FiltroStorico &filtro = opzioni.filtro;
    filtro.limite = limite;
    const std::pair<const char *, std::optional<Estremo> *> estremi[] = {{"since", &filtro.dal}, {"until", &filtro.al}};
    for (const auto &[nome, valore] : estremi) {
        if (!parser.isSet(nome))
            continue;
        *valore = estremo(parser.value(nome));
        if (!*valore)
            return QStringLiteral("--%1 takes a time (ISO 8601) or a record's id").arg(nome);
    }
    filtro.classe = parser.value("class");
    const auto e_una_classe = [&filtro](int tipo) { return filtro.classe == nome_tipo_esito(TipoEsito(tipo)); };
    const auto tipi = std::views::iota(0, numero_tipi_esito);
    if (!filtro.classe.isEmpty() && std::ranges::none_of(tipi, e_una_classe))
        return QStringLiteral("--class: \"%1\" is no class of outcome (see --help)").arg(filtro.classe);
    if (opzioni.comando == NomeComando::Storico)
        filtro.stazione = parser.value("station");
    return {};
}

// Reads the options into `opzioni`; returns what is wrong, or nothing.
QString leggi(const QCommandLineParser &parser, Opzioni &opzioni)
{
    int scelti = 0;
    for (const auto &[nome, comando] : comandi) {
        if (parser.isSet(nome)) {
            opzioni.comando = comando;
            ++scelti;
        }
    }
    if (scelti > 1)
        return QStringLiteral("--check --identify --reset --history --history-sync: one at most");
    const bool con_file = opzioni.comando == NomeComando::Aggiorna || opzioni.comando == NomeComando::Controlla;
    int limite = 0;
    const std::pair<const char *, int *> numeri[] = {
        {"limit", &limite}, {"wait", &opzioni.attesa_s}, {"retries", &opzioni.tentativi}};
    for (const auto &[nome, valore] : numeri) {
        if (!parser.isSet(nome))
            continue;
        const std::optional<int> letto = numero(parser, nome, massimo_numero);
        if (!letto)
            return QStringLiteral("--%1 must be a number from 0 to %2").arg(nome).arg(massimo_numero);
        *valore = *letto;
    }
    if (const QString errore = leggi_filtro(parser, opzioni, limite); !errore.isEmpty())
        return errore;
    if (parser.positionalArguments().size() != int(con_file))
        return con_file ? QStringLiteral("one firmware file expected") : QStringLiteral("no file expected");
    bool ok = false;
    opzioni.porta = parser.value("port").toUShort(&ok);
    if (!ok || opzioni.porta == 0)
        return QStringLiteral("--port must be a number from 1 to 65535");
    const QString lingua = parser.isSet("language") ? parser.value("language")
                           : QLocale::system().language() == QLocale::Italian ? "it" : "en";
    if (lingua != "it" && lingua != "en")
        return QStringLiteral("--language must be it or en");
    opzioni.lingua = int(lingua == "en");
    opzioni.firmware = parser.positionalArguments().value(0);
    opzioni.file_firmware = percorso_di(opzioni.firmware);
    opzioni.indirizzo = parser.value("address");
    opzioni.indirizzo_access_point = parser.value("ap-address");
    for (const char *nome : {"address", "ap-address"}) {
        if (!indirizzo_valido(parser.value(nome)))
            return QStringLiteral("--%1: \"%2\" is neither an IP address nor a host name").arg(nome, parser.value(nome));
    }
    opzioni.password = parser.isSet("password")                    ? parser.value("password")
                       : qEnvironmentVariableIsSet("KESTRA_PASSWORD") ? qEnvironmentVariable("KESTRA_PASSWORD")
                                                                      : QString::fromLatin1(password_predefinita);
    opzioni.access_point = parser.isSet("switch-to-ap");
    opzioni.si = parser.isSet("yes");
    opzioni.forza = parser.isSet("force");
    opzioni.salta_se_attuale = parser.isSet("skip-if-current");
    opzioni.json = parser.isSet("json");
    opzioni.csv = parser.isSet("csv");
    opzioni.tutte_le_stazioni = parser.isSet("all-stations");
    opzioni.url_storico = parser.value("history-url");
    if (opzioni.json && opzioni.csv)
        return QStringLiteral("--json and --csv exclude each other");
    opzioni.registro = parser.value("log");
    opzioni.stazione = parser.value("station");
    opzioni.unita = parser.value("unit");
    return {};
}

} // namespace

Richiesta leggi_opzioni(const QStringList &argomenti)
{
    QCommandLineParser parser;
    const QCommandLineOption aiuto = parser.addHelpOption();
    const QCommandLineOption versione = parser.addVersionOption();
    const QStringList nomi = nomi_lunghi(aggiungi_opzioni(parser));
    Opzioni opzioni;
    QString errore = parser.parse(argomenti) ? leggi(parser, opzioni) : parser.errorText();
    for (const QString &sconosciuta : parser.unknownOptionNames()) {
        if (const QString vicina = piu_vicina(sconosciuta, nomi); !vicina.isEmpty())
            errore = QStringLiteral("%1; did you mean --%2?").arg(errore.chopped(errore.endsWith(u'.')), vicina);
        break;
    }
    if (parser.isSet(aiuto))
        return {std::nullopt, parser.helpText() + elenco_codici(), 0, {}};
    if (parser.isSet(versione))
        return {std::nullopt, "kestra-flash " + QCoreApplication::applicationVersion() + u'\n', 0, {}};
    if (!errore.isEmpty())
        return {std::nullopt, "kestra-flash: " + errore + "\nTry 'kestra-flash --help'.\n",
                codice_uscita(TipoEsito::Uso), errore};
    return {opzioni, {}, {}, {}};
}
