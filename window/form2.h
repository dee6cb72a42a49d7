#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The password dialog: shown without blocking the main window. OK stores the
// typed text, Cancel an empty one; the owner learns it through `confermata`.
class Form2 : public QDialog
{
    Q_OBJECT

public:
    Form2(int lingua, QWidget *parent = nullptr);

signals:
    // The password confirmed: the text as typed, or "" for Cancel.
    void confermata(const QString &password);

protected:
    // Escape is Cancel; the close box alone keeps the password confirmed before.
    void keyPressEvent(QKeyEvent *evento) override;

private:
    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *Text1;
    QPushButton *Command1; // Cancel
    QPushButton *Command2; // OK
};
