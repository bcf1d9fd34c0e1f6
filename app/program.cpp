#include "program.h"

#include "appearance.h"
#include "awaynote.h"
#include "clock.h"
#include "composer.h"
#include "dispatcher.h"
#include "frmipset.h"
#include "frmlog.h"
#include "frmoption.h"
#include "frmrecv.h"
#include "frmsnd.h"
#include "frmversion.h"
#include "historybrowser.h"
#include "historymodel.h"
#include "icontheme.h"
#include "inbox.h"
#include "instanceguard.h"
#include "localuser.h"
#include "notifier.h"
#include "passwordgate.h"
#include "receiver.h"
#include "recordingdialogs.h"
#include "resultpresenter.h"
#include "settingsstore.h"
#include "systeminfo.h"
#include "traycontroller.h"
#include "twips.h"
#include "udpdatagramport.h"
#include "userlistmodel.h"
#include "weekday.h"
#include "windowplacement.h"
#include "wire.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

namespace {
const QString ProgramName = QStringLiteral("ぽるとな～");
}

Program::Program(Environment env, QObject *parent) : QObject(parent), m_env(std::move(env))
{
    m_dialogs = std::make_unique<RecordingDialogs>(*m_env.dialogs);
    if (m_env.port_) {
        m_port = m_env.port_;
    } else {
        m_ownPort = std::make_unique<UdpDatagramPort>(m_env.bindAddress, m_env.port);
        m_port = m_ownPort.get();
    }
    m_store = std::make_unique<SettingsStore>(m_env.settingsFolder, *m_dialogs, m_env.random10);
    const OptSettings &settings = m_store->settings();
    m_theme = std::make_unique<IconTheme>();
    m_user = std::make_unique<LocalUser>(settings);
    m_history =
        std::make_unique<HistoryModel>(*m_env.clock, [this] { return m_user->shortName(); });
    m_users = std::make_unique<UserListModel>();
    m_note = std::make_unique<AwayNote>();
    m_dispatcher = std::make_unique<Dispatcher>(*m_port, settings, *m_user, *m_users, *m_history,
                                                *m_note, *m_dialogs);
    m_composer = std::make_unique<Composer>(*m_dispatcher, settings, *m_user, *m_users, *m_history,
                                            *m_env.clock, *m_dialogs, m_env.broadcastAddress);
    m_composer->setInterfaces(m_env.interfaces);
    m_gate = std::make_unique<PasswordGate>(m_store->settings());
    m_inbox = std::make_unique<Inbox>();
    m_receiver = std::make_unique<Receiver>(*m_inbox, *m_dispatcher, *m_composer, *m_history,
                                            *m_user, *m_dialogs, *m_gate);
    m_browser = std::make_unique<HistoryBrowser>(*m_history, *m_env.clock, *m_dialogs);
    m_results = std::make_unique<ResultPresenter>(*m_dispatcher, settings, *m_env.clock);
    m_tray = std::make_unique<TrayController>(*m_env.tray, *m_theme);
    // The windows are made when first needed: a copy that only waits in the
    // tray never builds them (nor loads their fonts).

    connect(m_theme.get(), &IconTheme::changed, this, &Program::themeChanged);
    connect(m_tray.get(), &TrayController::sendWindowRequested, this, &Program::openSendWindow);
    connect(m_tray.get(), &TrayController::recvWindowRequested, this, &Program::dspRecvMsg);
    connect(m_receiver.get(), &Receiver::arrived, this, &Program::messageArrived);
    connect(m_receiver.get(), &Receiver::arrived, this, &Program::notifyArrival);
    if (m_env.notifier)
        connect(m_env.notifier, &Notifier::activated, this, &Program::dspRecvMsg);
    connect(m_receiver.get(), &Receiver::alertReset, m_tray.get(),
            &TrayController::messagesDealtWith);
    connect(m_receiver.get(), &Receiver::replied, this,
            [this](const QString &text) { frmSnd().TxtMsg->setPlainText(text); });
    connect(m_inbox.get(), &Inbox::changed, this,
            [this] { m_tray->mnuRecvMsg->setEnabled(m_inbox->isLive()); });
    connect(m_tray->mnuEnd, &QAction::triggered, this, &Program::mnuEnd_Click);
    connect(m_tray->mnuIcon, &QAction::triggered, this, &Program::openIconDialog);
    connect(m_tray->mnuAbout, &QAction::triggered, this, &Program::openVersion);
    // Their windows are not part of this program yet.
    connect(m_tray->mnuLog, &QAction::triggered, this, &Program::mnuLog_Click);
    connect(m_tray->mnuLetter, &QAction::triggered, this, &Program::mnuLetter_Click);
    connect(m_dispatcher.get(), &Dispatcher::awayNoteFetched, this,
            [this] { m_note->answered(m_env.clock->now()); });
    connect(m_tray->mnuOther, &QAction::triggered, this, &Program::mnuOther_Click);
}

