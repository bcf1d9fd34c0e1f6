#include "frmoption.h"

#include "controls.h"

#include "dialogs.h"
#include "iconsets.h"
#include "icontheme.h"
#include "settingsstore.h"
#include "traycontroller.h"
#include "twips.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

FrmOption::FrmOption(IconTheme &theme, TrayController &tray, SettingsStore &store, Dialogs &dialogs,
                     QWidget *parent)
    : QWidget(parent, Qt::Window), m_theme(theme), m_tray(tray), m_store(store), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FrmOption"));
    setWindowTitle(QStringLiteral("ｱｲｺﾝ変更"));
    auto *grid = new QGridLayout(this);
    auto *group = new QButtonGroup(this);
    const int picture = twips::toPixelsX(480, twips::screenOf(this));
    for (int i = 0; i < iconsets::Count; ++i) {
        const int row = i % 5, col = (i / 5) * 3;
        Option1[size_t(i)] = new QRadioButton(QString::number(i), this);
        // Control arrays: one name for the ten elements, the index beside it.
        Option1[size_t(i)]->setObjectName(QStringLiteral("Option1"));
        Option1[size_t(i)]->setProperty("Index", i);
        group->addButton(Option1[size_t(i)], i);
        Image1[size_t(i)] = named(new QLabel(this), "Image1");
        Image1[size_t(i)]->setProperty("Index", i);
        readAs(Image1[size_t(i)], QStringLiteral("アイコン %1 の通常時").arg(i + 1));
        Image1[size_t(i)]->setPixmap(iconsets::normal(i).pixmap(picture));
        Image2[size_t(i)] = named(new QLabel(this), "Image2");
        Image2[size_t(i)]->setProperty("Index", i);
        readAs(Image2[size_t(i)], QStringLiteral("アイコン %1 の着信時").arg(i + 1));
        Image2[size_t(i)]->setPixmap(iconsets::arrival(i).pixmap(picture));
        grid->addWidget(Option1[size_t(i)], row, col);
        grid->addWidget(Image1[size_t(i)], row, col + 1);
        grid->addWidget(Image2[size_t(i)], row, col + 2);
    }
    Line1 = named(new QFrame(this), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    grid->addWidget(Line1, 5, 0, 1, 6);
    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdCancel = named(new QPushButton(QStringLiteral("閉じる"), this), "CmdCancel");
    pressedBy(CmdCancel, QKeySequence(Qt::Key_Escape));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    grid->addLayout(buttons, 6, 0, 1, 6);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(CmdOK, &QPushButton::clicked, this, &FrmOption::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::hide);
    setWindowIcon(m_theme.normal());
}

void FrmOption::select(int set)
{
    if (iconsets::isValid(set))
        Option1[size_t(set)]->setChecked(true);
}

void FrmOption::CmdOK_Click()
{
    for (int i = 0; i < iconsets::Count; ++i) {
        if (Option1[size_t(i)]->isChecked()) {
            m_theme.apply(i);
            m_store.settings().iconNo = QString::number(i);
        }
    }
    m_tray.iconSetChanged();
    if (!m_store.optWrite())
        return; // the store has said why; nothing was saved
    m_dialogs.messageBox({QStringLiteral("ｱｲｺﾝ変更完了！"), QStringLiteral("確認"),
                          Dialogs::Icon::Information, Dialogs::Buttons::Ok, Dialogs::Ok});
}
