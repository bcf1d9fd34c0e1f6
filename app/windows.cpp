#include "windows.h"

#include "appearance.h"
#include "awaynote.h"
#include "clock.h"
#include "composer.h"
#include "dialogs.h"
#include "frmipset.h"
#include "frmletter.h"
#include "frmlog.h"
#include "frmmsgopen.h"
#include "frmopt.h"
#include "frmoption.h"
#include "frmpw.h"
#include "frmrcvok.h"
#include "frmrecv.h"
#include "frmsnd.h"
#include "frmsndlist.h"
#include "frmsndok.h"
#include "frmsrok.h"
#include "frmversion.h"
#include "historybrowser.h"
#include "icontheme.h"
#include "inbox.h"
#include "passwordgate.h"
#include "receiver.h"
#include "resultpresenter.h"
#include "settingsstore.h"
#include "traycontroller.h"
#include "twips.h"
#include "userlistmodel.h"
#include "windowplacement.h"
#include "windowwiring.h"
#include "wire.h"

#include <QMenu>
#include <QScreen>

Windows::Windows(Parts parts, QObject *parent) : QObject(parent), m_parts(parts) {}

Windows::~Windows()
{
    // The views go before the models they show.
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_frmSnd, m_frmRecv, m_frmOption, m_frmLog, m_frmMsgOpen, m_frmPw, m_frmLetter,
             m_frmOpt, m_frmVersion, m_frmIPset, m_frmSndOK, m_frmSndList, m_frmRcvOK, m_frmSROK})
        delete w;
}

FrmLog *Windows::frmLog() const
{
    return m_frmLog;
}
FrmMsgOpen *Windows::frmMsgOpen() const
{
    return m_frmMsgOpen;
}
FrmPw *Windows::frmPw() const
{
    return m_frmPw;
}
FrmLetter *Windows::frmLetter() const
{
    return m_frmLetter;
}
FrmOpt *Windows::frmOpt() const
{
    return m_frmOpt;
}
FrmVersion *Windows::frmVersion() const
{
    return m_frmVersion;
}
FrmIPset *Windows::frmIPset() const
{
    return m_frmIPset;
}

void Windows::showAwayNote(const QString &note)
{
    if (m_frmSnd) // no send window: nobody asked
        m_frmSnd->showAwayNote(note);
}

FrmSnd &Windows::frmSnd()
{
    if (!m_frmSnd) {
        m_frmSnd = new FrmSnd(m_parts.composer, m_parts.peers, m_parts.users, m_parts.ini,
                              m_parts.dialogs, m_parts.settings.settings());
        if (m_parts.attachments && m_parts.files)
            m_frmSnd->attachWith(*m_parts.attachments, *m_parts.files);
        wiring::sendWindow(*m_frmSnd, *this, m_parts.users, m_parts.peers);
        m_frmSnd->setWeekday(m_weekday);
        // Centred until the placement rule moves it.
        if (const QScreen *screen = twips::screenOf(m_frmSnd)) {
            const QRect area = screen->geometry();
            const QSize size = m_frmSnd->size();
            m_frmSnd->move(area.x() + area.width() / 2 - size.width() / 2,
                           area.y() + area.height() / 2 - size.height() / 2);
        }
        applyIcons();
        applyAppearance();
    }
    return *m_frmSnd;
}

FrmRecv &Windows::frmRecv()
{
    if (!m_frmRecv) {
        m_frmRecv = new FrmRecv(m_parts.inbox, m_parts.receiver, m_parts.clock, m_parts.dialogs);
        m_frmRecv->setWeekday(m_weekday);
        // Made after an arrival: it wears the arrival picture.
        markArrival();
        applyIcons();
        if (m_parts.receivedFiles)
            m_frmRecv->offerFiles(*m_parts.receivedFiles);
        wiring::recvWindow(*m_frmRecv, *this, m_parts.inbox, m_parts.receivedFiles);
        applyAppearance();
    }
    return *m_frmRecv;
}

FrmOption &Windows::frmOption()
{
    if (!m_frmOption) {
        m_frmOption = new FrmOption(m_parts.theme, m_parts.tray, m_parts.settings, m_parts.dialogs);
        // The set the settings named (none without a settings file).
        if (m_storedSet)
            m_frmOption->select(*m_storedSet);
    }
    return *m_frmOption;
}

void Windows::openIpSet()
{
    if (!m_frmIPset)
        m_frmIPset = new FrmIPset(m_parts.settings);
    showPlaced(m_frmIPset, m_parts.settings.settings());
}

void Windows::openIconDialog()
{
    showPlaced(&frmOption(), m_parts.settings.settings());
}

void Windows::openVersion()
{
    if (!m_frmVersion) {
        m_frmVersion = new FrmVersion(m_parts.theme, m_versionPhase);
        wiring::versionWindow(*m_frmVersion, *this);
    }
    showPlaced(m_frmVersion, m_parts.settings.settings());
}

void Windows::openPassword()
{
    if (!m_frmPw) {
        m_frmPw = new FrmPw(m_parts.gate, m_parts.dialogs);
        wiring::passwordWindow(*m_frmPw, *this);
    }
    showPlaced(m_frmPw, m_parts.settings.settings());
}

void Windows::openLog()
{
    if (!m_frmLog) {
        m_frmLog = new FrmLog(m_parts.history, m_parts.browser);
        wiring::logWindow(*m_frmLog, m_parts.browser);
        m_frmLog->applyIcon(m_parts.theme.normal());
    }
    m_frmLog->stamp(m_parts.clock.now());
    m_parts.browser.shown();
    showPlaced(m_frmLog, m_parts.settings.settings(), false);
}

