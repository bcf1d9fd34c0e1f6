#include "frmsndlist.h"

#include "controls.h"
#include "sendround.h"
#include "twips.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

FrmSndList::FrmSndList(SendRound &round, QWidget *parent)
    : QWidget(parent, Qt::Window), m_round(round)
{
    setObjectName(QStringLiteral("FrmSndList"));
    setAttribute(Qt::WA_DeleteOnClose);

    LstResult = named(new QTreeView(this), "LstResult");
    LstResult->setModel(&m_round);
    LstResult->setRootIsDecorated(false);
    LstResult->setUniformRowHeights(true);
    LstResult->setSelectionMode(QAbstractItemView::NoSelection);
    LstResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LblSummary = named(new QLabel(this), "LblSummary");
    LblSummary->setTextFormat(Qt::PlainText);
    CmdResend =
        named(new QPushButton(QStringLiteral("応答のない人に再送信(&R)"), this), "CmdResend");
    CmdOk = named(new QPushButton(QStringLiteral("OK"), this), "CmdOk");
    pressedBy(CmdOk, QKeySequence(Qt::Key_Escape));
    CmdOk->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdResend);
    buttons->addWidget(CmdOk);
    auto *column = new QVBoxLayout(this);
    column->addWidget(LstResult);
    column->addWidget(LblSummary);
    column->addLayout(buttons);

    const QScreen *screen = twips::screenOf(this);
    LstResult->setColumnWidth(SendRound::NameCol, twips::toPixelsX(1800, screen));

    connect(CmdOk, &QPushButton::clicked, this, &QWidget::close);
    connect(CmdResend, &QPushButton::clicked, &m_round, &SendRound::resend);
    connect(&m_round, &SendRound::dataChanged, this, &FrmSndList::refresh);
    connect(&m_round, &SendRound::modelReset, this, &FrmSndList::refresh);
    refresh();
}

void FrmSndList::setSmall(bool small)
{
    LstResult->setVisible(!small);
    layout()->activate();
    const QScreen *screen = twips::screenOf(this);
    resize(twips::toPixelsX(4800, screen),
           small ? minimumSizeHint().height() : twips::toPixelsY(3600, screen));
}

void FrmSndList::refresh()
{
    const QString summary = m_round.summary();
    LblSummary->setText(summary);
    setWindowTitle(QStringLiteral("送信結果（") + summary + u'）');
    CmdResend->setEnabled(m_round.unanswered() > 0);
}
