#pragma once

#include "optsettings.h"
#include "userinfopage.h"

#include <QWidget>
#include <array>

class Autostart;
class Dialogs;
class OptionPage;
class PasswordPage;
class PortanaIni;
struct IniOptions;
class QPushButton;
class QTabBar;
class ScreenLock;
class SettingsStore;

// "ｵﾌﾟｼｮﾝ指定": the settings in six pages. Filled from the settings when
// opened; OK and 更新(&A) gather and save them, except on the password page,
// where they run the password action alone.
class FrmOpt : public QWidget
{
    Q_OBJECT
public:
    enum Page { SendRecv, Password, Display, UserInfo, Other, Network, Files };
    using NameCheck = UserInfoPage::NameCheck;

    // lock: whether the screen's lock is heard; none: it is not.
    FrmOpt(SettingsStore &store, PortanaIni &ini, Dialogs &dialogs, NameCheck nameUsable,
           Autostart &autostart, const ScreenLock *lock, QWidget *parent = nullptr);

    // Puts the settings into the controls (also over unsaved edits).
    void fill();

signals:
    // A colour or font was chosen: every window shows it at once, until
    // appearanceRestored: OK and 更新 put it in force, ｷｬﾝｾﾙ (or closing
    // the dialog) drops it.
    void appearancePreviewed(const OptSettings &draft);
    void appearanceRestored();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The settings in force with this dialog's edits over them; ini gets
    // portana.ini's.
    OptSettings optGather(IniOptions &ini);
    void showPage(int page);
    // OK and 更新: true when the dialog may close.
    bool apply();

    SettingsStore &m_store;
    PortanaIni &m_ini;
    Dialogs &m_dialogs;
    QTabBar *TabStrip1;
    std::array<OptionPage *, 7> pages; // Picture1 to Picture7
    PasswordPage *m_password;
    QPushButton *CmdOK, *CmdCancel, *CmdWrite;
    int m_page = SendRecv;
    bool m_previewing = false;
};
