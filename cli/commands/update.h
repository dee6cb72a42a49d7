#pragma once

#include "cli/commands/command.h"

// An update: the file checked, then connecting, identifying, erasing,
// writing and verifying; as often as --retries allows when a try leaves the
// device erased, waiting for the module as --wait allows, and leaving a
// device that --skip-if-current finds current alone.
class ComandoAggiorna final : public Comando
{
public:
    using Comando::Comando;
    Conclusione esegui() override;

private:
    // Tries again from connecting while the device is left erased.
    Esito con_tentativi();
    // One try: from connecting to the verification.
    Esito prova();
    Esito verifica();
    // --skip-if-current: the device reports the file's firmware version.
    bool gia_aggiornato(const Fatti &fatti) const;

    Conclusione m_fine;
};
