#pragma once

#include "programming/updater.h"
#include "tests/support/recorded_report.h"
#include "tests/support/scripted_link.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The Access Point address the engine is given, and another one.
inline const QString ap = QStringLiteral("access-point");
inline const QString altrove = QStringLiteral("module");

// A 15-byte header for a CPU letter and a bootloader version, then the image.
inline QByteArray firmware(char cpu, const QByteArray &dati, int bl_intero = 1, int bl_decimi = 2)
{
    QByteArray file(15, '\0');
    file[1] = cpu;
    file[4] = char(bl_intero);
    file[5] = char(bl_decimi);
    file[6] = 2;
    file[7] = 0x13;
    file.replace(9, 4, "BRD1");
    file[13] = 0x1A;
    file[14] = char(0x98);
    return file + dati;
}

// Image bytes that differ from page to page and include 0x00 and 0xFF.
inline QByteArray dati_di_prova(int lunghezza)
{
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (int i = 0; i < lunghezza; ++i)
        dati[i] = char((i * 31 + i / 251) % 256);
    return dati;
}

// The names of the steps on offer, in a fixed order.
inline QString nomi(Passi passi)
{
    static const std::pair<Passo, const char *> tutti[] = {
        {Passo::Connetti, "connect"},     {Passo::Disconnetti, "disconnect"}, {Passo::Apri, "open"},
        {Passo::Identifica, "identify"}, {Passo::Trasferisci, "transfer"},   {Passo::Aggiorna, "update"},
    };
    QStringList elenco;
    for (const auto &[passo, nome] : tutti) {
        if (passi.testFlag(passo))
            elenco.append(QLatin1String(nome));
    }
    return elenco.join(u' ');
}

// The engine on a scripted link, what it reports recorded, and a folder for firmware files.
struct Motore
{
    explicit Motore(const QString &indirizzo = ap) { aggiornatore.imposta_indirizzo(indirizzo); }

    QString scrivi_firmware(const QByteArray &contenuto, const QString &nome = QStringLiteral("FW.BIN")) const
    {
        const QString percorso = cartella.filePath(nome);
        QFile file(percorso);
        if (!file.open(QIODevice::WriteOnly) || file.write(contenuto) != contenuto.size())
            qFatal("cannot write the firmware file");
        return percorso;
    }

    // Connected and `contenuto` opened as a firmware file; the records start afresh.
    void aperto(const QByteArray &contenuto)
    {
        aggiornatore.connetti();
        aggiornatore.apri(scrivi_firmware(contenuto));
        azzera_registri();
    }

    // Connected, the image opened as a file of the CPU letter and the device
    // identified; the records start afresh.
    bool pronto(char cpu, const QByteArray &dati)
    {
        aperto(firmware(cpu, dati));
        aggiornatore.identifica();
        azzera_registri();
        return passi() == QLatin1String("disconnect transfer");
    }

    void azzera_registri()
    {
        link.comandi.clear();
        link.attese.clear();
        rapporto.stati.clear();
        rapporto.messaggi.clear();
        rapporto.campi.clear();
        rapporto.avanzamenti.clear();
    }

    QString passi() const { return nomi(rapporto.passi_disponibili); }

    CollegamentoScriptato link;
    RapportoRegistrato rapporto;
    Aggiornatore aggiornatore{link, rapporto, ap, 7999};
    QTemporaryDir cartella;
};

using Attesa = CollegamentoScriptato::Attesa;
using Risposta = CollegamentoScriptato::Risposta;
Q_DECLARE_METATYPE(Risposta)
