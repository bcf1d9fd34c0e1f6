#include "program.h"

#include "autostart.h"
#include "awaynote.h"
#include "clock.h"
#include "composer.h"
#include "dispatcher.h"
#include "frmsnd.h"
#include "groupsettings.h"
#include "historybrowser.h"
#include "historykeeper.h"
#include "historymodel.h"
#include "icontheme.h"
#include "inbox.h"
#include "instanceguard.h"
#include "keepsettings.h"
#include "keptstore.h"
#include "localuser.h"
#include "networksearch.h"
#include "notifier.h"
#include "notifysettings.h"
#include "passwordgate.h"
#include "receiver.h"
#include "remotecontrol.h"
#include "resultpresenter.h"
#include "scripting.h"
#include "searchsettings.h"
#include "sendround.h"
#include "settingsstore.h"
#include "systeminfo.h"
#include "transport.h"
#include "traycontroller.h"
#include "udpdatagramport.h"
#include "userlistmodel.h"
#include "weekday.h"
#include "windows.h"
#include "wiring.h"

#include <QApplication>
#include <QFileInfo>

namespace {
const QString ProgramName = QStringLiteral("ぽるとな～");
}

Program::Program(Environment env, QObject *parent) : QObject(parent), m_env(std::move(env))
{
    m_dialogs = m_env.dialogs;
    if (m_env.port_) {
        m_port = m_env.port_;
    } else {
        m_ownPort = std::make_unique<UdpDatagramPort>(m_env.bindAddress, m_env.port);
        m_port = m_ownPort.get();
    }
    m_settings = std::make_unique<SettingsStore>(
        locateSettings(m_env.programFolder, m_env.settingsFolder), *m_dialogs, m_env.random10);
    const OptSettings &settings = m_settings->settings();
    m_theme = std::make_unique<IconTheme>();
    m_user = std::make_unique<LocalUser>(settings);
    m_kept = std::make_unique<KeptStore>(m_env.stateFolder, *m_dialogs);
    m_history = std::make_unique<HistoryModel>(m_kept->store(), *m_env.clock,
                                               [this] { return m_user->shortName(); });
    m_users = std::make_unique<UserListModel>();
    m_note = std::make_unique<AwayNote>();
    m_transport = std::make_unique<Transport>(*m_port);
    m_dispatcher = std::make_unique<Dispatcher>(
        *m_port, *m_transport, settings, *m_user, *m_users, *m_note, *m_env.clock,
        Dispatcher::Keeping{[this] { m_kept->store().begin(); },
                            [this] { return m_kept->store().end(); },
                            [this] { return m_kept->hasRoom(); }});
    const QString iniFile = QFileInfo(m_settings->filePath()).absolutePath() + u'/' +
                            QLatin1String(IniLayers::FileName);
    m_search = std::make_unique<SearchSettings>(iniFile, m_env.systemSettingsFiles);
    m_groups = std::make_unique<GroupSettings>(iniFile, m_env.systemSettingsFiles);
    m_notify = std::make_unique<NotifySettings>(iniFile, m_env.systemSettingsFiles);
    m_keep = std::make_unique<KeepSettings>(iniFile, m_env.systemSettingsFiles);
    m_composer = std::make_unique<Composer>(*m_transport, settings, *m_user, *m_users, *m_history,
                                            *m_env.clock, *m_dialogs, *m_search,
                                            m_env.broadcastAddress, m_env.interfaces);
    m_gate = std::make_unique<PasswordGate>(m_settings->settings());
    m_inbox = std::make_unique<Inbox>(&m_kept->inbox());
    m_receiver = std::make_unique<Receiver>(*m_inbox, *m_transport, *m_composer, *m_history,
                                            *m_user, *m_dialogs, *m_gate);
    m_browser = std::make_unique<HistoryBrowser>(*m_history, *m_env.clock, *m_dialogs);
    m_keeper = std::make_unique<HistoryKeeper>(*m_history, *m_env.clock, [this](qint64 key) {
        for (int n = 1; n <= m_inbox->recvCount(); ++n)
            if (m_inbox->entry(n).recvLogKey == key)
                return true;
        return false;
    });
    m_results = std::make_unique<ResultPresenter>(settings, *m_env.clock);
    m_remote = std::make_unique<RemoteControl>(*m_composer, *m_users, *m_user, *m_note,
                                               [this] { return m_inbox->recvCount(); });
    m_tray = std::make_unique<TrayController>(*m_env.tray, *m_theme);
    m_autostart = std::make_unique<Autostart>(m_env.autostartFolder, m_env.programPath);
    // The windows are made when first needed: a copy that only waits in the
    // tray never builds them (nor loads their fonts).
    m_windows = std::make_unique<Windows>(
        Windows::Parts{*m_settings, *m_search, *m_notify, *m_keep, *m_dialogs, *m_env.clock,
                       *m_theme, *m_tray, *m_composer, *m_users, *m_groups, *m_inbox, *m_receiver,
                       *m_gate, *m_history, *m_browser, *m_note, *m_autostart});
    // Every part that is a QObject also hangs in the program's object tree,
    // where inspection tools find it by type, as they find a window's
    // controls by name. The pointers above still decide the order of teardown.
    for (QObject *part : std::initializer_list<QObject *>{
             m_ownPort.get(),  m_settings.get(), m_search.get(),   m_groups.get(),
             m_notify.get(),   m_keep.get(),     m_kept.get(),     m_theme.get(),
             m_history.get(),  m_users.get(),    m_note.get(),     m_dispatcher.get(),
             m_composer.get(), m_inbox.get(),    m_receiver.get(), m_browser.get(),
             m_keeper.get(),   m_results.get(),  m_remote.get(),   m_tray.get(),
             m_windows.get()})
        if (part)
            part->setParent(this);
    connectParts();
}

