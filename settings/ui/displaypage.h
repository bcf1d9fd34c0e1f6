#pragma once

#include "optionpage.h"
#include "optsettings.h"

class Dialogs;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// 表示: the background colour, the font, and where windows stand.
class DisplayPage : public OptionPage
{
    Q_OBJECT
public:
    DisplayPage(Dialogs &dialogs, QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;
    void shown() override { fillDisplay(); }

signals:
    // A colour or font was chosen: the settings with it, to show before
    // they are in force.
    void previewed(const OptSettings &draft);

private:
    void fillDisplay();
    void CmdColor_Click();
    void CmdFont_Click();

    Dialogs &m_dialogs;
    // The colour and font as edited here.
    OptSettings m_draft;
    QGroupBox *Frame1, *Frame2, *Frame3;
    QLineEdit *TxtColor, *TxtFont, *TxtSize;
    QPushButton *CmdColor, *CmdFont;
    QRadioButton *OptLeftup, *OptRightup, *OptLeftlow, *OptRightlow, *OptCenter;
};
