#pragma once

#include "optionpage.h"

#include <utility>
#include <vector>

class Autostart;
class Dialogs;
class QComboBox;
class QLabel;
class QSpinBox;

// その他: the random icon, starting at login, and the options kept in
// portana.ini.
class OtherPage : public OptionPage
{
    Q_OBJECT
public:
    OtherPage(Autostart &autostart, Dialogs &dialogs, QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;

private:
    void ChkStartup_Click();
    void CboKeep_Change(int index);

    Autostart &m_autostart;
    Dialogs &m_dialogs;
    QCheckBox *ChkIcon;
    QLabel *Label3;
    QCheckBox *ChkStartup; // kept as the autostart entry, not in a settings file
    // The on/off options of portana.ini, each with its box.
    std::vector<std::pair<QCheckBox *, bool IniOptions::*>> m_iniBoxes;
    QLabel *LblKeep; // how long the history is kept
    QComboBox *CboKeep;
    QSpinBox *TxtKeep;
};
