#include "resultpresenter.h"

#include "clock.h"
#include "fieldtext.h"
#include "frmrcvok.h"
#include "frmsndok.h"
#include "frmsrok.h"
#include "optsettings.h"
#include "windowplacement.h"

#include <QLocale>

namespace {

QString dateShown(const QDateTime &now)
{
    return QLocale().toString(now.date(), QLocale::ShortFormat);
}

} // namespace

ResultPresenter::ResultPresenter(Dispatcher &dispatcher, const OptSettings &settings,
                                 const Clock &clock, QObject *parent)
    : QObject(parent), m_settings(settings), m_clock(clock)
{
    connect(&dispatcher, &Dispatcher::sendResult, this, &ResultPresenter::showSendResult);
    connect(&dispatcher, &Dispatcher::receiveResult, this, &ResultPresenter::showReceiveResult);
}

ResultPresenter::~ResultPresenter()
{
    delete m_sndOk;
    delete m_rcvOk;
    delete m_srOk;
}

void ResultPresenter::setWindowIcon(const QIcon &icon)
{
    m_icon = icon;
    if (m_sndOk)
        m_sndOk->setWindowIcon(icon);
    if (m_rcvOk)
        m_rcvOk->setWindowIcon(icon);
}

void ResultPresenter::present(QWidget *window)
{
    showPlaced(window, m_settings);
}

void ResultPresenter::showSendResult(const Dispatcher::SendResult &result)
{
    if (result.display == Dispatcher::Display::None)
        return;
    if (result.display == Dispatcher::Display::Small) {
        showSmall(true, false); // a delivery result never closes by itself
        return;
    }
    if (!m_sndOk) {
        m_sndOk = new FrmSndOK;
        m_sndOk->setWindowIcon(m_icon);
    }
    const QDateTime now = m_clock.now();
    m_sndOk->showResult(result.label, result.peerName, dateShown(now), fieldtext::timeText(now));
    present(m_sndOk);
}

void ResultPresenter::showReceiveResult(const Dispatcher::ReceiveResult &result)
{
    if (result.display == Dispatcher::Display::None)
        return;
    if (result.display == Dispatcher::Display::Small) {
        showSmall(false, result.autoClose);
        return;
    }
    if (!m_rcvOk) {
        m_rcvOk = new FrmRcvOK;
        m_rcvOk->setWindowIcon(m_icon);
    }
    const QDateTime now = m_clock.now();
    m_rcvOk->showResult(result.label, result.name, dateShown(now), fieldtext::timeText(now),
                        result.autoClose);
    present(m_rcvOk);
}

void ResultPresenter::showSmall(bool deliveryPicture, bool autoClose)
{
    if (!m_srOk)
        m_srOk = new FrmSROK;
    m_srOk->showResult(deliveryPicture, fieldtext::timeText(m_clock.now()), autoClose);
    present(m_srOk);
}
