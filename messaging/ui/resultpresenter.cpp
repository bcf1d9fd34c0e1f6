#include "resultpresenter.h"

#include "clock.h"
#include "fieldtext.h"
#include "frmrcvok.h"
#include "frmsndok.h"
#include "frmsrok.h"
#include "optsettings.h"
#include "plaintitle.h"
#include "windowplacement.h"

#include <QLabel>
#include <QLocale>
#include <QTimer>

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
    m_sndOk->Label1->setText(result.label);
    m_sndOk->setWindowTitle(plainTitle(QStringLiteral("To ") + result.peerName));
    m_sndOk->Label2->setText(dateShown(now));
    m_sndOk->Label3->setText(fieldtext::timeText(now));
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
    m_rcvOk->Label1->setText(result.label);
    m_rcvOk->Label2->setText(dateShown(now));
    m_rcvOk->Label3->setText(fieldtext::timeText(now));
    if (result.autoClose)
        m_rcvOk->Timer1->start();
    else
        m_rcvOk->Timer1->stop();
    // A blank name keeps the caption the window has.
    if (!result.name.nobody)
        m_rcvOk->setWindowTitle(plainTitle(QStringLiteral("From ") + result.name.field));
    present(m_rcvOk);
}

void ResultPresenter::showSmall(bool deliveryPicture, bool autoClose)
{
    if (!m_srOk)
        m_srOk = new FrmSROK;
    if (autoClose)
        m_srOk->Timer1->start();
    else
        m_srOk->Timer1->stop();
    m_srOk->Image1->setVisible(deliveryPicture);
    m_srOk->Image2->setVisible(!deliveryPicture);
    m_srOk->Label1->setText(fieldtext::timeText(m_clock.now()));
    present(m_srOk);
}
