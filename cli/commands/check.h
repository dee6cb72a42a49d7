#pragma once

#include "cli/commands/command.h"

// --check: the firmware file's checks, without the network.
class ComandoControlla final : public Comando
{
public:
    using Comando::Comando;
    Conclusione esegui() override { return {controlla_file()}; }
};