void Program::connectParts()
{
    Store &store = m_kept->store();
    wiring::storeToHistory(store, *m_history);
    wiring::storeToInbox(store, *m_inbox);
    wiring::portToDispatcher(*m_port, *m_dispatcher);
    wiring::inboxToReceiver(*m_inbox, *m_receiver);
    wiring::historyToBrowser(*m_history, *m_browser);
    wiring::storeToBrowser(store, *m_browser);
    connect(m_env.tray, &TrayHost::event, m_tray.get(), &TrayController::hostEvent);
    wiring::answersToResults(*m_dispatcher, *m_history, {m_remote.get(), &m_composer->round()},
                             *m_results);
    connect(m_results.get(), &ResultPresenter::resultShown, m_windows.get(), &Windows::showResult);
    SendRound &round = m_composer->round();
    connect(&round, &SendRound::started, m_windows.get(), [this] { m_windows->showRound(false); });
    connect(&round, &SendRound::troubled, m_windows.get(), [this] { m_windows->showRound(true); });
    connect(m_dispatcher.get(), &Dispatcher::datagramFailed, this, [this] {
        m_dialogs->messageBox({QStringLiteral("受信ﾒｯｾｰｼﾞｴﾗｰ！"), ProgramName,
                               Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
    });
    connect(m_dispatcher.get(), &Dispatcher::awayNoteReceived, m_windows.get(),
            &Windows::showAwayNote);
    // Direct: the entry and its history row exist before the acknowledgement leaves.
    connect(m_dispatcher.get(), &Dispatcher::messageArrived, m_receiver.get(),
            &Receiver::addRecvMsg, Qt::DirectConnection);
    connect(m_theme.get(), &IconTheme::changed, this, &Program::themeChanged);
    // Settings put in force by the options dialog show at once.
    connect(m_settings.get(), &SettingsStore::changed, m_windows.get(), &Windows::applyAppearance);
    connect(m_keep.get(), &KeepSettings::changed, m_keeper.get(), [this] {
        m_keeper->setRule(m_keep->rule());
        m_keeper->apply();
    });
    connect(m_receiver.get(), &Receiver::arrived, this, &Program::messageArrived);
    connect(m_receiver.get(), &Receiver::arrived, this, &Program::notifyArrival);
    connect(m_inbox.get(), &Inbox::changed, m_remote.get(), &ScriptTarget::stateChanged);
    connect(m_note.get(), &AwayNote::changed, m_remote.get(), &ScriptTarget::stateChanged);
    connect(m_receiver.get(), &Receiver::arrived, m_remote.get(),
            [this](const QString &senderName, const QString &address) {
                emit m_remote->messageArrived(senderName.trimmed(), address);
            });
    connect(m_receiver.get(), &Receiver::alertReset, m_tray.get(),
            &TrayController::messagesDealtWith);
    connect(m_receiver.get(), &Receiver::replied, this,
            [this](const QString &text) { m_windows->frmSnd().setReplyText(text); });
    connect(m_inbox.get(), &Inbox::changed, this,
            [this] { m_tray->setMessagesWaiting(m_inbox->isLive()); });
    connect(m_dispatcher.get(), &Dispatcher::awayNoteFetched, this,
            [this] { m_note->answered(m_env.clock->now()); });
    if (m_env.notifier)
        connect(m_env.notifier, &Notifier::activated, this, &Program::dspRecvMsg);
    // A card or an address came or went: search again, keeping the list,
    // also while the send window is hidden.
    if (m_env.network)
        m_networkSearch =
            std::make_unique<NetworkSearch>(*m_env.network, *m_composer, *m_env.clock, this);
    connect(m_windows.get(), &Windows::messagesRequested, this, &Program::dspRecvMsg);

    TrayController *tray = m_tray.get();
    Windows *windows = m_windows.get();
    connect(tray, &TrayController::sendWindowRequested, this, &Program::openSendWindow);
    connect(tray, &TrayController::recvWindowRequested, this, &Program::dspRecvMsg);
    connect(tray, &TrayController::letterRequested, windows, &Windows::openLetter);
    connect(tray, &TrayController::logRequested, this, &Program::mnuLog_Click);
    connect(tray, &TrayController::iconDialogRequested, windows, &Windows::openIconDialog);
    connect(tray, &TrayController::optionsRequested, windows, &Windows::openOptions);
    connect(tray, &TrayController::aboutRequested, windows, &Windows::openVersion);
    connect(tray, &TrayController::endRequested, this, &Program::mnuEnd_Click);
}

Program::~Program()
{
    m_windows.reset();
    if (!m_ended && m_tray)
        m_tray->removeIcon();
}

Program::StartResult Program::start()
{
    switch (m_env.instanceGuard ? m_env.instanceGuard->claim() : InstanceGuard::Claim::Claimed) {
    case InstanceGuard::Claim::Claimed:
        break;
    case InstanceGuard::Claim::HeldByAnother:
        m_dialogs->messageBox({QStringLiteral("「ぽるとな～」 は、既に起動しています"), ProgramName,
                               Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
        return StartResult::AlreadyRunning;
    case InstanceGuard::Claim::Failed:
        // Not another copy: something keeps the check from being made at all.
        m_dialogs->messageBox(
            {QStringLiteral("二重起動を確かめられないため、「ぽるとな～」を起動できません。\r") +
                 m_env.instanceGuard->errorText(),
             ProgramName, Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
        return StartResult::LockFailed;
    }

    m_theme->apply(0);
    if (const auto set = m_settings->rdOptSub(QApplication::font().family())) {
        m_theme->apply(*set);
        m_windows->setStoredIconSet(*set);
    }

    switch (m_port->bind()) {
    case DatagramPort::BindResult::Bound:
        break;
    case DatagramPort::BindResult::InUse:
        m_dialogs->messageBox(
            {QStringLiteral("「ぽるとな～」は、既に起動しています。\r(PortNo Error!)"),
             QStringLiteral("きりかぽ～"), Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok,
             Dialogs::Ok});
        return StartResult::PortInUse;
    case DatagramPort::BindResult::Failed:
        // Anything else that keeps the port from opening ends the program
        // too, with the reason, rather than waiting for a socket that never opens.
        m_dialogs->messageBox(
            {QStringLiteral("受信ポート %1 を開けませんでした。\r").arg(m_env.port) +
                 m_port->errorText(),
             ProgramName, Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
        return StartResult::PortFailed;
    }

    m_hasTray = m_env.tray->available();
    m_tray->addIcon();
    m_windows->setWeekday(weekdayText(m_env.clock->now().date()));
    m_note->withdraw();
    if (!m_hasTray) {
        // No notification area: the window stays reachable, minimised, and
        // its picture opens the tray menu.
        m_windows->frmSnd().standInForTray();
        m_windows->frmSnd().showMinimized();
    }
    m_user->take(m_env.systemInfo->loginNameBuffer(), m_port->localAddress());
    // Opened before the first turn of the event loop, so before any datagram is handled.
    m_kept->open();
    m_kept->tellProblem();
    // A logout while the box was up ended the box's loop, not the program's.
    if (m_ended)
        return StartResult::Ended;
    // What waited when the program last ended waits again.
    m_inbox->restore();
    if (m_receiver->waitAgain())
        messageArrived();
    // The history as long as the user keeps it: now, and once a day.
    m_keeper->setRule(m_keep->rule());
    m_keeper->apply();
    // Other programs reach this copy once it is the one that runs.
    if (m_env.scripts)
        m_env.scripts->serve(*m_remote);
    return StartResult::Running;
}

void Program::mnuEnd_Click()
{
    if (m_receiver->alertUp()) {
        const auto answer = m_dialogs->messageBox(
            {QStringLiteral("未確認のﾒｯｾｰｼﾞがあります...\r終了しますか？"), ProgramName,
             Dialogs::Icon::Question, Dialogs::Buttons::YesNo, Dialogs::No});
        if (answer != Dialogs::Yes)
            return;
    }
    end();
}

void Program::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_tray->removeIcon();
    emit ended();
}

void Program::openSendWindow()
{
    m_windows->frmSnd().open();
}

void Program::themeChanged()
{
    m_windows->applyIcons();
}

void Program::messageArrived()
{
    const OptSettings &settings = m_settings->settings();
    const bool shown = m_windows->messagesShown();
    m_tray->messageArrived(settings.blinkIcon, shown);
    m_windows->markArrival();
    if (shown)
        return;
    // Without a notification area nothing else would tell of it: the
    // button window comes up, and the send window asks for attention.
    if (settings.rcvButton || !m_hasTray)
        m_windows->showArrivalButton();
    if (!m_hasTray)
        m_env.tray->demandAttention(&m_windows->frmSnd());
}

void Program::notifyArrival(const QString &senderName, const QString &address)
{
    // Without a tray the desktop is told too; with one, the tray alone
    // unless the user asked for both.
    if ((m_hasTray && !m_notify->withTray()) || !m_env.notifier)
        return;
    const QString who = senderName.trimmed().isEmpty() ? address : senderName.trimmed();
    m_env.notifier->notify(ProgramName, who + QStringLiteral(" からメッセージが届きました"));
}

void Program::dspRecvMsg()
{
    m_tray->hideMenu();
    if (!m_inbox->isLive())
        return; // nothing waits (a button window left from before)
    m_tray->messagesShown();
    m_inbox->showFirst();
    m_windows->showMessages();
}

void Program::mnuLog_Click()
{
    if (m_gate->requestHistory())
        m_windows->openLog();
    else
        m_windows->openPassword();
}
