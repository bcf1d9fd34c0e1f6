#pragma once

#include "environment.h"

#include <QObject>
#include <memory>

class AnswerSender;
class ArrivalPolicy;
class Arrivals;
class Autostart;
class AwayNote;
class Composer;
class ConnectionCheck;
class LockAway;
class NetworkSearch;
class DatagramPort;
class Attachments;
class FileSharing;
class ReceivedFiles;
class Dialogs;
class Dispatcher;
class HistoryBrowser;
class HistoryModel;
class IconTheme;
class Inbox;
class KeptStore;
class LocalUser;
class HistoryKeeper;
class PasswordGate;
class PeerSearch;
class RemoteControl;
class Receiver;
class ResultPresenter;
class PortanaIni;
class SettingsStore;
class TrayController;
class Transport;
class UserListModel;
class Windows;

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
    // Takes the tray icon away and ends, asking nothing (signals, session end).
    void end();

signals:
    void ended();

private:
    void connectParts();

    Environment m_env;
    Dialogs *m_dialogs;
    std::unique_ptr<DatagramPort> m_ownPort;
    DatagramPort *m_port = nullptr;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<PortanaIni> m_ini;
    std::unique_ptr<KeptStore> m_kept;
    std::unique_ptr<IconTheme> m_theme;
    std::unique_ptr<LocalUser> m_user;
    std::unique_ptr<HistoryModel> m_history;
    std::unique_ptr<UserListModel> m_users;
    std::unique_ptr<AwayNote> m_note;
    std::unique_ptr<LockAway> m_lockAway;
    std::unique_ptr<PasswordGate> m_gate;
    std::unique_ptr<Inbox> m_inbox;
    std::unique_ptr<Arrivals> m_arrivalsKept;
    std::unique_ptr<Receiver> m_receiver;
    std::unique_ptr<HistoryBrowser> m_browser;
    std::unique_ptr<HistoryKeeper> m_keeper;
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<Composer> m_composer;
    std::unique_ptr<AnswerSender> m_answers;
    std::unique_ptr<PeerSearch> m_peers;
    std::unique_ptr<ConnectionCheck> m_checks;
    std::unique_ptr<NetworkSearch> m_networkSearch;
    std::unique_ptr<ResultPresenter> m_results;
    std::unique_ptr<ArrivalPolicy> m_arrivals;
    std::unique_ptr<RemoteControl> m_remote;
    std::unique_ptr<FileSharing> m_files; // none: no file channel
    std::unique_ptr<ReceivedFiles> m_receivedFiles;
    std::unique_ptr<Attachments> m_attachments;
    std::unique_ptr<TrayController> m_tray;
    std::unique_ptr<Autostart> m_autostart;
    // Last: the windows go before the services they show.
    std::unique_ptr<Windows> m_windows;
    bool m_hasTray = true;
    bool m_ended = false;
};
