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

ResultPresenter::ResultPresenter(const OptSettings &settings, const Clock &clock, QObject *parent)
    : QObject(parent), m_settings(settings), m_clock(clock)
{
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

void ResultPresenter::delivered(const wire::Name &name)
{
    m_peerName = name.shortName;
    const Display display = !m_settings.sndConfirm   ? Display::None
                            : m_settings.sndConfirmMin ? Display::Small
                                                       : Display::Full;
    showSendResult(QStringLiteral("メッセージは正しく送信されました。"), display);
}

void ResultPresenter::refused()
{
    // Shown whatever the confirmation settings say.
    showSendResult(QStringLiteral("あなたのﾒｯｾｰｼﾞは拒否されました。"), Display::Full);
}

void ResultPresenter::showSendResult(const QString &label, Display display)
{
    if (display == Display::None)
        return;
    if (display == Display::Small) {
        showSmall(true, false); // a delivery result never closes by itself
        return;
    }
    if (!m_sndOk) {
        m_sndOk = new FrmSndOK;
        m_sndOk->setWindowIcon(m_icon);
    }
    const QDateTime now = m_clock.now();
    m_sndOk->showResult(label, m_peerName, dateShown(now), fieldtext::timeText(now));
    present(m_sndOk);
}

void ResultPresenter::answered(wire::Kind kind, const wire::Name &name)
{
    if (!m_settings.rcvConfirm)
        return;
    const bool autoClose = m_settings.autoErase;
    if (m_settings.rcvConfirmMin) {
        showSmall(false, autoClose);
        return;
    }
    QString label;
    switch (kind) {
    case wire::Kind::OpenConfirm:
        label = QStringLiteral("メッセージは確認されました。");
        break;
    case wire::Kind::Hold:
        label = QStringLiteral("メッセージは返信保留されています。");
        break;
    default:
        label = QStringLiteral("メッセージは未確認のまま閉じられました。");
        break;
    }
    if (!m_rcvOk) {
        m_rcvOk = new FrmRcvOK;
        m_rcvOk->setWindowIcon(m_icon);
    }
    const QDateTime now = m_clock.now();
    m_rcvOk->showResult(label, name, dateShown(now), fieldtext::timeText(now), autoClose);
    present(m_rcvOk);
}

void ResultPresenter::showSmall(bool deliveryPicture, bool autoClose)
{
    if (!m_srOk)
        m_srOk = new FrmSROK;
    m_srOk->showResult(deliveryPicture, fieldtext::timeText(m_clock.now()), autoClose);
    present(m_srOk);
}
