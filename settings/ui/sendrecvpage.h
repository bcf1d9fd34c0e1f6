#pragma once

#include "optionpage.h"

// 送受信: the confirmations, refusing strangers, and how an arrival shows.
class SendRecvPage : public OptionPage
{
    Q_OBJECT
public:
    explicit SendRecvPage(QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;

private:
    void followTicks();

    QCheckBox *ChkSend, *ChkSndMin, *ChkRecv, *ChkRcvMin, *ChkTime, *ChkOther, *ChkDsp, *ChkBlink;
};
