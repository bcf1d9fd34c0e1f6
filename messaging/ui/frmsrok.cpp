#include "frmsrok.h"

#include "controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

FrmSROK::FrmSROK(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmSROK"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Form1"));

    Picture1 = named(new QWidget(this), "Picture1");
    Image1 = named(new QLabel(Picture1), "Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24));
    Image2 = named(new QLabel(Picture1), "Image2");
    Image2->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(24));
    auto *pictures = new QHBoxLayout(Picture1);
    pictures->setContentsMargins(0, 0, 0, 0);
    pictures->addWidget(Image1);
    pictures->addWidget(Image2);

    Label1 = named(new QLabel(QStringLiteral("11:22:33"), this), "Label1");
    Label1->setTextFormat(Qt::PlainText);
    Command1 = named(new QPushButton(QStringLiteral("OK"), this), "Command1");
    pressedBy(Command1, QKeySequence(Qt::Key_Escape));
    Command1->setDefault(true);
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(CloseAfterMs);
    Timer1->setSingleShot(true);

    auto *row = new QHBoxLayout(this);
    row->addWidget(Picture1);
    row->addWidget(Label1);
    row->addWidget(Command1);
    row->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer1, &QTimer::timeout, this, &QWidget::close);
}

void FrmSROK::showResult(bool deliveryPicture, const QString &time, bool autoClose)
{
    if (autoClose)
        Timer1->start();
    else
        Timer1->stop();
    Image1->setVisible(deliveryPicture);
    Image2->setVisible(!deliveryPicture);
    Label1->setText(time);
}
