#pragma once

#include "netlinknews.h"
#include "networkwatcher.h"

#include <QTimer>

class QSocketNotifier;

// The kernel's own news of links and IPv4 addresses (a netlink route
// socket read through a socket notifier): no polling, and no wake-up while
// nothing changes. The state starts from a dump of what is there.
class NetlinkWatcher final : public NetworkWatcher
{
    Q_OBJECT
public:
    static constexpr int SettleMs = 1000;

    explicit NetlinkWatcher(QObject *parent = nullptr);
    ~NetlinkWatcher() override;

    // False when the kernel would not open the socket (then nothing is told).
    bool isWatching() const { return m_fd >= 0; }
    NetworkState state() const override { return m_news.state(); }

private:
    void readNews();
    void settled();
    // Reads the links and addresses afresh: at the start, and when news was lost.
    void dump();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_settle;
    NetlinkNews m_news;
    NetworkState m_told;
};
