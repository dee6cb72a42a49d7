#include "window/form1.h"

#include "window/dialogs.h"
#include "window/form2.h"
#include "window/lamp.h"
#include "window/stacking.h"
#include "core/cpu_types.h"
#include "core/firmware_header.h"
#include "core/identity.h"
#include "core/labels.h"
#include "core/captions.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

void Form1::stato(const Testo &testo, const QString &valore)
{
    Text2->setText(testo.in(m_lingua, valore));
    annuncia_stato();
}

void Form1::annuncia_stato()
{
    // Qt 6.4 has no live regions: the status goes into the line's name, and
    // an alert asks assistive technology to read it.
    Text2->setAccessibleName(testo(nome_accessibile::stato) + QStringLiteral(": ") + Text2->text());
    QAccessibleEvent avviso(Text2, QAccessible::Alert);
    QAccessible::updateAccessibility(&avviso);
}

QFrame *Form1::Shape(Tappa tappa) const
{
    switch (tappa) {
    case Tappa::Trasferimento: return Shape1;
    case Tappa::Aggiornamento: return Shape2;
    case Tappa::Identificazione: return Shape3;
    case Tappa::Connessione: return Shape4;
    }
    return nullptr;
}

void Form1::tappa(Tappa tappa, StatoTappa stato)
{
    lampada::mostra(Shape(tappa), stato, m_lingua);
}

void Form1::passi(Passi disponibili)
{
    const std::pair<Passo, QPushButton *> pulsanti[] = {
        {Passo::Trasferisci, Command2}, {Passo::Disconnetti, Command3}, {Passo::Aggiorna, Command4},
        {Passo::Connetti, Command5},    {Passo::Apri, Command6},        {Passo::Identifica, Command7},
    };
    for (const auto &[passo, pulsante] : pulsanti)
        pulsante->setEnabled(disponibili.testFlag(passo));
    // The keyboard goes on with the update: the focus on the button of the
    // furthest step on offer, so that Space continues.
    for (QPushButton *prossimo : {Command4, Command2, Command7, Command6, Command5}) {
        if (prossimo->isEnabled()) {
            prossimo->setFocus();
            break;
        }
    }
}

void Form1::file_aperto(const QString &nome_file, const IntestazioneFirmware &intestazione, const TipoCpu *tipo,
                        std::optional<qint32>)
{
    // "[*]" in a title is Qt's placeholder for the modified mark; doubled it shows as it is.
    setWindowTitle(QStringLiteral("KESTRA Firmware updater - ")
                   + QString(nome_file).replace(QLatin1String("[*]"), QLatin1String("[*][*]")));
    Label4->setText(etichetta_bootloader(intestazione.versione_bootloader));
    Label5->setText(etichetta_firmware_file(intestazione.fw_maggiore, intestazione.fw_minore));
    Label7->setText(con_prefisso(prefisso::scheda, m_lingua, QString::fromLatin1(intestazione.scheda_file)));
    Text4->setText(testo_crc(intestazione.crc16()));
    Label3->setText(QString::fromUtf8((tipo ? *tipo : tipo_cpu_sconosciuto()).didascalia));
}

void Form1::identita(const IdentitaDispositivo &identita)
{
    Label11->setText(etichetta_firmware_dispositivo(identita));
    Label12->setText(con_prefisso(prefisso::scheda, m_lingua, QString::fromLatin1(identita.scheda)));
    Label13->setText(con_prefisso(prefisso::nome_file, m_lingua, QString::fromLatin1(identita.nome_file)));
    Label14->setText(con_prefisso(prefisso::data, m_lingua, testo_data(identita)));
}

void Form1::crc_trasferito(qint32 crc16)
{
    Text4->setText(testo_crc(crc16));
}

void Form1::indirizzo(const QString &indirizzo)
{
    Text1->setText(indirizzo);
}

void Form1::avanzamento(const Avanzamento &avanzamento)
{
    // QProgressBar::setValue() repaints the bar there and then, with the
    // window, the frame and the bar under it, and a link as fast as the
    // simulator's reports a new value every few pages. Within a phase the bar
    // takes a value at most every 50 ms, as often as the eye follows; the
    // start and the end of a phase show at once, and the end of the step
    // shows what is left.
    constexpr int intervallo_ms = 50;
    const bool nuova_fase = avanzamento.fase != m_avanzamento.fase;
    m_avanzamento = avanzamento;
    if (nuova_fase || avanzamento.fatti == 0 || avanzamento.fatti == avanzamento.totale
        || !m_barra_mostrata.isValid() || m_barra_mostrata.hasExpired(intervallo_ms))
        mostra_avanzamento();
}

void Form1::mostra_avanzamento()
{
    ProgressBar1->setValue(m_avanzamento.percento);
    m_barra_mostrata.start();
}

void Form1::occupato(bool occupato)
{
    if (occupato) {
        setCursor(Qt::WaitCursor);
        return;
    }
    mostra_avanzamento();
    unsetCursor();
}

Risposta Form1::chiedi(Domanda domanda, const QStringList &valori)
{
    // The Transfer button is the user's yes to the erase.
    if (domanda == Domanda::Cancellazione)
        return Risposta::Si;
    return mostra(messaggio_di(domanda), valori);
}

void Form1::avvisa(Avviso avviso, const QStringList &valori)
{
    mostra(messaggio_di(avviso), valori);
}

Risposta Form1::mostra(const Messaggio &messaggio, const QStringList &valori)
{
    return m_dialoghi.mostra_messaggio(this, testo(messaggio.titolo), messaggio.testo.righe_in(m_lingua, valori),
                                       messaggio.icona, messaggio.pulsanti);
}

std::optional<QString> Form1::chiedi_password()
{
    m_form2 = new Form2(m_lingua, this);
    imposta_sempre_in_primo_piano(*m_form2, Check1->checkState() == Qt::Checked);
    std::optional<QString> password;
    bool form2_aperta = true;
    connect(m_form2, &Form2::confermata, this, [&password](const QString &confermata) { password = confermata; });
    // However the dialog is closed: OK, Cancel or its close box.
    connect(m_form2, &QDialog::finished, this, [&form2_aperta] { form2_aperta = false; });
    m_form2->show();
    m_link.attendi_finestra([&form2_aperta] { return !form2_aperta; });
    if (m_form2)
        m_form2->disconnect(this);
    return password;
}
