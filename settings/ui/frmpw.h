#pragma once

#include <QWidget>

class Dialogs;
class PasswordGate;
class QLabel;
class QLineEdit;
class QPushButton;

// "ﾊﾟｽﾜｰﾄﾞ入力": asks for the password without blocking. It remembers
// nothing: closing it discards it, and the next showing starts empty.
class FrmPw : public QWidget
{
    Q_OBJECT
public:
    FrmPw(PasswordGate &gate, Dialogs &dialogs, QWidget *parent = nullptr);

signals:
    // The right password for the history: it is to be shown now.
    void historyGranted();

private:
    QLabel *Label2;
    QLabel *Label1;
    QLineEdit *TxtPw;
    QPushButton *CmdOK;
    QPushButton *Command2;
    QLabel *Image1;

    void CmdOK_Click();

    PasswordGate &m_gate;
    Dialogs &m_dialogs;
};
