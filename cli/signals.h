#pragma once

// Ctrl-C (SIGINT), SIGTERM and SIGHUP only raise a flag, which the run reads
// to end after the command on its way; a read of standard input that waits
// for an answer is broken off by them. Writes to a terminal or pipe that has
// gone fail instead of ending the program.
void installa_gestori_segnali();

// The last of those signals received, 0 for none.
int segnale_ricevuto();
// How many of them were received.
int segnali_ricevuti();
