#include "sendrecvpage.h"

#include "optsettings.h"

#include <QCheckBox>
#include <QGridLayout>

SendRecvPage::SendRecvPage(QWidget *parent) : OptionPage(parent)
{
    // The dependent boxes stand inside their sentence's parentheses.
    ChkSend = check("ChkSend", QStringLiteral("送信完了確認を行う。（"));
    ChkSndMin = check("ChkSndMin", QStringLiteral("最小表示）"));
    ChkRecv = check("ChkRecv", QStringLiteral("受信完了確認を行う。（"));
    ChkRcvMin = check("ChkRcvMin", QStringLiteral("最小表示"));
    ChkTime = check("ChkTime", QStringLiteral("10秒で自動消去）"));
    ChkOther = check("ChkOther", QStringLiteral("お相手以外からのﾒｯｾｰｼﾞは受け付けない。"));
    ChkDsp = check("ChkDsp", QStringLiteral("ﾒｯｾｰｼﾞ受信時は受信ﾎﾞﾀﾝを表示する。"));
    ChkBlink = check("ChkBlink", QStringLiteral("ﾒｯｾｰｼﾞ受信時はﾀｽｸﾄﾚｲのｱｲｺﾝを点滅する。"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(ChkSend, 0, 0);
    grid->addWidget(ChkSndMin, 0, 1);
    grid->addWidget(ChkRecv, 1, 0);
    grid->addWidget(ChkRcvMin, 1, 1);
    grid->addWidget(ChkTime, 1, 2);
    grid->addWidget(ChkOther, 2, 0, 1, 3);
    grid->addWidget(ChkDsp, 3, 0, 1, 3);
    grid->addWidget(ChkBlink, 4, 0, 1, 3);
    grid->setRowStretch(5, 1);
    connect(ChkSend, &QCheckBox::clicked, this, &SendRecvPage::followTicks);
    connect(ChkRecv, &QCheckBox::clicked, this, &SendRecvPage::followTicks);
}

void SendRecvPage::followTicks()
{
    ChkSndMin->setEnabled(ChkSend->checkState() == Qt::Checked);
    const bool on = ChkRecv->checkState() == Qt::Checked;
    ChkRcvMin->setEnabled(on);
    ChkTime->setEnabled(on);
}

void SendRecvPage::fill(const OptSettings &s, const IniOptions &)
{
    ChkSend->setChecked(s.sndConfirm);
    ChkSndMin->setChecked(s.sndConfirmMin);
    ChkRecv->setChecked(s.rcvConfirm);
    ChkRcvMin->setChecked(s.rcvConfirmMin);
    ChkTime->setChecked(s.autoErase);
    ChkOther->setChecked(s.otherReject);
    ChkDsp->setChecked(s.rcvButton);
    ChkBlink->setChecked(s.blinkIcon);
    followTicks();
}

void SendRecvPage::gather(OptSettings &s, IniOptions &)
{
    s.sndConfirm = ChkSend->isChecked();
    s.sndConfirmMin = ChkSndMin->isChecked();
    s.rcvConfirm = ChkRecv->isChecked();
    s.rcvConfirmMin = ChkRcvMin->isChecked();
    s.otherReject = ChkOther->isChecked();
    s.rcvButton = ChkDsp->isChecked();
    s.autoErase = ChkTime->isChecked();
    s.blinkIcon = ChkBlink->isChecked();
}
