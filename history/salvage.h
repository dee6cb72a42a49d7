#pragma once

#include <QString>

// What became of a damaged history: whether a new file now stands in its
// place, and the message for the user, which says how many records were
// kept and where the damaged file went.
struct Recupero
{
    bool riuscito = false;
    QString messaggio;
};

// Copies the records of the damaged history file at `percorso` that can
// still be read into a new file, with their keys and what the server still
// lacks of them, then moves the damaged file aside (its "-wal" and "-shm"
// with it) as "<percorso>.damaged-<time>", never deleted, and puts the new
// one in its place. The damaged file is only read.
Recupero recupera_storico(const QString &percorso);
