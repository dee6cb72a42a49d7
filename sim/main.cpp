// kestra-sim: the KESTRA Wi-Fi module and the device's bootloader, played on
// this PC so that the updater can be tried without a board.

#include "sim/fault_option.h"
#include "sim/module_simulator.h"
#include "sim/write_firmware.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

constexpr qsizetype byte_mostrati = 48;

struct OpzioneByte
{
    const char *nome;
    quint8 OpzioniSimulatore::*campo;
};

constexpr OpzioneByte opzioni_byte[] = {
    {"major", &OpzioniSimulatore::fw_maggiore},
    {"minor", &OpzioniSimulatore::fw_minore},
    {"date-high", &OpzioniSimulatore::data_alta},
    {"date-low", &OpzioniSimulatore::data_bassa},
};

struct OpzioneTesto
{
    const char *nome;
    QByteArray OpzioniSimulatore::*campo;
};

constexpr OpzioneTesto opzioni_testo[] = {
    {"password", &OpzioniSimulatore::password},
    {"board", &OpzioniSimulatore::scheda},
    {"file-name", &OpzioniSimulatore::nome_file},
};

const char *const descrizione =
    "Plays the KESTRA Wi-Fi module and the bootloader behind it. Replies leave in\n"
    "the order of their commands: a reply held back holds back every later one.\n"
    "Faults: --fault HEAD[#N]:KIND[:ARG], HEAD a command (FWI, PGP, PGX, PAS=, ...\n"
    "or PAS? for the challenge), N its n-th arrival (default every one), KIND one of\n"
    "none, reply, delay, stall, split, cut, drop-before, drop-after, flood; ARG the\n"
    "reply bytes (escapes like \\x41), milliseconds, or for cut BYTES,MS. A reply\n"
    "fault changes only the reply: the command is still carried out. delay holds\n"
    "back the command's reply; stall holds back every reply, earlier ones still on\n"
    "their way included, for that long from the command on; cut sends the reply's\n"
    "first BYTES bytes at once and the rest MS milliseconds later. Examples:\n"
    "  --fault PGP#3:reply:C      the third half page is answered \"C\"\n"
    "  --fault PGX:reply:E        every verification fails\n"
    "  --fault PGP#40:stall:2000  the module stalls for 2 s at the 40th half page\n"
    "  --fault PGP#10:drop-before the tenth half page drops the connection\n"
    "  --fault FWI:none           identification goes unanswered\n"
    "  --fault FWI:cut:6,700      the identity's first 6 bytes, the other 14 0.7 s later\n"
    "\n"
    "--write-firmware FILE writes a firmware file to try an update with, its\n"
    "header's CRC16 the image's (bootloader 1.2, the same bytes for the same\n"
    "options), says what it wrote and exits without listening; --cpu, --size,\n"
    "--board and --version describe it, the other options are not used:\n"
    "  kestra-sim --write-firmware /tmp/KESTRA.BIN --cpu W --size 1000";

void aggiungi_opzioni(QCommandLineParser &parser)
{
    parser.addOptions({
        {"listen", "Address to listen on (default 127.0.0.1).", "address", "127.0.0.1"},
        {"port", "TCP port (default 7999).", "n", "7999"},
        {"mode", "ap, silent on connect (default), or station, which challenges with PAS? and leaves FWI and the "
                 "programming commands unanswered until the password is accepted.", "mode", "ap"},
        {"password", "Password the module accepts (default 40718253).", "text"},
        {"fwi-unknown", "Answer FWI with FWI=???."},
        {"major", "Firmware major version (decimal or 0x hex).", "n"},
        {"minor", "Firmware minor version (decimal or 0x hex).", "n"},
        {"board", "Board name, 4 characters (padded with blanks or cut; with --write-firmware at most 4, "
                  "default KR01).", "text"},
        {"file-name", "Firmware file name, 8 characters.", "text"},
        {"date-high", "Firmware date, high byte.", "n"},
        {"date-low", "Firmware date, low byte.", "n"},
        {"save-image", "Write the verified image to this file.", "file"},
        {"write-ms", "Milliseconds the device takes to write a half page before it answers (default 0).", "n"},
        {"latency-ms", "Milliseconds every reply takes to leave after its command, as over a Wi-Fi link (default 0).",
         "n"},
        {"fault", "Inject a fault (repeatable, see above).", "fault"},
        {"quiet", "Print only the listening line and a line for each verification, not every command and reply."},
    });
}

