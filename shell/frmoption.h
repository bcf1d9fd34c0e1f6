#pragma once

#include <QWidget>
#include <array>

class Dialogs;
class IconTheme;
class QButtonGroup;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class SettingsStore;
class TrayController;

// "ｱｲｺﾝ変更": choose one of the ten icon sets. Only hidden by 閉じる, so the
// choice survives.
class FrmOption : public QWidget
{
    Q_OBJECT
public:
    FrmOption(IconTheme &theme, TrayController &tray, SettingsStore &store, Dialogs &dialogs,
              QWidget *parent = nullptr);

    void select(int set);

private:
    std::array<QRadioButton *, 10> Option1;
    std::array<QLabel *, 10> Image1;
    std::array<QLabel *, 10> Image2;
    QFrame *Line1;
    QPushButton *CmdOK;
    QPushButton *CmdCancel;

    void CmdOK_Click();

    IconTheme &m_theme;
    TrayController &m_tray;
    SettingsStore &m_store;
    Dialogs &m_dialogs;
};
