#include "frmopt.h"

#include "controls.h"
#include "dialogs.h"
#include "displaypage.h"
#include "filespage.h"
#include "networkpage.h"
#include "otherpage.h"
#include "passwordpage.h"
#include "portanaini.h"
#include "sendrecvpage.h"
#include "settingsstore.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <utility>

FrmOpt::FrmOpt(SettingsStore &store, PortanaIni &ini, Dialogs &dialogs, NameCheck nameUsable,
               Autostart &autostart, const ScreenLock *lock, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store), m_ini(ini), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FrmOpt"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ指定"));

    TabStrip1 = named(new QTabBar(this), "TabStrip1");
    for (const QString &caption :
         {QStringLiteral("送受信 "), QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), QStringLiteral("表示"),
          QStringLiteral("ﾕｰｻﾞｰ情報"), QStringLiteral("その他 "), QStringLiteral("ﾈｯﾄﾜｰｸ"),
          QStringLiteral("ﾌｧｲﾙ")})
        TabStrip1->addTab(caption);
    auto *display = new DisplayPage(dialogs, this);
    m_password = new PasswordPage(store.settings(), dialogs, this);
    pages = {new SendRecvPage(this),
             m_password,
             display,
             new UserInfoPage(std::move(nameUsable), this),
             new OtherPage(autostart, lock, dialogs, this),
             new NetworkPage(this),
             new FilesPage(dialogs, this)};
    const char *pageNames[] = {"Picture1", "Picture2", "Picture3", "Picture4",
                               "Picture5", "Picture6", "Picture7"};
    for (int i = 0; i < int(pages.size()); ++i)
        pages[size_t(i)]->setObjectName(QLatin1String(pageNames[i]));

    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdCancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "CmdCancel");
    pressedBy(CmdCancel, QKeySequence(Qt::Key_Escape));
    pressedBy(CmdOK, QKeySequence(QStringLiteral("Ctrl+Return")));
    CmdWrite = named(new QPushButton(QStringLiteral("更新(&A)"), this), "CmdWrite");

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(TabStrip1);
    for (QWidget *page : pages)
        outer->addWidget(page, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    buttons->addWidget(CmdWrite);
    outer->addLayout(buttons);

    for (QLabel *label : findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);

    connect(TabStrip1, &QTabBar::currentChanged, this, &FrmOpt::showPage);
    connect(display, &DisplayPage::previewed, this, [this](const OptSettings &draft) {
        m_previewing = true;
        emit appearancePreviewed(draft);
    });
    // The password action saves the settings file alone.
    connect(m_password, &PasswordPage::saveWanted, this, [this] {
        IniOptions unsaved;
        m_store.commit(optGather(unsaved));
    });
    connect(CmdOK, &QPushButton::clicked, this, [this] {
        if (apply())
            close();
    });
    connect(CmdWrite, &QPushButton::clicked, this, &FrmOpt::apply);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::close);

    fill();
    showPage(SendRecv);
}

void FrmOpt::fill()
{
    for (OptionPage *page : pages)
        page->fill(m_store.settings(), m_ini.options());
}

void FrmOpt::showPage(int page)
{
    if (page != m_page)
        pages[size_t(m_page)]->left();
    m_page = page;
    for (int i = 0; i < int(pages.size()); ++i)
        pages[size_t(i)]->setVisible(i == page);
    if (TabStrip1->currentIndex() != page)
        TabStrip1->setCurrentIndex(page);
    pages[size_t(page)]->shown();
}

OptSettings FrmOpt::optGather(IniOptions &ini)
{
    // Over the settings in force: what other windows changed meanwhile
    // (the icon set, the manual address) stays.
    OptSettings s = m_store.settings();
    ini = m_ini.options();
    for (OptionPage *page : pages)
        page->gather(s, ini);
    return s;
}

bool FrmOpt::apply()
{
    if (m_page == Password) {
        m_password->passwordAction();
        return true;
    }
    for (int i = 0; i < int(pages.size()); ++i) {
        if (const QString problem = pages[size_t(i)]->problem(); !problem.isEmpty()) {
            m_dialogs.messageBox({QString(problem).replace(u'\n', u'\r'), QStringLiteral("ｴﾗｰ確認"),
                                  Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
            showPage(i);
            return false;
        }
    }
    IniOptions ini;
    const OptSettings s = optGather(ini);
    for (const QString &unsaved : m_ini.commit(ini))
        m_dialogs.messageBox({unsaved, QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
    // What was gathered is in force now, saved or not; a failed save has
    // been reported and the dialog stays.
    const bool saved = m_store.commit(s);
    if (std::exchange(m_previewing, false))
        emit appearanceRestored();
    return saved;
}

void FrmOpt::closeEvent(QCloseEvent *event)
{
    // Not applied: the windows go back to what is in force.
    if (std::exchange(m_previewing, false))
        emit appearanceRestored();
    QWidget::closeEvent(event);
}
