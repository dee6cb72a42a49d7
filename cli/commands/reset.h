#pragma once

#include "cli/commands/command.h"

// --reset: the module's restart command, on a link of its own.
class ComandoRiavvia final : public Comando
{
public:
    using Comando::Comando;
    Conclusione esegui() override
    {
        return {in_sequenza({[this] { return connetti(); }, [this] { return c.motore.riavvia_modulo(); }})};
    }
};
