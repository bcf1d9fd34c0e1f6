#include "frmrcvok.h"

#include "controls.h"

#include "plaintitle.h"
#include "wire.h"

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

    Image1 = named(new QLabel(this), "Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(32));
    Label1 = named(new QLabel(QStringLiteral("メッセージは確認されました。"), this), "Label1");
    Label2 = named(new QLabel(QStringLiteral("99.99.99"), this), "Label2");
    Label3 = named(new QLabel(QStringLiteral("12:34"), this), "Label3");
    for (QLabel *label : {Label1, Label2, Label3})
        label->setTextFormat(Qt::PlainText);
    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    pressedBy(CmdOK, QKeySequence(Qt::Key_Escape));
    CmdOK->setDefault(true);
    Timer1 = named(new QTimer(this), "Timer1");
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

void FrmRcvOK::showResult(const QString &label, const wire::Name &name, const QString &date,
                          const QString &time, bool autoClose)
{
    Label1->setText(label);
    Label2->setText(date);
    Label3->setText(time);
    if (autoClose)
        Timer1->start();
    else
        Timer1->stop();
    if (!name.nobody)
        setWindowTitle(plainTitle(QStringLiteral("From ") + name.field));
}
