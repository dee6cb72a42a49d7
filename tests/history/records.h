#pragma once

#include "core/attempt.h"

#include <QUuid>

// The attempts the history's tests record: the n-th starts n seconds after
// 10:00 on 7 December 2026, to the millisecond, and differs from the others
// in its id, file and unit.
inline Tentativo di_prova(int n, const QString &stazione = QStringLiteral("banco-1"))
{
    Tentativo t;
    t.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    t.inizio = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC).addMSecs(n * 1000 + 250);
    t.front_end = QStringLiteral("cli");
    t.versione = QStringLiteral("1.0.0");
    t.stazione = stazione;
    t.unita = QStringLiteral("SN-%1").arg(n);
    t.utente = QStringLiteral("tecnico");
    t.forzato = n % 3 == 0;
    t.indirizzo = QStringLiteral("127.0.0.1");
    t.porta = 7999;
    t.file = QStringLiteral("FW%1.BIN").arg(n);
    t.file_sha256 = QStringLiteral("ab12");
    t.cpu = QStringLiteral("s");
    t.bootloader = QStringLiteral("1.2");
    t.firmware = QStringLiteral("2.13");
    t.scheda = QStringLiteral("KR01");
    t.crc16_memorizzato = QStringLiteral("1A98");
    t.firmware_dispositivo = QStringLiteral("2.15");
    t.scheda_dispositivo = QStringLiteral("KR02");
    t.nome_dispositivo = QStringLiteral("KESTRA01");
    t.data_dispositivo = QStringLiteral("05.03.18");
    t.cancellato = true;
    return t;
}

// The attempt ended: "completed" when n is even, "transfer" when it is odd.
inline Tentativo concluso(Tentativo t, int n = 1)
{
    t.durata_ms = 5200;
    t.pagine = 512;
    t.crc16 = QStringLiteral("EB3");
    t.rinvii = 3;
    t.codice_uscita = n % 2 ? 9 : 0;
    t.classe = n % 2 ? QStringLiteral("transfer") : QStringLiteral("completed");
    t.testo = QStringLiteral("Transfer error");
    t.cancellato = n % 2;
    return t;
}
