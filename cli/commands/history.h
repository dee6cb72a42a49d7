#pragma once

#include "cli/commands/command.h"

// --history: the update history, newest first.
class ComandoStorico final : public Comando
{
public:
    using Comando::Comando;
    Conclusione esegui() override;
};
