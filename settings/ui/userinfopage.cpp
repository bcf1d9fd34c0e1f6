#include "userinfopage.h"

#include "controls.h"
#include "optsettings.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

UserInfoPage::UserInfoPage(NameCheck nameUsable, QWidget *parent)
    : OptionPage(parent), m_nameUsable(std::move(nameUsable))
{
    Label4 = named(new QLabel(QStringLiteral("ﾕｰｻﾞｰ名を入力してください。（Max12文字）"), this),
                   "Label4");
    TxtName = named(new QLineEdit(this), "TxtName");
    readAs(TxtName, QStringLiteral("ユーザー名"),
           QStringLiteral("ここで設定された名前が受信者側へ表示されます。未入力の場合は、ログイン名"
                          "が表示されます。"));
    Label5 =
        named(new QLabel(QStringLiteral("ここで設定された名前が受信者側へ表示されます。"), this),
              "Label5");
    Label6 = named(new QLabel(QStringLiteral("未入力の場合は、ﾛｸﾞｲﾝ名が表示されます。"), this),
                   "Label6");
    auto *column = new QVBoxLayout(this);
    for (QWidget *w : {static_cast<QWidget *>(Label4), static_cast<QWidget *>(TxtName),
                       static_cast<QWidget *>(Label5), static_cast<QWidget *>(Label6)})
        column->addWidget(w);
    column->addStretch();
}

void UserInfoPage::fill(const OptSettings &s, const IniOptions &)
{
    TxtName->setText(s.optName);
}

void UserInfoPage::gather(OptSettings &s, IniOptions &)
{
    if (m_nameUsable(TxtName->text()))
        s.setOptName(TxtName->text());
}

QString UserInfoPage::problem() const
{
    if (m_nameUsable(TxtName->text()))
        return {};
    return QStringLiteral("「") + TxtName->text().trimmed() +
           QStringLiteral("」は通知の言葉と同じため、名前に使えません。");
}

void UserInfoPage::shown()
{
    TxtName->setFocus();
}