void Windows::openLetter()
{
    if (!m_frmLetter) {
        m_frmLetter = new FrmLetter(m_parts.note, m_parts.dialogs);
        wiring::letterWindow(*m_frmLetter, m_parts.note);
        m_frmLetter->applyIcon(m_parts.theme.normal());
    }
    applyAppearance();
    showPlaced(m_frmLetter, m_parts.settings.settings(), false);
    m_parts.note.open();
}

void Windows::openOptions()
{
    if (!m_frmOpt) {
        m_frmOpt = new FrmOpt(m_parts.settings, m_parts.ini, m_parts.dialogs,
                              wire::nameLeadsMessage, m_parts.autostart, m_parts.screenLock);
        m_frmOpt->setWindowIcon(m_parts.theme.normal());
        wiring::optionsWindow(*m_frmOpt, *this);
    } else {
        m_frmOpt->fill(); // discards what was not saved
    }
    showPlaced(m_frmOpt, m_parts.settings.settings());
}

void Windows::showMessages()
{
    FrmRecv &w = frmRecv();
    showPlaced(&w, m_parts.settings.settings(), false);
    w.setReadingFocus(m_parts.settings.settings().rcvButton);
    closeArrivalButton();
}

void Windows::previewAppearance(const std::optional<OptSettings> &draft)
{
    m_preview = draft;
    applyAppearance();
}

void Windows::popUpTrayMenu(const QPoint &at)
{
    m_parts.tray.menu()->popup(at);
}

void Windows::dspRecvMsg()
{
    m_parts.tray.hideMenu();
    if (!m_parts.inbox.isLive())
        return;
    m_parts.tray.messagesShown();
    m_parts.inbox.showFirst();
    showMessages();
}

void Windows::mnuLog_Click()
{
    if (m_parts.gate.requestHistory())
        openLog();
    else
        openPassword();
}

bool Windows::mnuEnd_Click()
{
    if (!m_parts.receiver.alertUp())
        return true;
    return m_parts.dialogs.messageBox(
               {QStringLiteral("未確認のﾒｯｾｰｼﾞがあります...\r終了しますか？"),
                QStringLiteral("ぽるとな～"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo,
                Dialogs::No}) == Dialogs::Yes;
}

void Windows::showArrivalButton()
{
    if (!m_frmMsgOpen) {
        m_frmMsgOpen = new FrmMsgOpen(m_parts.theme.arrival());
        wiring::arrivalButton(*m_frmMsgOpen, *this);
    }
    showPlaced(m_frmMsgOpen, m_parts.settings.settings(), true, false);
}

void Windows::closeArrivalButton()
{
    if (m_frmMsgOpen)
        m_frmMsgOpen->close();
}

bool Windows::messagesShown() const
{
    return m_frmRecv && m_frmRecv->isVisible();
}

void Windows::applyIcons()
{
    const QIcon normal = m_parts.theme.normal();
    if (m_frmSnd)
        m_frmSnd->applyIcon(normal);
    if (m_frmLog)
        m_frmLog->applyIcon(normal);
    if (m_frmOption)
        m_frmOption->setWindowIcon(normal);
    if (m_frmVersion)
        m_frmVersion->setPictures();
    if (m_frmRecv)
        m_frmRecv->applyIcons(normal, m_parts.theme.arrival());
    for (QWidget *w : std::initializer_list<QWidget *>{m_frmSndOK, m_frmRcvOK})
        if (w)
            w->setWindowIcon(normal);
}

void Windows::markArrival()
{
    if (m_frmRecv)
        m_frmRecv->setWindowIcon(m_parts.theme.arrival());
}

void Windows::applyAppearance()
{
    // A window made while the options dialog shows a colour or font wears it too.
    const Appearance appearance =
        Appearance::fromSettings(m_preview ? *m_preview : m_parts.settings.settings());
    if (m_frmSnd)
        m_frmSnd->applyAppearance(appearance);
    if (m_frmRecv)
        m_frmRecv->applyAppearance(appearance);
    if (m_frmLetter)
        m_frmLetter->applyAppearance(appearance);
}

void Windows::showResult(const SenderResult &r)
{
    QWidget *window = nullptr;
    switch (r.window) {
    case SenderResult::Window::Send:
        if (!m_frmSndOK)
            m_frmSndOK = new FrmSndOK;
        m_frmSndOK->showResult(r.label, r.peerName, r.date, r.time);
        window = m_frmSndOK;
        break;
    case SenderResult::Window::Read:
        if (!m_frmRcvOK)
            m_frmRcvOK = new FrmRcvOK;
        m_frmRcvOK->showResult(r.label, r.reader, r.date, r.time, r.autoClose);
        window = m_frmRcvOK;
        break;
    case SenderResult::Window::Small:
        if (!m_frmSROK)
            m_frmSROK = new FrmSROK;
        m_frmSROK->showResult(r.deliveryPicture, r.time, r.autoClose);
        showPlaced(m_frmSROK, m_parts.settings.settings());
        return; // it wears no icon of the set
    }
    window->setWindowIcon(m_parts.theme.normal());
    showPlaced(window, m_parts.settings.settings());
}

void Windows::showRound(bool trouble)
{
    const OptSettings &settings = m_parts.settings.settings();
    if (!settings.sndConfirm && !trouble)
        return;
    if (trouble && m_frmSndList && m_frmSndList->isVisible())
        return; // it shows the trouble already
    if (!m_frmSndList) {
        m_frmSndList = new FrmSndList(m_parts.composer.round());
        m_frmSndList->setWindowIcon(m_parts.theme.normal());
    }
    m_frmSndList->setSmall(settings.sndConfirm && settings.sndConfirmMin);
    showPlaced(m_frmSndList, settings);
}
