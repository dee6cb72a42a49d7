#pragma once

#include "history/reading.h"

// The station's history file, read and never changed: opened read-only
// (immutable where even that cannot read it), never created (a missing file
// holds no records), never moved or repaired. A damaged page costs only the
// records in it, which are counted; a newer program's file is read for the
// fields this one knows.
class LettoreLocale final : public LettoreStorico
{
public:
    explicit LettoreLocale(QString percorso);
    EsitoLettura leggi(const FiltroStorico &filtro, const Ricevi &ricevi) override;

private:
    const QString m_percorso;
};
