#include "app/form1.h"

#include "app/dialogs.h"
#include "image/cpu_types.h"
#include "image/firmware_header.h"
#include "texts/captions.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr Testo titolo_dialogo{"Apri Firmware", "Open Firmware"};
constexpr const char *filtro_dialogo = "File BIN (*.BIN)";

// The first bytes of the firmware file, or nothing when it is missing, empty
// or cannot be read. The file is only ever opened for reading.
std::optional<QByteArray> leggi_inizio(const QString &percorso)
{
    if (!QFileInfo(percorso).isFile())
        return std::nullopt;
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return std::nullopt;
    const QByteArray inizio = file.read(lunghezza_intestazione);
    if (inizio.isEmpty())
        return std::nullopt;
    return inizio;
}

} // namespace

void Form1::Command6_Click()
{
    // A file opened while a transfer or an update waits for the device would change what it sends.
    Conversazione conversazione(m_conversazione_in_corso);
    if (conversazione.rifiutata())
        return;

    const std::optional<QString> scelta = m_dialoghi.scegli_file(
        this, testo(titolo_dialogo), m_stato.percorso_firmware, QString::fromLatin1(filtro_dialogo));
    if (!scelta)
        return;
    m_stato.nome_file = QFileInfo(*scelta).fileName();
    m_stato.percorso_firmware = scelta->left(scelta->size() - m_stato.nome_file.size());
    aprifile();
}

void Form1::aprifile()
{
    const std::optional<QByteArray> inizio = leggi_inizio(m_stato.percorso_firmware + m_stato.nome_file);
    if (!inizio) {
        mostra(messaggio::file_inesistente);
        return;
    }

    // "[*]" in a title is Qt's placeholder for the modified mark; doubled it shows as it is.
    setWindowTitle(QStringLiteral("KESTRA Firmware updater - ")
                   + QString(m_stato.nome_file).replace(QLatin1String("[*]"), QLatin1String("[*][*]")));
    const IntestazioneFirmware intestazione = leggi_intestazione(*inizio);
    m_stato.intestazione = intestazione;
    m_stato.byte_intestazione = *inizio;
    // Only a transfer of this file leads to its update.
    Command4->setEnabled(false);
    m_stato.tipo_cpu = intestazione.tipo_cpu;
    Label4->setText(etichetta_bootloader(intestazione.versione_bootloader));
    Label5->setText(etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore));
    Label7->setText(con_prefisso(prefisso::scheda, m_stato.lingua, QString::fromLatin1(intestazione.scheda_file)));
    m_stato.crc = {intestazione.crc_alto, intestazione.crc_basso, intestazione.crc16()};
    Text4->setText(testo_crc(m_stato.crc.crc16));

    const TipoCpu *tipo = cerca_tipo_cpu(intestazione.tipo_cpu);
    if (tipo) {
        Label3->setText(QString::fromUtf8(tipo->didascalia));
        m_stato.codice_cpu = tipo->codice;
    } else {
        Label3->setText(QString::fromLatin1(didascalia_cpu_sconosciuta));
        mostra(messaggio::firmware_non_compatibile);
    }

    const bool bootloader_ok = bootloader_supportato(intestazione.versione_bootloader);
    if (!bootloader_ok)
        mostra(messaggio::bootloader_non_supportato, testo_versione_bootloader(intestazione.versione_bootloader));

    if (tipo && bootloader_ok) {
        Command7->setEnabled(true);
    } else {
        // A refused image must never reach the device.
        imposta_pulsanti({{Command7, false}, {Command2, false}, {Command4, false}});
    }
}
