#pragma once

#include "history/reading.h"
#include "history/server_config.h"

// Every station's records on the plant's server, read as a station's file
// is: newest first (by their start), with the same filters, a page at a
// time, never written. A schema that is a newer program's is read for the
// fields this one knows; a server without one holds no records.
class LettoreServer final : public LettoreStorico
{
public:
    explicit LettoreServer(IndirizzoServer indirizzo);
    EsitoLettura leggi(const FiltroStorico &filtro, const Ricevi &ricevi) override;

private:
    const IndirizzoServer m_indirizzo;
};
