#pragma once

#include "wire.h"

#include <QObject>
#include <QString>

class HistoryModel;
class Inbox;

// Keeps what arrives: each message that passed the partner filter becomes
// an inbox entry and its history row, together, while there is room. What
// is kept is told by the inbox (Inbox::arrived).
class Arrivals final : public QObject
{
    Q_OBJECT
public:
    Arrivals(Inbox &inbox, HistoryModel &history, QObject *parent = nullptr);

    // Runs before the acknowledgement leaves.
    void addRecvMsg(const wire::Message &message, const QString &source);

private:
    Inbox &m_inbox;
    HistoryModel &m_history;
};
