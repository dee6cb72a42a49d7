#pragma once

#include "cli/commands/command.h"

// --history-sync: sends the records the plant's server lacks, and says how
// many were sent, how many wait, and to which server.
class ComandoSincronizza final : public Comando
{
public:
    using Comando::Comando;
    Conclusione esegui() override;
};
