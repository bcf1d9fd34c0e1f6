#include "program.h"

#include "answersender.h"
#include "attachments.h"
#include "arrivalpolicy.h"
#include "arrivals.h"
#include "autostart.h"
#include "awaynote.h"
#include "clock.h"
#include "composer.h"
#include "connectioncheck.h"
#include "dispatcher.h"
#include "filesharing.h"
#include "receivedfiles.h"
#include "frmsnd.h"
#include "historybrowser.h"
#include "historykeeper.h"
#include "historymodel.h"
#include "icontheme.h"
#include "inbox.h"
#include "instanceguard.h"
#include "keptstore.h"
#include "localuser.h"
#include "lockaway.h"
#include "networksearch.h"
#include "notifier.h"
#include "passwordgate.h"
#include "peersearch.h"
#include "portanaini.h"
#include "programwiring.h"
#include "receiver.h"
#include "remotecontrol.h"
#include "resultpresenter.h"
#include "scripting.h"
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
#include <QDir>
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
                            QLatin1String(PortanaIni::FileName);
    m_ini = std::make_unique<PortanaIni>(iniFile, m_env.systemSettingsFiles);
    m_composer =
        std::make_unique<Composer>(*m_transport, *m_user, *m_users, *m_history, *m_env.clock);
    m_answers = std::make_unique<AnswerSender>(*m_transport, *m_composer, *m_user);
    m_peers =
        std::make_unique<PeerSearch>(*m_transport, settings, *m_users, *m_env.clock, *m_ini,
                                     PeerSearch::Network{m_env.broadcastAddress, m_env.interfaces});
    m_checks = std::make_unique<ConnectionCheck>(*m_transport, *m_peers, *m_users);
    m_lockAway = std::make_unique<LockAway>(*m_note, [this] {
        const IniOptions &o = m_ini->options();
        // A blank text leaves the usual one: a note must say something.
        return LockAway::Wish{o.awayOnLock,
                              o.awayText.trimmed().isEmpty() ? IniOptions().awayText : o.awayText};
    });
    m_gate = std::make_unique<PasswordGate>(m_settings->settings());
    m_inbox = std::make_unique<Inbox>(&m_kept->inbox());
    m_arrivalsKept = std::make_unique<Arrivals>(*m_inbox, *m_history);
    m_receiver = std::make_unique<Receiver>(*m_inbox, *m_answers, *m_history, *m_gate);
    m_browser = std::make_unique<HistoryBrowser>(*m_history, *m_env.clock, *m_dialogs);
    m_keeper = std::make_unique<HistoryKeeper>(*m_history, *m_env.clock, [this](qint64 key) {
        for (int n = 1; n <= m_inbox->recvCount(); ++n)
            if (m_inbox->entry(n).recvLogKey == key)
                return true;
        return false;
    });
    m_results = std::make_unique<ResultPresenter>(settings, *m_env.clock);
    m_arrivals = std::make_unique<ArrivalPolicy>([this] {
        const OptSettings &s = m_settings->settings();
        return ArrivalPolicy::Facts{m_hasTray, m_windows->messagesShown(), s.blinkIcon, s.rcvButton,
                                    m_ini->options().notifyWithTray};
    });
    m_remote = std::make_unique<RemoteControl>(*m_composer, *m_peers, *m_checks, *m_users, *m_user,
                                               *m_note, [this] { return m_inbox->recvCount(); });
    if (m_env.filesPort) {
        m_files = std::make_unique<FileSharing>(m_env.bindAddress, m_env.filesPort,
                                                [this] { return m_env.clock->now(); });
        m_receivedFiles = std::make_unique<ReceivedFiles>(
            *m_files,
            [this] {
                const QString chosen = m_ini->options().filesFolder.trimmed();
                return chosen.isEmpty() ? m_env.downloadFolder : chosen;
            },
            [this] { return m_env.clock->elapsedMsecs(); });
        // Pasted pictures are kept beside the history; in memory only, in
        // the system's temporary folder.
        m_attachments = std::make_unique<Attachments>(
            (m_env.stateFolder.isEmpty() ? QDir::tempPath() + QStringLiteral("/portana")
                                         : m_env.stateFolder) +
            QStringLiteral("/pasted"));
    }
    m_tray = std::make_unique<TrayController>(*m_env.tray, *m_theme);
    m_autostart = std::make_unique<Autostart>(m_env.autostartFolder, m_env.programPath);
    // The windows are made when first needed: a copy that only waits in the
    // tray never builds them (nor loads their fonts).
    m_windows = std::make_unique<Windows>(Windows::Parts{
        *m_settings, *m_ini, *m_dialogs, *m_env.clock, *m_theme, *m_tray, *m_composer, *m_peers,
        *m_users, *m_inbox, *m_receiver, *m_gate, *m_history, *m_browser, *m_note, *m_autostart,
        m_env.screenLock, m_receivedFiles.get(), m_attachments.get(), m_files.get()});
    // Every part that is a QObject also hangs in the program's object tree,
    // where inspection tools find it by type, as they find a window's
    // controls by name. The pointers above still decide the order of teardown.
    for (QObject *part : std::initializer_list<QObject *>{
             m_ownPort.get(),      m_settings.get(), m_ini.get(),     m_kept.get(),
             m_theme.get(),        m_history.get(),  m_users.get(),   m_note.get(),
             m_dispatcher.get(),   m_composer.get(), m_peers.get(),   m_inbox.get(),
             m_arrivalsKept.get(), m_receiver.get(), m_browser.get(), m_keeper.get(),
             m_results.get(),      m_arrivals.get(), m_remote.get(),  m_tray.get(),
             m_checks.get(),       m_lockAway.get(), m_files.get(),   m_receivedFiles.get(),
             m_attachments.get(),  m_windows.get()})
        if (part)
            part->setParent(this);
    connectParts();
}

