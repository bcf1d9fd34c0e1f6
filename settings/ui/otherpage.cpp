#include "otherpage.h"

#include "autostart.h"
#include "controls.h"
#include "dialogs.h"
#include "inioptions.h"
#include "optsettings.h"
#include "screenlock.h"
#include "twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The page's on/off options of portana.ini, in the order they stand.
struct IniBox
{
    const char *name;
    const char *caption;
    bool IniOptions::*option;
};
const IniBox IniBoxes[] = {
    {"ChkNotify", "デスクトップ通知も表示する", &IniOptions::notifyWithTray},
};

} // namespace

OtherPage::OtherPage(Autostart &autostart, const ScreenLock *lock, Dialogs &dialogs,
                     QWidget *parent)
    : OptionPage(parent), m_autostart(autostart), m_lock(lock), m_dialogs(dialogs)
{
    ChkIcon = check("ChkIcon", QStringLiteral("起動時、ｱｲｺﾝをﾗﾝﾀﾞﾑに表示させる。"));
    Label3 = named(new QLabel(QStringLiteral("※次回起動時から有効です。"), this), "Label3");
    ChkStartup = check("ChkStartup", QStringLiteral("ﾛｸﾞｲﾝ時に自動で起動する。"));
    auto *column = new QVBoxLayout(this);
    column->addWidget(ChkIcon);
    column->addWidget(Label3);
    column->addSpacing(twips::toPixelsY(180)); // the note above is the random icon's
    column->addWidget(ChkStartup);
    for (const IniBox &box : IniBoxes) {
        m_iniBoxes.emplace_back(check(box.name, QString::fromUtf8(box.caption)), box.option);
        column->addWidget(m_iniBoxes.back().first);
    }
    ChkAwayLock = check("ChkAwayLock", QStringLiteral("画面のロック中は置き手紙を出す"));
    TxtAwayLock = named(new QLineEdit(this), "TxtAwayLock");
    readAs(TxtAwayLock, QStringLiteral("画面のロック中の置き手紙"));
    auto *awayRow = new QHBoxLayout;
    awayRow->addWidget(ChkAwayLock);
    awayRow->addWidget(TxtAwayLock, 1);
    column->addLayout(awayRow);
    column->addSpacing(twips::toPixelsY(180));
    LblKeep = named(new QLabel(QStringLiteral("履歴の保存："), this), "LblKeep");
    CboKeep = named(new QComboBox(this), "CboKeep");
    CboKeep->addItems({QStringLiteral("すべて保存する"), QStringLiteral("最近の日数分だけ保存する"),
                       QStringLiteral("最近の件数分だけ保存する")});
    TxtKeep = named(new QSpinBox(this), "TxtKeep");
    TxtKeep->setRange(1, 99999999);
    readAs(CboKeep, QStringLiteral("履歴の保存"));
    readAs(TxtKeep, QStringLiteral("保存する日数または件数"));
    auto *keepRow = new QHBoxLayout;
    keepRow->addWidget(LblKeep);
    keepRow->addWidget(CboKeep);
    keepRow->addWidget(TxtKeep);
    keepRow->addStretch();
    column->addLayout(keepRow);
    column->addStretch();
    connect(CboKeep, &QComboBox::currentIndexChanged, this, &OtherPage::CboKeep_Change);
    connect(ChkStartup, &QCheckBox::clicked, this, &OtherPage::ChkStartup_Click);
    connect(ChkAwayLock, &QCheckBox::toggled, this, &OtherPage::ChkAwayLock_Change);
}

void OtherPage::fill(const OptSettings &s, const IniOptions &ini)
{
    ChkIcon->setChecked(s.iconRandom);
    ChkStartup->setChecked(m_autostart.isEnabled());
    for (const auto &[box, option] : m_iniBoxes)
        box->setChecked(ini.*option);
    ChkAwayLock->setChecked(ini.awayOnLock);
    TxtAwayLock->setText(ini.awayText);
    ChkAwayLock_Change();
    const KeepRule &keep = ini.historyKeep;
    CboKeep->setCurrentIndex(int(keep.keep));
    TxtKeep->setValue(keep.keep == KeepRule::Keep::All ? 30 : keep.count);
    CboKeep_Change(CboKeep->currentIndex());
}

void OtherPage::gather(OptSettings &s, IniOptions &ini)
{
    s.iconRandom = ChkIcon->isChecked();
    for (const auto &[box, option] : m_iniBoxes)
        ini.*option = box->isChecked();
    ini.awayOnLock = ChkAwayLock->isChecked();
    ini.awayText = TxtAwayLock->text();
    const auto keep = KeepRule::Keep(CboKeep->currentIndex());
    ini.historyKeep = {keep, keep == KeepRule::Keep::All ? 0 : TxtKeep->value()};
}

void OtherPage::CboKeep_Change(int index)
{
    TxtKeep->setEnabled(index != int(KeepRule::Keep::All));
    TxtKeep->setSuffix(index == int(KeepRule::Keep::Rows) ? QStringLiteral(" 件")
                                                          : QStringLiteral(" 日"));
}

void OtherPage::ChkAwayLock_Change()
{
    // Where nothing tells of the lock, the option shows why it does nothing.
    const QString unheard = m_lock ? m_lock->unheard()
                                   : QStringLiteral("画面のロックを知らせるものがありません。");
    ChkAwayLock->setEnabled(unheard.isEmpty());
    ChkAwayLock->setToolTip(unheard);
    TxtAwayLock->setEnabled(unheard.isEmpty() && ChkAwayLock->isChecked());
    TxtAwayLock->setToolTip(unheard);
}

void OtherPage::ChkStartup_Click()
{
    // Written or removed at once: it is no setting to save.
    const QString failed = m_autostart.setEnabled(ChkStartup->isChecked());
    if (failed.isEmpty())
        return;
    ChkStartup->setChecked(m_autostart.isEnabled());
    m_dialogs.messageBox({QStringLiteral("ﾛｸﾞｲﾝ時の起動を設定できませんでした。\r") + failed,
                          QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical, Dialogs::Buttons::Ok,
                          Dialogs::Ok});
}
