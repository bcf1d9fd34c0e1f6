#include "arrivals.h"

#include "historymodel.h"
#include "inbox.h"

Arrivals::Arrivals(Inbox &inbox, HistoryModel &history, QObject *parent)
    : QObject(parent), m_inbox(inbox), m_history(history)
{
}

void Arrivals::addRecvMsg(const wire::Message &message, const QString &source)
{
    InboxEntry e;
    e.recvName = message.name.nobody ? QString() : message.name.shortName;
    e.recvIp = source;
    e.recvSendTime = message.time;
    e.recvRowNo = message.refField;
    e.body = message.text;
    // The row first: the entry kept with the message names it.
    m_inbox.keep([&] {
        e.recvLogKey = m_history.keyOf(m_history.logAddRecv(e.recvName, e.body));
        m_inbox.store(e);
    });
}
