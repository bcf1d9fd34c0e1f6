#include "frmpw.h"

#include "controls.h"

#include "passwordgate.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

FrmPw::FrmPw(PasswordGate &gate, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_gate(gate), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FrmPw"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ入力"));

    Image1 = named(new QLabel(this), "Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32));
    Label2 = named(new QLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞを入力してください。"), this), "Label2");
    Label1 = named(new QLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ："), this), "Label1");
    TxtPw = named(new QLineEdit(this), "TxtPw");
    TxtPw->setEchoMode(QLineEdit::Password);
    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdOK->setDefault(true);
    CmdOK->setAutoDefault(true);
    Command2 = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "Command2");
    pressedBy(Command2, QKeySequence(Qt::Key_Escape));

    auto *grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(Label2, 0, 1, 1, 3);
    grid->addWidget(Label1, 1, 1);
    grid->addWidget(TxtPw, 1, 2, 1, 2);
    grid->addWidget(CmdOK, 2, 2);
    grid->addWidget(Command2, 2, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(TxtPw, &QLineEdit::returnPressed, this, &FrmPw::CmdOK_Click);
    connect(CmdOK, &QPushButton::clicked, this, &FrmPw::CmdOK_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void FrmPw::CmdOK_Click()
{
    const auto verdict = m_gate.check(TxtPw->text());
    switch (verdict) {
    case PasswordGate::Verdict::Empty:
    case PasswordGate::Verdict::Wrong:
        m_dialogs.messageBox(PasswordGate::refusal(verdict));
        TxtPw->setFocus();
        return;
    case PasswordGate::Verdict::History:
        emit historyGranted();
        break;
    case PasswordGate::Verdict::Message:
        break;
    }
    close();
}
