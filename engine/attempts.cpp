// The update attempts of a session, as the history records them.

#include "engine/session.h"

#include "core/firmware_header.h"
#include "core/labels.h"

#include <QCryptographicHash>
#include <QUuid>

QString sha256_di(const QByteArray &byte)
{
    return QString::fromLatin1(QCryptographicHash::hash(byte, QCryptographicHash::Sha256).toHex());
}

Tentativo Sessione::nuovo_tentativo() const
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
    tentativo.file_sha256 = stato.sha256_file;
    tentativo.cpu = QString(QLatin1Char(intestazione.tipo_cpu));
    tentativo.bootloader = testo_versione_bootloader(intestazione.versione_bootloader, QLocale::c());
    tentativo.firmware = versione_file(intestazione);
    tentativo.scheda = QString::fromLatin1(intestazione.scheda_file);
    tentativo.crc16_memorizzato = testo_crc(intestazione.crc16());
    if (stato.identita.info_disponibile) {
        tentativo.firmware_dispositivo = versione_dispositivo(stato.identita);
        tentativo.scheda_dispositivo = QString::fromLatin1(stato.identita.scheda);
        tentativo.nome_dispositivo = QString::fromLatin1(stato.identita.nome_file);
        tentativo.data_dispositivo = testo_data(stato.identita);
    }
    return tentativo;
}

void Sessione::inizia_tentativo()
{
    Tentativo tentativo = nuovo_tentativo();
    tentativo.cancellato = true; // from the erase on, until the device's verdict
    m_tentativo = tentativo;
    m_durata_tentativo.start();
    if (registrazione.storico)
        registrazione.storico->inizio(tentativo);
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
    tentativo.cancellato = stato.cancellato;
    chiudi(tentativo, esito, segnale);
}

void Sessione::registra_senza_cancellare(const Esito &esito)
{
    Tentativo tentativo = nuovo_tentativo();
    if (registrazione.storico)
        registrazione.storico->inizio(tentativo);
    tentativo.durata_ms = 0;
    chiudi(tentativo, esito, 0);
}

void Sessione::chiudi(Tentativo &tentativo, const Esito &esito, int segnale) const
{
    if (registrazione.codici_di_uscita)
        tentativo.codice_uscita = codice_uscita(esito.tipo, segnale);
    tentativo.classe = QLatin1String(nome_tipo_esito(esito.tipo));
    tentativo.testo = esito.in(1);
    if (registrazione.storico)
        registrazione.storico->fine(tentativo);
}
