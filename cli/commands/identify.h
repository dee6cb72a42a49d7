#pragma once

#include "cli/commands/command.h"

// --identify: connects and prints the device's identity.
class ComandoIdentifica final : public Comando
{
public:
    using Comando::Comando;
    Conclusione esegui() override;
};
