#pragma once

#include "environment.h"
#include "windows.h"

#include <QObject>
#include <memory>

class Autostart;
class AwayNote;
class Composer;
class DatagramPort;
class Dispatcher;
class HistoryBrowser;
class HistoryModel;
class IconTheme;
class Inbox;
class KeptStore;
class LocalUser;
class PasswordGate;
class Receiver;
class RecordingDialogs;
class ResultPresenter;
class SettingsStore;
class TrayController;
class Transport;
class UserListModel;

// One copy of the program: builds every service from its environment, wires
// them to each other and to the windows, starts, and ends. The only place
// that knows all the parts.
class Program : public QObject
{
    Q_OBJECT
public:
    // Ended: the session ended (a logout) while a start-up box was up.
    enum class StartResult { Running, AlreadyRunning, LockFailed, PortInUse, PortFailed, Ended };

    explicit Program(Environment env, QObject *parent = nullptr);
    ~Program() override;

    StartResult start();
    // 終了(&X): asks first while messages wait.
    void mnuEnd_Click();
    // Takes the tray icon away and ends, asking nothing (signals, session end).
    void end();

    bool hasTray() const { return m_hasTray; }
    // The code of the last message-box answer.
    QString lastAnswer() const;

    // The services, for the tests that drive a whole copy.
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
    Inbox &inbox() { return *m_inbox; }
    Receiver &receiver() { return *m_receiver; }
    PasswordGate &gate() { return *m_gate; }
    KeptStore &kept() { return *m_kept; }

    // The windows (see Windows).
    FrmSnd &frmSnd() { return m_windows->frmSnd(); }
    FrmRecv &frmRecv() { return m_windows->frmRecv(); }
    FrmOption &frmOption() { return m_windows->frmOption(); }
    FrmLog *frmLog() const { return m_windows->frmLog(); }
    FrmMsgOpen *frmMsgOpen() const { return m_windows->frmMsgOpen(); }
    FrmPw *frmPw() const { return m_windows->frmPw(); }
    FrmLetter *frmLetter() const { return m_windows->frmLetter(); }
    FrmOpt *frmOpt() const { return m_windows->frmOpt(); }
    FrmVersion *frmVersion() const { return m_windows->frmVersion(); }
    FrmIPset *frmIPset() const { return m_windows->frmIPset(); }

    void openSendWindow();
    void openIpSet() { m_windows->openIpSet(); }
    void openIconDialog() { m_windows->openIconDialog(); }
    void openVersion() { m_windows->openVersion(); }
    // Shows the waiting messages from the first one.
    void dspRecvMsg();

signals:
    void ended();

private:
    void connectParts();
    void themeChanged();
    void messageArrived();
    void notifyArrival(const QString &senderName, const QString &address);
    // 送受信履歴表示: through the password gate.
    void mnuLog_Click();

    Environment m_env;
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<DatagramPort> m_ownPort;
    DatagramPort *m_port = nullptr;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<KeptStore> m_kept;
    std::unique_ptr<IconTheme> m_theme;
    std::unique_ptr<LocalUser> m_user;
    std::unique_ptr<HistoryModel> m_history;
    std::unique_ptr<UserListModel> m_users;
    std::unique_ptr<AwayNote> m_note;
    std::unique_ptr<PasswordGate> m_gate;
    std::unique_ptr<Inbox> m_inbox;
    std::unique_ptr<Receiver> m_receiver;
    std::unique_ptr<HistoryBrowser> m_browser;
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<Composer> m_composer;
    std::unique_ptr<ResultPresenter> m_results;
    std::unique_ptr<TrayController> m_tray;
    std::unique_ptr<Autostart> m_autostart;
    // Last: the windows go before the services they show.
    std::unique_ptr<Windows> m_windows;
    bool m_hasTray = true;
    bool m_ended = false;
};
