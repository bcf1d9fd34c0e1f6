#include "frmmsgopen.h"

#include "controls.h"

#include <QHBoxLayout>
#include <QPushButton>

FrmMsgOpen::FrmMsgOpen(const QIcon &picture, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmMsgOpen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("受信"));
    setWindowIcon(picture);

    CmdMsgOpen = named(new QPushButton(this), "CmdMsgOpen");
    CmdMsgOpen->setIcon(picture);
    CmdMsgOpen->setIconSize(QSize(48, 48));
    CmdMsgOpen->setDefault(true);
    readAs(CmdMsgOpen, QStringLiteral("受信メッセージを表示"));
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(CmdMsgOpen);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(CmdMsgOpen, &QPushButton::clicked, this, &FrmMsgOpen::openRequested);
}
