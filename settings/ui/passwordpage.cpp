#include "passwordpage.h"

#include "controls.h"
#include "dialogs.h"
#include "inioptions.h"
#include "optsettings.h"
#include "passwordgate.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PasswordPage::PasswordPage(const OptSettings &inForce, Dialogs &dialogs, QWidget *parent)
    : OptionPage(parent), m_inForce(inForce), m_dialogs(dialogs)
{
    ChkPw1 =
        check("ChkPw1", QStringLiteral("受信ﾒｯｾｰｼﾞ開封時および履歴参照時、ﾊﾟｽﾜｰﾄﾞ入力を行う。"));
    TxtPw1 = named(new QLineEdit(this), "TxtPw1");
    TxtPw1->setEchoMode(QLineEdit::Password);
    TxtPw1->setReadOnly(true); // the password in force; nobody types here
    TxtPw1->setFocusPolicy(Qt::NoFocus);
    Label1 = named(new QLabel(QStringLiteral("現ﾊﾟｽﾜｰﾄﾞ："), this), "Label1");
    TxtPw2 = named(new QLineEdit(this), "TxtPw2");
    Label2 = named(new QLabel(QStringLiteral("新ﾊﾟｽﾜｰﾄﾞ："), this), "Label2");
    TxtPw3 = named(new QLineEdit(this), "TxtPw3");
    TxtPw3->setEchoMode(QLineEdit::Password);
    CmdPok = named(new QPushButton(QStringLiteral("OK"), this), "CmdPok");
    pressedBy(CmdPok, QKeySequence(QStringLiteral("Alt+P")));
    readAs(TxtPw1, QStringLiteral("設定されているパスワード"));
    readAs(TxtPw2, QStringLiteral("現パスワード"));
    readAs(TxtPw3, QStringLiteral("新パスワード"));
    readAs(CmdPok, QStringLiteral("パスワードを設定"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(ChkPw1, 0, 0, 1, 3);
    grid->addWidget(TxtPw1, 1, 1);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(TxtPw2, 2, 1);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(TxtPw3, 3, 1);
    grid->addWidget(CmdPok, 3, 2);
    grid->setRowStretch(4, 1);
    // Ticked by the user or put back by the code: the boxes follow.
    connect(ChkPw1, &QCheckBox::stateChanged, this, &PasswordPage::PwEnable);
    connect(CmdPok, &QPushButton::clicked, this, &PasswordPage::passwordAction);
}

void PasswordPage::fill(const OptSettings &s, const IniOptions &)
{
    TxtPw1->setText(s.pwStored);
    TxtPw2->setText(s.pwCurrent);
    TxtPw3->setText(s.pwNew);
    ChkPw1->setChecked(s.pwCheck);
    PwEnable(); // also when the tick stayed and the password changed
}

void PasswordPage::left()
{
    fill(m_inForce, {});
}

void PasswordPage::gather(OptSettings &s, IniOptions &)
{
    if (ChkPw1->checkState() == Qt::Checked && TxtPw1->text().isEmpty()) {
        ChkPw1->setCheckState(Qt::Unchecked);
        PwEnable();
    }
    s.pwCheck = ChkPw1->isChecked();
    s.pwStored = TxtPw1->text();
    s.pwCurrent = TxtPw2->text();
    s.pwNew = TxtPw3->text();
}

void PasswordPage::PwEnable()
{
    const auto e =
        passwordpage::pwEnable(ChkPw1->checkState() == Qt::Checked, !TxtPw1->text().isEmpty());
    if (e.clearCurrent)
        TxtPw2->clear();
    if (e.currentEnabled)
        TxtPw2->setEnabled(*e.currentEnabled);
    TxtPw3->setEnabled(e.newEnabled);
}

void PasswordPage::passwordAction()
{
    const auto o = passwordpage::apply(ChkPw1->isChecked() ? 1 : 0, TxtPw1->text(), TxtPw2->text(),
                                       TxtPw3->text());
    if (o.box)
        m_dialogs.messageBox(*o.box);
    TxtPw1->setText(o.stored);
    TxtPw2->setText(o.current);
    TxtPw3->setText(o.fresh);
    if (o.disableBoth) {
        TxtPw2->setEnabled(false);
        TxtPw3->setEnabled(false);
    }
    if (o.enableCurrent)
        TxtPw2->setEnabled(true);
    if (o.focus == passwordpage::Focus::Current)
        TxtPw2->setFocus();
    else if (o.focus == passwordpage::Focus::New)
        TxtPw3->setFocus();
    if (o.save)
        emit saveWanted();
}
