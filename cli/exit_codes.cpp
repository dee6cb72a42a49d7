#include "cli/exit_codes.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::pair<TipoEsito, int> codici[] = {
    {TipoEsito::Completato, 0},
    {TipoEsito::Rinuncia, 1},
    {TipoEsito::Riavvio, 1},
    {TipoEsito::NonDisponibile, 1},
    {TipoEsito::FileRifiutato, 3},
    {TipoEsito::FileDanneggiato, 3},
    {TipoEsito::Connessione, 4},
    {TipoEsito::Password, 5},
    {TipoEsito::AccessPoint, 6},
    {TipoEsito::ModoCambiato, 11},
    {TipoEsito::Identificazione, 7},
    {TipoEsito::Scheda, 12},
    {TipoEsito::Cancellazione, 8},
    {TipoEsito::Trasferimento, 9},
    {TipoEsito::Verifica, 10},
    {TipoEsito::Interrotto, 130},
};

constexpr std::pair<int, const char *> descrizioni[] = {
    {0, "the device accepted the CRC16 and started programming; --check: the file passed,\n"
        "       --identify: the identity was read, --reset: the module acknowledged"},
    {1, "anything else, such as a question answered No"},
    {codice_uso, "bad options, no firmware file, no terminal on standard input and no --yes"},
    {3, "firmware file refused: missing, unreadable, no data, too large for its CPU,\n"
        "       unknown CPU, bootloader other than 1.2/1.3, or damaged or cut short (its image\n"
        "       does not have the CRC16 its header gives; --force writes it all the same)"},
    {4, "connection failed: refused, unreachable, never completed, or lost before identification"},
    {5, "password refused, unanswered, or none (empty): give it with --password"},
    {6, "the module is not in Access Point mode: run again with --switch-to-ap"},
    {7, "identification failed"},
    {8, "erase failed"},
    {9, "page transfer failed: checksum refused, write failure, no reply, link lost"},
    {10, "verification failed: CRC16 error or no answer"},
    {11, "the module was switched to Access Point mode: join its Wi-Fi network, wait 30 s,\n"
         "       run again at its Access Point address (192.168.1.1)"},
    {12, "the file is for another board than the device reports (--force writes it all the same)"},
    {130, "interrupted by Ctrl-C; 143 by SIGTERM, 129 by SIGHUP"},
};

} // namespace

int codice_uscita(TipoEsito tipo)
{
    return std::find_if(std::begin(codici), std::end(codici), [tipo](const auto &c) { return c.first == tipo; })
        ->second;
}

QString elenco_codici()
{
    QString elenco = QStringLiteral("\nExit codes:\n");
    for (const auto &[codice, descrizione] : descrizioni)
        elenco += QStringLiteral("%1  %2\n").arg(codice, 5).arg(QLatin1String(descrizione));
    return elenco;
}