Program::~Program()
{
    delete m_frmVersion;
    delete m_frmIPset;
    delete m_frmMsgOpen;
    delete m_frmPw;
    delete m_frmLetter;
    delete m_frmOpt;
    m_frmLog.reset(); // its view goes before the model it shows
    if (!m_ended && m_tray)
        m_tray->removeIcon();
}

QString Program::lastAnswer() const
{
    return m_dialogs->lastAnswer();
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
    if (const auto set = m_store->rdOptSub(QApplication::font().family())) {
        m_theme->apply(*set);
        m_storedSet = *set;
    }
    applyAppearance();

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
    m_weekday = setWeekday(m_env.clock->now().date());
    m_note->withdraw();
    if (!m_hasTray) {
        // No notification area: the window stays reachable, minimised, and
        // its picture opens the tray menu.
        frmSnd().setTrayMenu(m_tray->mnuTray);
        frmSnd().showMinimized();
    }
    m_tray->Timer2->stop();
    m_user->take(m_env.systemInfo->loginNameBuffer(), m_port->localAddress());
    return StartResult::Running;
}

void Program::applyAppearance()
{
    QList<QWidget *> areas;
    if (m_frmSnd)
        areas << m_frmSnd->TxtMsg << m_frmSnd->TxtTO << m_frmSnd->ListView1;
    if (m_frmRecv)
        areas << m_frmRecv->Text1 << m_frmRecv->Text2;
    if (m_frmLetter)
        areas << m_frmLetter->TxtLetter;
    Appearance::fromSettings(m_store->settings()).applyTo(areas);
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
    frmSnd().open();
}

void Program::openIpSet()
{
    m_tray->mnuTray->hide();
    if (!m_frmIPset)
        m_frmIPset = new FrmIPset(*m_store);
    showPlaced(m_frmIPset, m_store->settings());
}

void Program::openIconDialog()
{
    m_tray->mnuTray->hide();
    frmOption().open();
}

void Program::openVersion()
{
    m_tray->mnuTray->hide();
    if (!m_frmVersion)
        m_frmVersion = new FrmVersion(*m_theme, m_versionPhase);
    showPlaced(m_frmVersion, m_store->settings());
}

void Program::themeChanged()
{
    if (m_frmSnd) {
        m_frmSnd->setWindowIcon(m_theme->normal());
        m_frmSnd->Image1->setPixmap(
            m_theme->normal().pixmap(twips::toPixelsX(480, twips::screenOf(m_frmSnd.get()))));
    }
    m_results->setWindowIcon(m_theme->normal());
    if (m_frmLog)
        m_frmLog->setWindowIcon(m_theme->normal());
    if (m_frmRecv) {
        const int size = twips::toPixelsX(480, twips::screenOf(m_frmRecv.get()));
        m_frmRecv->Image1->setPixmap(m_theme->normal().pixmap(size));
        m_frmRecv->Image2->setPixmap(m_theme->arrival().pixmap(size));
    }
}

FrmRecv &Program::frmRecv()
{
    if (!m_frmRecv) {
        m_frmRecv = std::make_unique<FrmRecv>(*m_inbox, *m_receiver, *m_env.clock);
        m_frmRecv->setWeekday(m_weekday);
        // Made after an arrival: it wears the arrival picture.
        m_frmRecv->setWindowIcon(m_theme->arrival());
        themeChanged();
        connect(m_frmRecv.get(), &FrmRecv::passwordRequested, this, &Program::showPassword);
        applyAppearance();
    }
    return *m_frmRecv;
}

void Program::messageArrived()
{
    const OptSettings &settings = m_store->settings();
    const bool shown = m_frmRecv && m_frmRecv->isVisible();
    m_tray->messageArrived(settings.blinkIcon, shown);
    if (m_frmRecv)
        m_frmRecv->setWindowIcon(m_theme->arrival());
    if (shown)
        return;
    // Without a notification area nothing else would tell of it: the
    // button window comes up, and the send window asks for attention.
    if (settings.rcvButton || !m_hasTray) {
        if (!m_frmMsgOpen) {
            m_frmMsgOpen = new FrmMsgOpen(m_theme->arrival());
            connect(m_frmMsgOpen, &FrmMsgOpen::openRequested, this, &Program::dspRecvMsg);
        }
        m_frmMsgOpen->adjustSize(); // placed at its real size, not Qt's default
        placeWidget(m_frmMsgOpen, settings);
        m_frmMsgOpen->show();
    }
    if (!m_hasTray)
        m_env.tray->demandAttention(&frmSnd());
}

