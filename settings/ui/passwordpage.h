#pragma once

#include "optionpage.h"

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;

// ﾊﾟｽﾜｰﾄﾞ: the gate and its password. Its OK (and the dialog's OK and
// 更新 while it is up) runs the password action alone.
class PasswordPage : public OptionPage
{
    Q_OBJECT
public:
    // inForce: the settings in force, which the page shows again when left.
    PasswordPage(const OptSettings &inForce, Dialogs &dialogs, QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;
    // What was typed and not applied is dropped.
    void left() override;

    void passwordAction();

signals:
    // The action changed the password: the settings are to be saved.
    void saveWanted();

private:
    void PwEnable();

    const OptSettings &m_inForce;
    Dialogs &m_dialogs;
    QCheckBox *ChkPw1;
    QLineEdit *TxtPw1, *TxtPw2, *TxtPw3;
    QLabel *Label1, *Label2;
    QPushButton *CmdPok;
};
