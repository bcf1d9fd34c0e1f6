#include "frmversion.h"

#include "controls.h"

#include "icontheme.h"
#include "twips.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

FrmVersion::FrmVersion(IconTheme &theme, int phase, QWidget *parent)
    : QWidget(parent, Qt::Window), m_theme(theme), m_phase(phase)
{
    setObjectName(QStringLiteral("FrmVersion"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

    const auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    Image1 = label("Image1");
    Image2 = label("Image2");
    readAs(Image1, QStringLiteral("ぽるとな～"));
    readAs(Image2, QStringLiteral("ぽるとな～"));
    Image3 = label("Image3");
    Image2->hide(); // the two held pictures: Image1 shows one of them
    Image3->hide();
    Label1 = label("Label1");
    Label1->setText(QStringLiteral("ぽるとな～"));
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    Label1->setFont(big);
    Label2 = label("Label2");
    Label2->setText(QStringLiteral("Version 1.13"));
    Line1 = named(new QFrame(this), "Line1");
    Line2 = named(new QFrame(this), "Line2");
    for (QFrame *line : {Line1, Line2}) {
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
    }
    Command1 = named(new QPushButton(QStringLiteral("OK"), this), "Command1");
    pressedBy(Command1, QKeySequence(Qt::Key_Escape));
    Command1->setDefault(true);
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(AnimationMs);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignCenter);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(Label2, 1, 1);
    grid->addWidget(Line1, 2, 0, 1, 2);
    grid->addWidget(Line2, 3, 0, 1, 2);
    grid->addWidget(Command1, 4, 0, 1, 2, Qt::AlignHCenter);
    grid->setHorizontalSpacing(twips::toPixelsX(240, twips::screenOf(this)));
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer1, &QTimer::timeout, this, &FrmVersion::Timer1_Timer);
    setPictures();
    Timer1->start();
}

void FrmVersion::setPictures()
{
    const int size = twips::toPixelsX(480, twips::screenOf(this));
    setWindowIcon(m_theme.normal());
    Image2->setPixmap(m_theme.arrival().pixmap(size));
    Image3->setPixmap(m_theme.normal().pixmap(size));
    Image1->setPixmap((m_showsArrival ? Image2 : Image3)->pixmap());
}

void FrmVersion::Timer1_Timer()
{
    if (m_phase == 1) {
        m_phase = 0;
        m_showsArrival = false;
        Image1->setPixmap(Image3->pixmap());
    } else {
        m_phase = 1;
        m_showsArrival = true;
        Image1->setPixmap(Image2->pixmap());
    }
    emit phaseChanged(m_phase);
}
