#include "receiver.h"

#include "answersender.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "inbox.h"
#include "passwordgate.h"

Receiver::Receiver(Inbox &inbox, AnswerSender &answers, HistoryModel &history, PasswordGate &gate,
                   QObject *parent)
    : QObject(parent), m_inbox(inbox), m_answers(answers), m_history(history), m_gate(gate)
{
}

void Receiver::arrivalKept()
{
    m_alertUp = true;
}

bool Receiver::waitAgain()
{
    m_alertUp = m_inbox.isLive();
    return m_alertUp;
}

void Receiver::resetTrayIcon()
{
    m_alertUp = false;
    emit alertReset();
}

bool Receiver::sendOpenConfirm()
{
    if (!m_inbox.isLive() || !m_inbox.bodyVisible())
        return true;
    InboxEntry &e = m_inbox.current();
    if (e.recvOpen)
        return true;
    // Not told: tried again at the next opening.
    if (!m_answers.openConfirm(e.recvIp, e.recvRowNo))
        return false;
    const qint64 logKey = e.recvLogKey;
    m_inbox.keep([&] {
        m_inbox.markOpened();
        m_history.logSetOpen(logKey);
    });
    resetTrayIcon();
    return true;
}

Receiver::Opening Receiver::open()
{
    Opening result = Opening::Closed;
    if (m_inbox.bodyVisible()) {
        m_inbox.setBodyVisible(false);
    } else if (!m_gate.requestMessage(m_inbox.current().serial)) {
        return Opening::AskPassword;
    } else {
        m_inbox.setBodyVisible(true);
        result = sendOpenConfirm() ? Opening::Opened : Opening::OpenedUntold;
    }
    m_gate.endGrant();
    return result;
}

void Receiver::seal()
{
    m_gate.endGrant();
    if (m_inbox.bodyVisible())
        m_inbox.setBodyVisible(false);
}

std::optional<QString> Receiver::quote(const QString &reply)
{
    if (m_gate.isOn() && !m_inbox.bodyVisible())
        return std::nullopt;
    return quoted(m_inbox.bodyText(), reply);
}

bool Receiver::next()
{
    return !m_inbox.next() || sendOpenConfirm();
}

bool Receiver::back()
{
    return !m_inbox.back() || sendOpenConfirm();
}

Receiver::Replied Receiver::reply(const QString &replyText)
{
    if (replyText.isEmpty())
        return Replied::Empty;
    if (!m_inbox.isLive())
        return Replied::Refused;
    const QString text = fieldtext::crlf(replyText);
    const InboxEntry e = m_inbox.current();
    Posted posted = Posted::Refused;
    bool last = false;
    // The reply's history row and the end of its entry are kept together.
    const bool kept = m_inbox.keep([&] {
        posted = m_answers.reply(e.recvIp, e.recvName, text);
        if (posted != Posted::Sent)
            return;
        m_inbox.removeCurrent();
        last = m_inbox.recvCount() == 0;
        if (last)
            m_inbox.drop();
    });
    if (posted == Posted::TooLong)
        return Replied::TooLong;
    if (posted != Posted::Sent)
        return Replied::NotSent;
    emit replied(text);
    resetTrayIcon();
    // Not kept: the entry still waits, as the store says.
    return kept && last ? Replied::Done : Replied::Stays;
}

void Receiver::hold()
{
    if (!m_alertUp || !m_inbox.isLive())
        return;
    resetTrayIcon();
    m_answers.hold(m_inbox.current().recvIp);
}

void Receiver::discard()
{
    const bool live = m_inbox.isLive();
    const InboxEntry e = live ? m_inbox.current() : InboxEntry();
    const bool alert = m_alertUp;
    // Not kept: the messages still wait, and their sender is told nothing.
    if (!m_inbox.keep([&] {
            m_inbox.drop();
            if (alert)
                m_history.logSetDiscard();
        }) ||
        !alert)
        return;
    resetTrayIcon();
    if (live)
        m_answers.discard(e.recvIp, e.recvRowNo);
}

QString Receiver::quoted(const QString &body, const QString &reply)
{
    QString q;
    qsizetype p = 0;
    while (p < body.size()) {
        const qsizetype f = body.indexOf(QStringLiteral("\r\n"), p);
        const qsizetype end = f < 0 ? body.size() : f + 2;
        q += u'>';
        q += QStringView(body).mid(p, end - p);
        p = end;
    }
    return q + QStringLiteral("\r\n") + reply;
}
