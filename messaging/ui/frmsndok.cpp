#include "frmsndok.h"

#include "controls.h"

#include "plaintitle.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

FrmSndOK::FrmSndOK(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmSndOK"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("送信確認 "));

    Image1 = named(new QLabel(this), "Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
    Label1 = named(new QLabel(this), "Label1");
    Label2 = named(new QLabel(QStringLiteral("99/99/99"), this), "Label2");
    Label3 = named(new QLabel(QStringLiteral("99：99"), this), "Label3");
    for (QLabel *label : {Label1, Label2, Label3})
        label->setTextFormat(Qt::PlainText);
    CmdOk = named(new QPushButton(QStringLiteral("OK"), this), "CmdOk");
    pressedBy(CmdOk, QKeySequence(Qt::Key_Escape));
    CmdOk->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 1);
    grid->addWidget(Label3, 1, 2);
    grid->addWidget(CmdOk, 2, 1, 1, 2, Qt::AlignHCenter);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(CmdOk, &QPushButton::clicked, this, &QWidget::close);
}

void FrmSndOK::showResult(const QString &label, const QString &peerName, const QString &date,
                          const QString &time)
{
    Label1->setText(label);
    setWindowTitle(plainTitle(QStringLiteral("To ") + peerName));
    Label2->setText(date);
    Label3->setText(time);
}
