#include "window/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon icona_qt(Icona icona)
{
    switch (icona) {
    case Icona::Esclamazione: return QMessageBox::Warning;
    case Icona::Informazione: return QMessageBox::Information;
    case Icona::Critico: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Risposta DialoghiQt::mostra_messaggio(QWidget *parent, const QString &titolo, const QString &testo, Icona icona,
                                      Pulsanti pulsanti)
{
    QMessageBox box(icona_qt(icona), titolo, testo, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    if (pulsanti == Pulsanti::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Risposta::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(pulsanti == Pulsanti::SiNoPrudente ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? Risposta::Si : Risposta::No;
}

std::optional<QString> DialoghiQt::scegli_file(QWidget *parent, const QString &titolo,
                                               const QString &cartella, const QString &filtro)
{
    QFileDialog dialogo(parent, titolo, cartella, filtro);
    dialogo.setFileMode(QFileDialog::AnyFile);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.setOption(QFileDialog::ReadOnly);
    // Qt's own dialog matches the upper-case pattern case-insensitively on
    // every platform (a desktop's may not); firmware files often come as ".bin".
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
        return std::nullopt;
    return dialogo.selectedFiles().constFirst();
}

std::optional<QString> DialoghiQt::scegli_file_da_scrivere(QWidget *parent, const QString &titolo,
                                                           const QString &filtro)
{
    QFileDialog dialogo(parent, titolo, QString(), filtro);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
        return std::nullopt;
    return dialogo.selectedFiles().constFirst();
}
