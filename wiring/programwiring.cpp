#include "programwiring.h"

#include "arrivalpolicy.h"
#include "awaynote.h"
#include "clock.h"
#include "composer.h"
#include "connectioncheck.h"
#include "launcherbadge.h"
#include "lockaway.h"
#include "screenlock.h"
#include "dialogs.h"
#include "dispatcher.h"
#include "frmsnd.h"
#include "historykeeper.h"
#include "icontheme.h"
#include "inbox.h"
#include "keptstore.h"
#include "notifier.h"
#include "portanaini.h"
#include "program.h"
#include "receiver.h"
#include "remotecontrol.h"
#include "resultpresenter.h"
#include "sendround.h"
#include "settingsstore.h"
#include "store.h"
#include "terminationwatcher.h"
#include "traycontroller.h"
#include "trayhost.h"
#include "userlistmodel.h"
#include "windows.h"
#include "wiring.h"

#include <QGuiApplication>

namespace wiring {

namespace {

const QString ProgramName = QStringLiteral("ぽるとな～");

void arrivals(const ProgramParts &p)
{
    ArrivalPolicy &a = p.arrivals;
    QObject::connect(&p.inbox, &Inbox::arrived, &a, &ArrivalPolicy::arrived);
    QObject::connect(&a, &ArrivalPolicy::trayAlerted, &p.tray, &TrayController::messageArrived);
    QObject::connect(&a, &ArrivalPolicy::pictureMarked, &p.windows, &Windows::markArrival);
    QObject::connect(&a, &ArrivalPolicy::buttonWanted, &p.windows, &Windows::showArrivalButton);
    Windows &windows = p.windows;
    TrayHost &host = p.trayHost;
    QObject::connect(&a, &ArrivalPolicy::attentionWanted, &windows,
                     [&windows, &host] { host.demandAttention(&windows.frmSnd()); });
    if (Notifier *notifier = p.notifier) {
        QObject::connect(&a, &ArrivalPolicy::notificationWanted, notifier,
                         [notifier](const QString &text) { notifier->notify(ProgramName, text); });
        QObject::connect(notifier, &Notifier::activated, &windows, &Windows::dspRecvMsg);
    }
    QObject::connect(&a, &ArrivalPolicy::announced, &p.remote, &ScriptTarget::messageArrived);
    QObject::connect(&p.users, &UserListModel::countChanged, &p.remote,
                     &ScriptTarget::peersChanged);
}

// Who is there to see, and what waits, where there may be no tray.
void presence(const ProgramParts &p)
{
    QObject::connect(&p.dispatcher, &Dispatcher::searchReplied, &p.checks,
                     &ConnectionCheck::replied);
    if (ScreenLock *lock = p.screenLock) {
        QObject::connect(lock, &ScreenLock::lockedChanged, &p.lockAway, &LockAway::lockChanged);
        QObject::connect(&p.note, &AwayNote::changed, &p.lockAway, &LockAway::noteChanged);
    }
    if (LauncherBadge *badge = p.badge) {
        Inbox &inbox = p.inbox;
        QObject::connect(&inbox, &Inbox::changed, &p.tray,
                         [badge, &inbox] { badge->show(inbox.recvCount()); });
    }
    Dialogs &dialogs = p.dialogs;
    ConnectionCheck &checks = p.checks;
    QObject::connect(
        &p.windows, &Windows::connectionCheckRequested, &checks,
        [&dialogs, &checks](const QString &initial) {
            const auto address = dialogs.askText(QStringLiteral("接続を確かめる相手のIPｱﾄﾞﾚｽ："),
                                                 QStringLiteral("接続確認"), initial);
            if (!address)
                return;
            checks.check(*address, [&dialogs](const ConnectionCheck::Result &r) {
                using O = ConnectionCheck::Outcome;
                const bool answered = r.outcome == O::Listed || r.outcome == O::ListedNow;
                dialogs.messageBox({r.sentence, QStringLiteral("接続確認"),
                                    answered ? Dialogs::Icon::Information
                                             : Dialogs::Icon::Exclamation,
                                    Dialogs::Buttons::Ok, Dialogs::Ok});
            });
        });
}

void trayMenu(const ProgramParts &p, const std::function<void()> &end)
{
    TrayController *tray = &p.tray;
    Windows *windows = &p.windows;
    QObject::connect(&p.trayHost, &TrayHost::event, tray, &TrayController::hostEvent);
    QObject::connect(tray, &TrayController::sendWindowRequested, windows,
                     [windows] { windows->frmSnd().open(); });
    QObject::connect(tray, &TrayController::recvWindowRequested, windows, &Windows::dspRecvMsg);
    QObject::connect(tray, &TrayController::letterRequested, windows, &Windows::openLetter);
    QObject::connect(tray, &TrayController::logRequested, windows, &Windows::mnuLog_Click);
    QObject::connect(tray, &TrayController::iconDialogRequested, windows, &Windows::openIconDialog);
    QObject::connect(tray, &TrayController::optionsRequested, windows, &Windows::openOptions);
    QObject::connect(tray, &TrayController::aboutRequested, windows, &Windows::openVersion);
    QObject::connect(tray, &TrayController::endRequested, windows, [windows, end] {
        if (windows->mnuEnd_Click())
            end();
    });
}

} // namespace

void storeToKept(Store &store, KeptStore &kept)
{
    QObject::connect(&store, &Store::committed, &kept, &KeptStore::committed);
    QObject::connect(&store, &Store::writeFailed, &kept, &KeptStore::writeFailed);
    QObject::connect(&store, &Store::fileLost, &kept, &KeptStore::fileLost);
}

void session(QGuiApplication &app, Program &program, TerminationWatcher &watcher)
{
    // exit(), not quit(): quit() first asks every window to close, and the
    // send window refuses (it only hides), which would cancel the ending.
    QObject::connect(
        &program, &Program::ended, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    QObject::connect(&watcher, &TerminationWatcher::terminationRequested, &program, &Program::end);
    // The desktop session is ending: go as 終了 goes, without asking.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &program, &Program::end);
}

void program(const ProgramParts &p, const std::function<void()> &end)
{
    storeToKept(p.store, p.kept);
    storeToHistory(p.store, p.history);
    storeToInbox(p.store, p.inbox);
    portToDispatcher(p.port, p.dispatcher);
    inboxToReceiver(p.inbox, p.receiver);
    historyToBrowser(p.history, p.browser);
    storeToBrowser(p.store, p.browser);
    answersToResults(p.dispatcher, p.history, {&p.remote, &p.composer.round()}, p.results);
    arrivals(p);
    presence(p);
    files(p);
    trayMenu(p, end);

    Windows *windows = &p.windows;
    QObject::connect(&p.results, &ResultPresenter::resultShown, windows, &Windows::showResult);
    SendRound &round = p.composer.round();
    QObject::connect(&round, &SendRound::started, windows,
                     [windows] { windows->showRound(false); });
    QObject::connect(&round, &SendRound::troubled, windows,
                     [windows] { windows->showRound(true); });
    Dialogs &dialogs = p.dialogs;
    QObject::connect(&p.dispatcher, &Dispatcher::datagramFailed, windows, [&dialogs] {
        dialogs.messageBox({QStringLiteral("受信ﾒｯｾｰｼﾞｴﾗｰ！"), ProgramName, Dialogs::Icon::Critical,
                            Dialogs::Buttons::Ok, Dialogs::Ok});
    });
    QObject::connect(&p.dispatcher, &Dispatcher::awayNoteReceived, windows, &Windows::showAwayNote);
    dispatcherToArrivals(p.dispatcher, p.arrivalsKept);
    QObject::connect(&p.theme, &IconTheme::changed, windows, &Windows::applyIcons);
    // Settings put in force by the options dialog show at once.
    QObject::connect(&p.settings, &SettingsStore::changed, windows, &Windows::applyAppearance);
    HistoryKeeper &keeper = p.keeper;
    PortanaIni &ini = p.ini;
    QObject::connect(&ini, &PortanaIni::changed, &keeper, [&keeper, &ini] {
        if (keeper.rule() == ini.options().historyKeep)
            return;
        keeper.setRule(ini.options().historyKeep);
        keeper.apply();
    });
    QObject::connect(&p.inbox, &Inbox::changed, &p.remote, &ScriptTarget::stateChanged);
    QObject::connect(&p.note, &AwayNote::changed, &p.remote, &ScriptTarget::stateChanged);
    QObject::connect(&p.receiver, &Receiver::alertReset, &p.tray,
                     &TrayController::messagesDealtWith);
    QObject::connect(&p.receiver, &Receiver::replied, windows,
                     [windows](const QString &text) { windows->frmSnd().setReplyText(text); });
    Inbox &inbox = p.inbox;
    TrayController &tray = p.tray;
    QObject::connect(&inbox, &Inbox::changed, &tray,
                     [&inbox, &tray] { tray.setMessagesWaiting(inbox.isLive()); });
    AwayNote &note = p.note;
    const Clock &clock = p.clock;
    QObject::connect(&p.dispatcher, &Dispatcher::awayNoteFetched, &note,
                     [&note, &clock] { note.answered(clock.now()); });
    QObject::connect(windows, &Windows::messagesRequested, windows, &Windows::dspRecvMsg);
}

} // namespace wiring
