#pragma once

#include "environment.h"
#include "frmipset.h"
#include "frmletter.h"
#include "frmmsgopen.h"
#include "frmopt.h"
#include "frmpw.h"
#include "frmversion.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

class AwayNote;
class Composer;
class DatagramPort;
class Dispatcher;
class FrmLog;
class FrmOption;
class HistoryBrowser;
class FrmRecv;
class FrmSnd;
class HistoryModel;
class IconTheme;
class Inbox;
class LocalUser;
class PasswordGate;
class Receiver;
class RecordingDialogs;
class ResultPresenter;
class SettingsStore;
class TrayController;
class UserListModel;

// One copy of the program: builds every service from its environment, starts,
// and ends. The only place that knows all the parts.
class Program : public QObject
{
    Q_OBJECT
public:
    enum class StartResult { Running, AlreadyRunning, LockFailed, PortInUse, PortFailed };

    explicit Program(Environment env, QObject *parent = nullptr);
    ~Program() override;

    StartResult start();
    // 終了(&X): asks first while messages wait.
    void mnuEnd_Click();
    // Takes the tray icon away and ends, asking nothing (signals, session end).
    void end();

    bool hasTray() const { return m_hasTray; }
    QString lastAnswer() const;

    SettingsStore &store() { return *m_store; }
    HistoryModel &history() { return *m_history; }
    UserListModel &users() { return *m_users; }
    AwayNote &awayNote() { return *m_note; }
    LocalUser &user() { return *m_user; }
    Dispatcher &dispatcher() { return *m_dispatcher; }
    Composer &composer() { return *m_composer; }
    ResultPresenter &results() { return *m_results; }
    TrayController &tray() { return *m_tray; }
    IconTheme &theme() { return *m_theme; }
    // Made on first use.
    FrmSnd &frmSnd();
    FrmOption &frmOption();
    FrmVersion *frmVersion() const { return m_frmVersion; }
    FrmIPset *frmIPset() const { return m_frmIPset; }
    Inbox &inbox() { return *m_inbox; }
    Receiver &receiver() { return *m_receiver; }
    PasswordGate &gate() { return *m_gate; }
    // Made on first use, then only hidden.
    FrmRecv &frmRecv();
    FrmMsgOpen *frmMsgOpen() const { return m_frmMsgOpen; }
    FrmPw *frmPw() const { return m_frmPw; }
    FrmLetter *frmLetter() const { return m_frmLetter; }
    FrmOpt *frmOpt() const { return m_frmOpt; }
    HistoryBrowser &historyBrowser() { return *m_browser; }
    FrmLog *frmLog() const { return m_frmLog.get(); }

    void openSendWindow();
    void openIpSet();
    void openIconDialog();
    void openVersion();
    void applyAppearance();
    // Shows the waiting messages from the first one.
    void dspRecvMsg();
    // 置き手紙作成: the note window, made when it is not there.
    void mnuLetter_Click();
    // 動作環境の設定: the options dialog, filled afresh.
    void mnuOther_Click();
    // 送受信履歴表示: through the password gate.
    void mnuLog_Click();
    // Places and shows the history window.
    void dspLog();

signals:
    void ended();

private:
    void themeChanged();
    void messageArrived();
    void showPassword();
    void notifyArrival(const QString &senderName, const QString &address);

    Environment m_env;
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<DatagramPort> m_ownPort;
    DatagramPort *m_port = nullptr;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<IconTheme> m_theme;
    std::unique_ptr<LocalUser> m_user;
    std::unique_ptr<HistoryModel> m_history;
    std::unique_ptr<UserListModel> m_users;
    std::unique_ptr<AwayNote> m_note;
    std::unique_ptr<PasswordGate> m_gate;
    std::unique_ptr<Inbox> m_inbox;
    std::unique_ptr<Receiver> m_receiver;
    std::unique_ptr<HistoryBrowser> m_browser;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<Composer> m_composer;
    std::unique_ptr<ResultPresenter> m_results;
    std::unique_ptr<TrayController> m_tray;
    std::unique_ptr<FrmSnd> m_frmSnd;
    std::unique_ptr<FrmOption> m_frmOption;
    std::unique_ptr<FrmRecv> m_frmRecv;
    std::unique_ptr<FrmLog> m_frmLog;
    QPointer<FrmMsgOpen> m_frmMsgOpen;
    QPointer<FrmPw> m_frmPw;
    QPointer<FrmLetter> m_frmLetter;
    QPointer<FrmOpt> m_frmOpt;
    QString m_weekday;
    std::optional<int> m_storedSet;
    QPointer<FrmVersion> m_frmVersion;
    QPointer<FrmIPset> m_frmIPset;
    int m_versionPhase = 0;
    bool m_hasTray = true;
    bool m_ended = false;
};
