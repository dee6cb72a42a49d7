#pragma once

#include "core/messages.h"

#include <QList>

// The next answer of a script, or `altrimenti` once it has run out.
template<typename T>
T prossima_risposta(QList<T> &script, T altrimenti)
{
    return script.isEmpty() ? altrimenti : script.takeFirst();
}

// The answer to a message box: OK to a warning, the script's next to a
// question, No once the script has run out.
inline Risposta risposta_a(Pulsanti pulsanti, QList<Risposta> &script)
{
    return pulsanti == Pulsanti::Ok ? Risposta::Ok : prossima_risposta(script, Risposta::No);
}
