#pragma once

#include "optionpage.h"

class Dialogs;
class QLineEdit;
class QPushButton;
class QSpinBox;

// ﾌｧｲﾙ: where received files go, and whether they are saved as they arrive
// (only from peers in the list, never over the size set here).
class FilesPage : public OptionPage
{
    Q_OBJECT
public:
    explicit FilesPage(Dialogs &dialogs, QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;

private:
    void CmdFolder_Click();
    void ChkAutoSave_Change();

    Dialogs &m_dialogs;
    QLineEdit *TxtFolder;
    QPushButton *CmdFolder;
    QCheckBox *ChkAutoSave;
    QSpinBox *TxtMaxSize;
};
