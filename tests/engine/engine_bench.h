#pragma once

#include "core/firmware_file.h"
#include "engine/updater.h"
#include "testing/files.h"
#include "testing/recorded_report.h"
#include "testing/scripted_link.h"

#include <QTemporaryDir>
#include <QTest>

// The Access Point address the engine is given, and another one.
inline const QString ap = QStringLiteral("access-point");
inline const QString altrove = QStringLiteral("module");

// The names of the steps on offer, in a fixed order.
inline QString nomi(Passi passi)
{
    const std::pair<Passo, const char *> tutti[] = {{Passo::Connetti, "connect"}, {Passo::Disconnetti, "disconnect"},
                                                    {Passo::Apri, "open"},         {Passo::Identifica, "identify"},
                                                    {Passo::Trasferisci, "transfer"}, {Passo::Aggiorna, "update"}};
    QStringList elenco;
    for (const auto &[passo, nome] : tutti)
        if (passi.testFlag(passo))
            elenco.append(QLatin1String(nome));
    return elenco.join(u' ');
}

// The engine on a scripted link, what it reports recorded, and a folder for firmware files.
struct Motore
{
    explicit Motore(const QString &indirizzo = ap) { aggiornatore.imposta_indirizzo(indirizzo); }

    QString scrivi_firmware(const QByteArray &contenuto, const QString &nome = QStringLiteral("FW.BIN")) const
    {
        return scrivi_file(cartella.filePath(nome), contenuto);
    }

    // Connected and `contenuto` opened as a firmware file; the records start afresh.
    void aperto(const QByteArray &contenuto)
    {
        aggiornatore.connetti();
        aggiornatore.apri(percorso_di(scrivi_firmware(contenuto)));
        azzera_registri();
    }

    // Connected, a sound image of the CPU letter for the device's board opened,
    // the device identified; the records start afresh.
    bool pronto(char cpu, const QByteArray &dati)
    {
        aperto(firmware_integro(cpu, dati));
        aggiornatore.identifica();
        azzera_registri();
        return passi() == QLatin1String("disconnect transfer");
    }

    void azzera_registri()
    {
        link.comandi.clear();
        link.attese.clear();
        rapporto.stati = rapporto.messaggi = rapporto.campi = {};
        rapporto.avanzamenti.clear();
    }

    QString passi() const { return nomi(rapporto.passi_disponibili); }

    CollegamentoScriptato link;
    RapportoRegistrato rapporto;
    Aggiornatore aggiornatore{link, rapporto, ap, 7999};
    QTemporaryDir cartella;
};

using Attesa = CollegamentoScriptato::Attesa;
using Replica = CollegamentoScriptato::Replica;
