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
inline int risposta_a(Pulsanti pulsanti, QList<int> &script)
{
    return pulsanti == Pulsanti::Ok ? risposta_ok : prossima_risposta(script, risposta_no);
}
