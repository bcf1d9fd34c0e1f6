#pragma once

#include "optionpage.h"

#include <utility>
#include <vector>

class Autostart;
class Dialogs;
class QComboBox;
class QLabel;
class QLineEdit;
class ScreenLock;
class QSpinBox;

// その他: the random icon, starting at login, and the options kept in
// portana.ini.
class OtherPage : public OptionPage
{
    Q_OBJECT
public:
    // lock: none when the screen's lock is not heard.
    OtherPage(Autostart &autostart, const ScreenLock *lock, Dialogs &dialogs,
              QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;

private:
    void ChkStartup_Click();
    void CboKeep_Change(int index);
    void ChkAwayLock_Change();

    Autostart &m_autostart;
    const ScreenLock *m_lock;
    Dialogs &m_dialogs;
    QCheckBox *ChkIcon;
    QLabel *Label3;
    QCheckBox *ChkStartup; // kept as the autostart entry, not in a settings file
    // The on/off options of portana.ini, each with its box.
    std::vector<std::pair<QCheckBox *, bool IniOptions::*>> m_iniBoxes;
    QCheckBox *ChkAwayLock; // a note while the screen is locked
    QLineEdit *TxtAwayLock; // what it says
    QLabel *LblKeep;        // how long the history is kept
    QComboBox *CboKeep;
    QSpinBox *TxtKeep;
};
