#include "cli/outcome.h"

#include "core/statuses.h"

#include <QByteArrayView>
#include <algorithm>
#include <iterator>

namespace {

struct Classe
{
    Esito esito;
    const char *nome;
    const char *descrizione;
};

constexpr Classe classi[] = {
    {Esito::ok, "ok", "the device accepted the CRC16 and started programming; --check: the file passed,\n"
                      "       --identify: the identity was read, --reset: the module acknowledged"},
    {Esito::altro, "other", "anything else, such as a question answered No"},
    {Esito::uso, "usage", "bad options, no firmware file, no terminal on standard input and no --yes"},
    {Esito::file, "file", "firmware file refused: missing, unreadable, no data, too large for its CPU,\n"
                          "       unknown CPU, bootloader other than 1.2/1.3"},
    {Esito::connessione, "connection", "connection failed: refused, unreachable, closed before identification"},
    {Esito::password, "password", "password refused, unanswered, or none (empty)"},
    {Esito::access_point, "access-point", "the module is not in Access Point mode, or was switched to it and\n"
                                          "       must be reached again at its Access Point address"},
    {Esito::identificazione, "identification", "identification failed"},
    {Esito::cancellazione, "erase", "erase failed"},
    {Esito::trasferimento, "transfer", "page transfer failed: checksum refused, write failure, no reply, link lost"},
    {Esito::verifica, "verification", "verification failed: CRC16 error or no answer"},
    {Esito::interrotto, "interrupted", "interrupted by Ctrl-C"},
};

// A status (messaggio null) or a message box, and what it says.
struct Regola
{
    const Testo *stato;
    const Messaggio *messaggio;
    Esito esito;
};

// The status of an identification that got no reply is not here: when the
// link failed first its message has said so (connection); otherwise the
// identification step's own class applies.
constexpr Regola regole[] = {
    {&stato::file_firmware_illeggibile, nullptr, Esito::file},
    {&stato::file_firmware_vuoto, nullptr, Esito::file},
    {&stato::file_firmware_troppo_grande, nullptr, Esito::file},
    {&stato::file_firmware_cambiato, nullptr, Esito::file},
    {&stato::errore_cancellazione, nullptr, Esito::cancellazione},
    {&stato::errore_scrittura_pagina, nullptr, Esito::trasferimento},
    {&stato::errore_checksum_pagina_1, nullptr, Esito::trasferimento},
    {&stato::errore_checksum_pagina_2, nullptr, Esito::trasferimento},
    {&stato::errore_trasferimento, nullptr, Esito::trasferimento},
    {&stato::errore_crc16, nullptr, Esito::verifica},
    {&stato::programmazione_avviata, nullptr, Esito::ok},
    {nullptr, &messaggio::errore_connessione, Esito::connessione},
    {nullptr, &messaggio::password_vuota, Esito::password},
    {nullptr, &messaggio::password_errata, Esito::password},
    {nullptr, &messaggio::password_senza_risposta, Esito::password},
    {nullptr, &messaggio::domanda_access_point, Esito::access_point},
    {nullptr, &messaggio::modo_cambiato, Esito::access_point},
    {nullptr, &messaggio::modo_senza_risposta, Esito::access_point},
    {nullptr, &messaggio::file_inesistente, Esito::file},
    {nullptr, &messaggio::firmware_non_compatibile, Esito::file},
    {nullptr, &messaggio::bootloader_non_supportato, Esito::file},
    {nullptr, &messaggio::reset_senza_risposta, Esito::altro},
    {nullptr, &messaggio::modulo_riavviato, Esito::ok},
    {nullptr, &messaggio::aggiornamento_terminato, Esito::ok},
};

// Whatever copy of a text the engine passes, its words are the same.
bool stesso(const Testo &a, const Testo &b)
{
    return QByteArrayView(a.it) == QByteArrayView(b.it);
}

template<typename Corrisponde>
std::optional<Esito> cerca(Corrisponde corrisponde)
{
    const auto regola = std::find_if(std::begin(regole), std::end(regole), corrisponde);
    return regola == std::end(regole) ? std::nullopt : std::optional(regola->esito);
}

} // namespace

const char *nome_esito(Esito esito)
{
    return std::find_if(std::begin(classi), std::end(classi), [esito](const Classe &c) { return c.esito == esito; })
        ->nome;
}

QString elenco_esiti()
{
    QString elenco = QStringLiteral("\nExit codes:\n");
    for (const Classe &classe : classi)
        elenco += QStringLiteral("%1  %2\n").arg(int(classe.esito), 5).arg(QLatin1String(classe.descrizione));
    return elenco;
}

std::optional<Esito> esito_di(const Testo &testo)
{
    return cerca([&testo](const Regola &r) { return r.stato && stesso(*r.stato, testo); });
}

std::optional<Esito> esito_di(const Messaggio &messaggio)
{
    return cerca([&messaggio](const Regola &r) { return r.messaggio && stesso(*r.messaggio, messaggio); });
}

bool stesso(const Messaggio &a, const Messaggio &b)
{
    return stesso(a.titolo, b.titolo) && stesso(a.testo, b.testo);
}
