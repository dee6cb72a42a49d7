// The update attempts of a session, as the history records them.

#include "engine/session.h"

#include "core/firmware_header.h"
#include "core/labels.h"

#include <QCryptographicHash>
#include <QUuid>

void Sessione::inizia_tentativo(const QByteArray &byte_file)
{
    const Registrazione &r = registrazione;
    const IntestazioneFirmware intestazione = leggi_intestazione(stato.byte_intestazione);
    Tentativo tentativo;
    tentativo.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    tentativo.inizio = QDateTime::currentDateTimeUtc();
    tentativo.front_end = r.front_end;
    tentativo.versione = r.versione;
    tentativo.stazione = r.stazione;
    tentativo.unita = r.unita;
    tentativo.utente = r.utente;
    tentativo.forzato = stato.forzato;
    tentativo.indirizzo = stato.indirizzo;
    tentativo.porta = porta;
    tentativo.file = stato.nome_file;
    tentativo.file_sha256 = QString::fromLatin1(QCryptographicHash::hash(byte_file, QCryptographicHash::Sha256).toHex());
    tentativo.cpu = QString(QLatin1Char(intestazione.tipo_cpu));
    tentativo.bootloader = testo_versione_bootloader(intestazione.versione_bootloader, QLocale::c());
    tentativo.firmware = versione_file(intestazione);
    tentativo.scheda = QString::fromLatin1(intestazione.scheda_file);
    tentativo.crc16_memorizzato = testo_crc(intestazione.crc16());
    tentativo.cancellato = stato.cancellato;
    if (stato.identita.info_disponibile) {
        tentativo.firmware_dispositivo = versione_dispositivo(stato.identita);
        tentativo.scheda_dispositivo = QString::fromLatin1(stato.identita.scheda);
        tentativo.nome_dispositivo = QString::fromLatin1(stato.identita.nome_file);
        tentativo.data_dispositivo = testo_data(stato.identita);
    }
    m_tentativo = tentativo;
    m_durata_tentativo.start();
    if (r.storico)
        r.storico->inizio(tentativo);
}

void Sessione::tentativo_trasferito()
{
    if (m_tentativo)
        m_tentativo->crc16 = testo_crc(stato.crc.crc16);
}

void Sessione::concludi_tentativo(const Esito &esito, int segnale)
{
    if (!m_tentativo)
        return;
    Tentativo tentativo = *std::exchange(m_tentativo, std::nullopt);
    tentativo.durata_ms = m_durata_tentativo.elapsed();
    tentativo.pagine = stato.pagine_inviate;
    tentativo.rinvii = stato.rinvii;
    if (registrazione.codici_di_uscita)
        tentativo.codice_uscita = codice_uscita(esito.tipo, segnale);
    tentativo.classe = QLatin1String(nome_tipo_esito(esito.tipo));
    tentativo.testo = esito.in(1);
    tentativo.cancellato = stato.cancellato;
    if (registrazione.storico)
        registrazione.storico->fine(tentativo);
}