void Program::notifyArrival(const QString &senderName, const QString &address)
{
    // Without a tray the desktop is told too; with one, the tray alone.
    if (m_hasTray || !m_env.notifier)
        return;
    const QString who = senderName.trimmed().isEmpty() ? address : senderName.trimmed();
    m_env.notifier->notify(ProgramName, who + QStringLiteral(" からメッセージが届きました"));
}

void Program::dspRecvMsg()
{
    m_tray->mnuTray->hide();
    if (!m_inbox->isLive())
        return; // nothing waits (a button window left from before)
    FrmRecv &w = frmRecv();
    if (!(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        placeWidget(&w, m_store->settings());
    m_tray->messagesShown();
    m_inbox->showFirst();
    w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
    w.show();
    w.raise();
    w.activateWindow();
    w.Text2->setFocus();
    if (m_store->settings().rcvButton)
        w.CmdOPCL->setFocus();
    if (m_frmMsgOpen)
        m_frmMsgOpen->close();
}

void Program::showPassword()
{
    if (!m_frmPw) {
        m_frmPw = new FrmPw(*m_gate, *m_dialogs);
        connect(m_frmPw, &FrmPw::historyGranted, this, &Program::dspLog);
    }
    showPlaced(m_frmPw, m_store->settings());
}

void Program::mnuLog_Click()
{
    m_tray->mnuTray->hide();
    if (m_gate->requestHistory())
        dspLog();
    else
        showPassword();
}

void Program::dspLog()
{
    if (!m_frmLog) {
        m_frmLog = std::make_unique<FrmLog>(*m_history, *m_browser);
        m_frmLog->setWindowIcon(m_theme->normal());
        m_frmLog->Image1->setPixmap(
            m_theme->normal().pixmap(twips::toPixelsX(480, twips::screenOf(m_frmLog.get()))));
    }
    FrmLog &w = *m_frmLog;
    if (!(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        placeWidget(&w, m_store->settings());
    const QDateTime now = m_env.clock->now();
    w.panel1->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
    w.panel2->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    m_browser->shown();
    w.show();
    w.raise();
    w.activateWindow();
}

void Program::mnuLetter_Click()
{
    m_tray->mnuTray->hide();
    if (!m_frmLetter) {
        m_frmLetter = new FrmLetter(*m_note, *m_dialogs);
        m_frmLetter->setWindowIcon(m_theme->normal());
        m_frmLetter->Image1->setPixmap(
            m_theme->normal().pixmap(twips::toPixelsX(480, twips::screenOf(m_frmLetter))));
    }
    applyAppearance();
    if (!(m_frmLetter->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        placeWidget(m_frmLetter, m_store->settings());
    m_frmLetter->show();
    m_frmLetter->raise();
    m_frmLetter->activateWindow();
    m_note->open();
}

void Program::mnuOther_Click()
{
    m_tray->mnuTray->hide();
    if (!m_frmOpt) {
        m_frmOpt = new FrmOpt(*m_store, *m_dialogs, wire::nameLeadsMessage);
        m_frmOpt->setWindowIcon(m_theme->normal());
        connect(m_frmOpt, &FrmOpt::appearanceChanged, this, &Program::applyAppearance);
    } else {
        m_frmOpt->fill(); // discards what was not saved
    }
    showPlaced(m_frmOpt, m_store->settings());
}

FrmSnd &Program::frmSnd()
{
    if (!m_frmSnd) {
        m_frmSnd =
            std::make_unique<FrmSnd>(*m_composer, *m_dispatcher, *m_users, m_store->settings());
        connect(m_frmSnd.get(), &FrmSnd::ipSetRequested, this, &Program::openIpSet);
        m_frmSnd->setWeekday(m_weekday);
        // Centred until the placement rule moves it.
        if (const QScreen *screen = twips::screenOf(m_frmSnd.get())) {
            const QSize size = m_frmSnd->size();
            const QRect area = screen->geometry();
            m_frmSnd->move(area.x() + area.width() / 2 - size.width() / 2,
                           area.y() + area.height() / 2 - size.height() / 2);
        }
        themeChanged();
        applyAppearance();
    }
    return *m_frmSnd;
}

FrmOption &Program::frmOption()
{
    if (!m_frmOption) {
        m_frmOption = std::make_unique<FrmOption>(*m_theme, *m_tray, *m_store, *m_dialogs);
        // The set the settings named (none without a settings file).
        if (m_storedSet)
            m_frmOption->select(*m_storedSet);
    }
    return *m_frmOption;
}
