#pragma once

#include "engine/link.h"

#include <QElapsedTimer>
#include <QIODevice>

// The transcript of a run (--log): a header line (the UTC date and time, the
// program's version, the address and the file), then a line for every
// command sent and every piece of reply that arrives (marked when it comes too
// late and is dropped), with the milliseconds since the start and the bytes in
// hex, and last the result. Written as it happens, so that a run that is
// killed leaves what it did. The password is never written.
class Trascrizione : public QObject
{
public:
    Trascrizione(Collegamento &link, QIODevice &file);

    void intestazione(const QString &versione, const QString &indirizzo, quint16 porta, const QString &file);
    void risultato(int codice, const QString &classe);

private:
    void scrivi(const char *verso, const QByteArray &testo);

    QIODevice &m_file;
    QElapsedTimer m_orologio;
};
