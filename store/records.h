#pragma once

#include <QString>

// One row of the history, as the list shows it and the file holds it.
struct HistoryRow
{
    QString date;
    QString sender;
    QString recipient;
    QString sendTime;
    QString receiveTime;
    QString message;
    bool received = false; // a message from a peer, not one this user sent
    qint64 key = 0;        // this row and no other, for as long as it lives (set by the store)
};

// One message waiting to be answered.
struct InboxEntry
{
    QString recvName;     // the sender's short name, maybe empty
    QString recvIp;       // where it came from, dotted IPv4
    QString recvSendTime; // the sender's clock at sending
    QString recvRowNo;    // the sender's history reference, as it came
    QString body;
    bool recvOpen = false; // the open confirmation has gone out
    qint64 recvLogKey = 0; // this message's own history row (its key)
    quint64 serial = 0;    // tells this entry from every other one (kept across runs)
};
