#pragma once

#include <functional>

class ArrivalPolicy;
class Arrivals;
class AwayNote;
class Clock;
class Composer;
class ConnectionCheck;
class LauncherBadge;
class LockAway;
class ScreenLock;
class Dialogs;
class FileSharing;
class PasswordGate;
class PeerSearch;
class ReceivedFiles;
class Dispatcher;
class HistoryBrowser;
class HistoryKeeper;
class HistoryModel;
class Inbox;
class PortanaIni;
class Notifier;
class DatagramPort;
class IconTheme;
class Receiver;
class RemoteControl;
class ResultPresenter;
class SettingsStore;
class Store;
class TrayController;
class TrayHost;
class Windows;
class UserListModel;
class KeptStore;
class Program;
class QGuiApplication;
class TerminationWatcher;

// The composition root's connections: every part of a running copy, the
// windows among them, to each other. Built into the program itself, the
// one place that has the windows.
namespace wiring {

struct ProgramParts
{
    DatagramPort &port;
    KeptStore &kept;
    Store &store;
    SettingsStore &settings;
    PortanaIni &ini;
    IconTheme &theme;
    HistoryModel &history;
    HistoryBrowser &browser;
    HistoryKeeper &keeper;
    Inbox &inbox;
    Arrivals &arrivalsKept;
    Receiver &receiver;
    ArrivalPolicy &arrivals;
    Dispatcher &dispatcher;
    Composer &composer;
    ResultPresenter &results;
    RemoteControl &remote;
    UserListModel &users;
    AwayNote &note;
    TrayController &tray;
    TrayHost &trayHost;
    Notifier *notifier; // none: no desktop notifications
    Windows &windows;
    Dialogs &dialogs;
    const Clock &clock;
    ConnectionCheck &checks;
    LockAway &lockAway;
    ScreenLock *screenLock; // none: the lock is not heard
    LauncherBadge *badge;   // none: no count on the launcher
    FileSharing *files;     // none: no file channel
    ReceivedFiles *receivedFiles;
    PasswordGate &gate;
    PeerSearch &peers;
};

// end: how the program ends (終了 once confirmed).
void program(const ProgramParts &parts, const std::function<void()> &end);
// Files go with the messages they were attached to; offered files are
// saved as they arrive where the user asked for that.
void files(const ProgramParts &parts);
// The store's troubles reach the user, once each.
void storeToKept(Store &store, KeptStore &kept);
// The program ends the application, and ends when the system or the
// desktop session asks it to.
void session(QGuiApplication &app, Program &program, TerminationWatcher &watcher);

} // namespace wiring
