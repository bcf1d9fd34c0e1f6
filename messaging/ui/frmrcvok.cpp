#include "frmrcvok.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

FrmRcvOK::FrmRcvOK(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmRcvOK"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("着信確認"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(32));
    Label1 = new QLabel(QStringLiteral("メッセージは確認されました。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("99.99.99"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("12:34"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    for (QLabel *label : {Label1, Label2, Label3})
        label->setTextFormat(Qt::PlainText);
    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(CloseAfterMs);
    Timer1->setSingleShot(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 1);
    grid->addWidget(Label3, 1, 2);
    grid->addWidget(CmdOK, 2, 1, 1, 2, Qt::AlignHCenter);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(CmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer1, &QTimer::timeout, this, &QWidget::close);
}
