#include "frmipset.h"

#include "controls.h"

#include "settingsstore.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FrmIPset::FrmIPset(SettingsStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store)
{
    setObjectName(QStringLiteral("FrmIPset"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("IPｱﾄﾞﾚｽ指定"));

    auto *nameLabel = new QLabel(QStringLiteral("氏名"), this);
    auto *ipLabel = new QLabel(QStringLiteral("IPｱﾄﾞﾚｽ"), this);
    TxtName = named(new QLineEdit(store.settings().ipSetName, this), "TxtName");
    TxtIP = named(new QLineEdit(store.settings().ipSetAddr, this), "TxtIP");
    nameLabel->setBuddy(TxtName);
    ipLabel->setBuddy(TxtIP);
    Command1 = named(new QPushButton(QStringLiteral("OK"), this), "Command1");
    Command1->setDefault(true);
    Command2 = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "Command2");
    pressedBy(Command2, QKeySequence(Qt::Key_Escape));

    auto *grid = new QGridLayout(this);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(TxtName, 0, 1);
    grid->addWidget(Command1, 0, 2);
    grid->addWidget(ipLabel, 1, 0);
    grid->addWidget(TxtIP, 1, 1);
    grid->addWidget(Command2, 1, 2);
    TxtIP->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255  ")));

    connect(Command1, &QPushButton::clicked, this, &FrmIPset::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void FrmIPset::Command1_Click()
{
    // Taken as typed: an address that reaches nobody simply gets no answer.
    m_store.settings().ipSetAddr = TxtIP->text();
    m_store.settings().ipSetName = TxtName->text();
    // Closing says it is kept: it stays open when the save failed.
    if (m_store.optWrite())
        close();
}