void Program::connectParts()
{
    wiring::program({*m_port,         *m_kept,        m_kept->store(), *m_settings,   *m_ini,
                     *m_theme,        *m_history,     *m_browser,      *m_keeper,     *m_inbox,
                     *m_arrivalsKept, *m_receiver,    *m_arrivals,     *m_dispatcher, *m_composer,
                     *m_results,      *m_remote,      *m_users,        *m_note,       *m_tray,
                     *m_env.tray,     m_env.notifier, *m_windows,      *m_dialogs,    *m_env.clock,
                     *m_checks,       *m_lockAway,    m_env.screenLock, m_env.badge,
                     m_files.get(),   m_receivedFiles.get(), *m_gate, *m_peers},
                    [this] { end(); });
    // A card or an address came or went: search again, keeping the list,
    // also while the send window is hidden.
    if (m_env.network) {
        m_networkSearch =
            std::make_unique<NetworkSearch>(*m_env.network, *m_peers, *m_env.clock, this);
        wiring::networkToSearch(*m_env.network, *m_peers, *m_networkSearch);
    }
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
        m_arrivals->waitingAgain();
    // The history as long as the user keeps it: now, and once a day.
    m_keeper->setRule(m_ini->options().historyKeep);
    m_keeper->apply();
    // Files come and go on the message port's number, over TCP: a copy that
    // cannot listen there still sends and receives its messages.
    if (m_files && !m_files->listen())
        qWarning("portana: files cannot be received (TCP %u): %s", unsigned(m_env.filesPort),
                 qUtf8Printable(m_files->errorText()));
    if (m_attachments)
        m_attachments->prunePictures(m_env.clock->now());
    // Other programs reach this copy once it is the one that runs.
    if (m_env.scripts)
        m_env.scripts->serve(*m_remote);
    return StartResult::Running;
}

void Program::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_tray->removeIcon();
    emit ended();
}