// Reads the options into `opzioni`; returns what is wrong, or an empty text.
QString leggi_opzioni(const QCommandLineParser &parser, OpzioniSimulatore &opzioni)
{
    const QString fuori_posto = opzioni_firmware_senza_file(parser);
    if (!fuori_posto.isEmpty())
        return fuori_posto;
    const QString modo = parser.value("mode");
    if (modo != "ap" && modo != "station")
        return QStringLiteral("--mode must be ap or station");
    opzioni.modo = modo == "ap" ? OpzioniSimulatore::Modo::AccessPoint : OpzioniSimulatore::Modo::Stazione;
    opzioni.info_non_disponibile = parser.isSet("fwi-unknown");
    const std::pair<const char *, int *> millisecondi[] = {{"write-ms", &opzioni.scrittura_ms},
                                                           {"latency-ms", &opzioni.latenza_ms}};
    for (const auto &[nome, valore] : millisecondi) {
        if (!parser.isSet(nome))
            continue;
        bool ok = false;
        *valore = parser.value(nome).toInt(&ok);
        if (!ok || *valore < 0 || *valore > 60000)
            return QStringLiteral("--%1 must be a number from 0 to 60000").arg(nome);
    }
    opzioni.file_immagine = parser.value("save-image");
    for (const OpzioneTesto &opzione : opzioni_testo) {
        if (parser.isSet(opzione.nome))
            opzioni.*opzione.campo = parser.value(opzione.nome).toLocal8Bit();
    }
    for (const OpzioneByte &opzione : opzioni_byte) {
        if (!parser.isSet(opzione.nome))
            continue;
        bool ok = false;
        const uint valore = parser.value(opzione.nome).toUInt(&ok, 0);
        if (!ok || valore > 255)
            return QStringLiteral("--%1 must be a number from 0 to 255").arg(opzione.nome);
        opzioni.*opzione.campo = quint8(valore);
    }
    for (const QString &testo : parser.values("fault")) {
        QString errore;
        const std::optional<Guasto> guasto = leggi_guasto(testo.toLocal8Bit(), errore);
        if (!guasto)
            return QStringLiteral("--fault %1: %2").arg(testo, errore);
        opzioni.guasti.append(*guasto);
    }
    return {};
}

struct Configurazione
{
    OpzioniSimulatore opzioni;
    QHostAddress indirizzo;
    quint16 porta = 0;
};

QString leggi_rete(const QCommandLineParser &parser, Configurazione &configurazione)
{
    if (!configurazione.indirizzo.setAddress(parser.value("listen")))
        return QStringLiteral("--listen needs an IP address");
    bool ok = false;
    configurazione.porta = parser.value("port").toUShort(&ok);
    return ok ? QString() : QStringLiteral("--port must be a number from 0 to 65535");
}

QString leggi_configurazione(const QCommandLineParser &parser, Configurazione &configurazione)
{
    const QString errore = leggi_opzioni(parser, configurazione.opzioni);
    return errore.isEmpty() ? leggi_rete(parser, configurazione) : errore;
}

// Hexadecimal and printable text of the first bytes, and the length when there are more.
QString mostra(const QByteArray &byte)
{
    const QByteArray inizio = byte.first(qMin(byte.size(), byte_mostrati));
    QString stampabile;
    for (const char c : inizio)
        stampabile.append(c >= 0x20 && c < 0x7F ? QLatin1Char(c) : QLatin1Char('.'));
    QString riga = QString::fromLatin1(inizio.toHex(' ')) + "  |" + stampabile + '|';
    if (byte.size() > inizio.size())
        riga += QStringLiteral(" ... %1 bytes").arg(byte.size());
    return riga;
}

void stampa(const QString &riga)
{
    QTextStream(stdout) << riga << Qt::endl;
}

void mostra_scambi(SimulatoreModulo &simulatore)
{
    QObject::connect(&simulatore, &SimulatoreModulo::cliente_connesso, [] { stampa("client connected"); });
    QObject::connect(&simulatore, &SimulatoreModulo::comando_ricevuto,
                     [](const QByteArray &comando) { stampa("<- " + mostra(comando)); });
    QObject::connect(&simulatore, &SimulatoreModulo::risposta_inviata,
                     [](const QByteArray &byte) { stampa("-> " + mostra(byte)); });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kestra-sim");

    QCommandLineParser parser;
    parser.setApplicationDescription(descrizione);
    parser.addHelpOption();
    aggiungi_opzioni(parser);
    aggiungi_opzioni_firmware(parser);
    parser.process(app);
    if (parser.isSet("write-firmware"))
        return scrivi_firmware(parser);

    Configurazione configurazione;
    const QString errore = leggi_configurazione(parser, configurazione);
    if (!errore.isEmpty()) {
        QTextStream(stderr) << "kestra-sim: " << errore << Qt::endl;
        return 2;
    }

    SimulatoreModulo simulatore(configurazione.opzioni);
    if (!simulatore.listen(configurazione.indirizzo, configurazione.porta)) {
        QTextStream(stderr) << "kestra-sim: " << simulatore.errorString() << Qt::endl;
        return 1;
    }
    // Nothing here reads the record of commands, so it is not kept.
    QObject::connect(&simulatore, &SimulatoreModulo::comando_ricevuto, &simulatore,
                     &SimulatoreModulo::azzera_registro);
    if (!parser.isSet("quiet"))
        mostra_scambi(simulatore);
    QObject::connect(&simulatore, &SimulatoreModulo::verificato, [&simulatore](bool riuscito) {
        stampa(QStringLiteral("verified: CRC16 %1, %2 half pages sent again")
                   .arg(QLatin1String(riuscito ? "right" : "wrong"))
                   .arg(simulatore.mezze_pagine_ripetute()));
    });
    stampa(QStringLiteral("listening on %1:%2 (%3 mode)")
               .arg(simulatore.serverAddress().toString())
               .arg(simulatore.serverPort())
               .arg(configurazione.opzioni.modo == OpzioniSimulatore::Modo::AccessPoint ? "access point"
                                                                                    : "station"));
    return app.exec();
}
