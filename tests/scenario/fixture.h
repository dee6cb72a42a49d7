#pragma once

#include "app/form1.h"
#include "sim/module_simulator.h"
#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

// The real main window against an in-process simulator on an ephemeral
// loopback port, with scripted dialogs and its own program folder.
class Banco
{
public:
    // The Access Point address the window is given. With the default the
    // address typed in Text1 is the access point; with `altro_indirizzo_ap`
    // the typed 127.0.0.1 is another address and the module is challenged
    // for its password (127.0.0.2 is loopback too, and nothing listens there).
    static constexpr const char *indirizzo_simulatore = "127.0.0.1";
    static constexpr const char *altro_indirizzo_ap = "127.0.0.2";

    explicit Banco(OpzioniSimulatore opzioni = {}, const char *indirizzo_ap = indirizzo_simulatore)
        : sim(std::move(opzioni))
    {
        if (!sim.listen(QHostAddress::LocalHost, 0))
            qFatal("the simulator cannot listen");
        finestra = std::make_unique<Form1>(dialoghi, cartella.path(), QString::fromLatin1(indirizzo_ap),
                                           sim.serverPort());
        finestra->avvia();
        casella("Text1")->setText(QString::fromLatin1(indirizzo_simulatore));
    }

    QPushButton *pulsante(const char *nome) const { return trova<QPushButton>(nome); }
    QLabel *etichetta(const char *nome) const { return trova<QLabel>(nome); }
    QLineEdit *casella(const char *nome) const { return trova<QLineEdit>(nome); }
    QColor lampada(const char *nome) const { return trova<QWidget>(nome)->palette().color(QPalette::Window); }
    QString stato_text2() const { return casella("Text2")->text(); }
    int avanzamento() const { return trova<QProgressBar>("ProgressBar1")->value(); }

    // Clicks a button (a disabled one ignores the click) and returns when its
    // handler has returned.
    void clicca(const char *nome) { QTest::mouseClick(pulsante(nome), Qt::LeftButton); }

    // The names of the enabled buttons among Command2..Command7.
    QStringList abilitati() const
    {
        QStringList nomi;
        for (const char *nome : {"Command2", "Command3", "Command4", "Command5", "Command6", "Command7"})
            if (pulsante(nome)->isEnabled())
                nomi.append(QLatin1String(nome));
        return nomi;
    }

    // Writes a firmware file into the program folder and returns its path.
    QString scrivi_firmware(const QByteArray &contenuto, const QString &nome = QStringLiteral("FW.BIN")) const
    {
        const QString percorso = cartella.filePath(nome);
        QFile file(percorso);
        if (!file.open(QIODevice::WriteOnly) || file.write(contenuto) != contenuto.size())
            qFatal("cannot write the firmware file");
        return percorso;
    }

    // A 15-byte header for a CPU letter and a bootloader version, then `dati`.
    static QByteArray firmware(char cpu, const QByteArray &dati = QByteArray(1000, 'x'), int bl_intero = 1,
                               int bl_decimi = 2)
    {
        QByteArray intestazione(15, '\0');
        intestazione[1] = cpu;
        intestazione[4] = char(bl_intero);
        intestazione[5] = char(bl_decimi);
        intestazione[6] = 2;
        intestazione[7] = 0x13;
        intestazione.replace(9, 4, "BRD1");
        intestazione[13] = 0x1A;
        intestazione[14] = char(0x98);
        return intestazione + dati;
    }

    // Opens a firmware file through the scripted file dialog.
    void apri(const QString &percorso)
    {
        dialoghi.file.append(percorso);
        clicca("Command6");
    }

    // Runs `azione` on the password dialog as soon as it is shown; the wait
    // for it runs inside the click that opens it.
    void al_dialogo_password(std::function<void(QDialog *)> azione)
    {
        auto *sonda = new QTimer(finestra.get());
        sonda->setInterval(5);
        QObject::connect(sonda, &QTimer::timeout, sonda, [sonda, azione] {
            for (QWidget *finestra : QApplication::topLevelWidgets()) {
                auto *dialogo = qobject_cast<QDialog *>(finestra);
                if (dialogo && dialogo->objectName() == QLatin1String("Form2") && dialogo->isVisible()) {
                    sonda->deleteLater();
                    sonda->stop();
                    azione(dialogo);
                    return;
                }
            }
        });
        sonda->start();
    }

    // Types into the password dialog's box and presses OK or Cancel.
    void rispondi_password(const QString &password, const char *pulsante_dialogo = "Command2")
    {
        al_dialogo_password([password, pulsante_dialogo](QDialog *dialogo) {
            auto *testo = dialogo->findChild<QLineEdit *>(QStringLiteral("Text1"));
            testo->setText(password);
            dialogo->findChild<QPushButton *>(QLatin1String(pulsante_dialogo))->click();
        });
    }

    QTemporaryDir cartella;
    SimulatoreModulo sim;
    DialoghiScriptati dialoghi;
    std::unique_ptr<Form1> finestra;

private:
    template<typename T>
    T *trova(const char *nome) const
    {
        T *controllo = finestra->findChild<T *>(QLatin1String(nome));
        if (!controllo)
            qFatal("no control %s", nome);
        return controllo;
    }
};
