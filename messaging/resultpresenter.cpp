#include "resultpresenter.h"

#include "clock.h"
#include "fieldtext.h"
#include "optsettings.h"

#include <QLocale>

namespace {

QString dateShown(const QDateTime &now)
{
    return QLocale().toString(now.date(), QLocale::ShortFormat);
}

// What a reader did with a message this copy sent.
QString answerText(wire::Kind kind)
{
    if (kind == wire::Kind::OpenConfirm)
        return QStringLiteral("メッセージは確認されました。");
    if (kind == wire::Kind::Hold)
        return QStringLiteral("メッセージは返信保留されています。");
    return QStringLiteral("メッセージは未確認のまま閉じられました。");
}

} // namespace

ResultPresenter::ResultPresenter(const OptSettings &settings, const Clock &clock, QObject *parent)
    : QObject(parent), m_settings(settings), m_clock(clock)
{
}

SenderResult ResultPresenter::stamped(SenderResult::Window window) const
{
    const QDateTime now = m_clock.now();
    SenderResult r;
    r.window = window;
    r.date = dateShown(now);
    r.time = fieldtext::timeText(now);
    return r;
}

void ResultPresenter::delivered(const wire::Name &name)
{
    m_peerName = name.shortName;
    const Display display = !m_settings.sndConfirm     ? Display::None
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
        SenderResult r = stamped(SenderResult::Window::Small);
        r.deliveryPicture = true; // and it never closes by itself
        emit resultShown(r);
        return;
    }
    SenderResult r = stamped(SenderResult::Window::Send);
    r.label = label;
    r.peerName = m_peerName;
    emit resultShown(r);
}

void ResultPresenter::answered(wire::Kind kind, const wire::Name &name)
{
    if (!m_settings.rcvConfirm)
        return;
    const bool autoClose = m_settings.autoErase;
    if (m_settings.rcvConfirmMin) {
        SenderResult r = stamped(SenderResult::Window::Small);
        r.autoClose = autoClose;
        emit resultShown(r);
        return;
    }
    SenderResult r = stamped(SenderResult::Window::Read);
    r.label = answerText(kind);
    r.reader = name;
    r.autoClose = autoClose;
    emit resultShown(r);
}
