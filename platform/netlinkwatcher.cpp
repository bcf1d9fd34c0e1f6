#include "netlinkwatcher.h"

#include <QSocketNotifier>

#include <cerrno>

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

NetlinkWatcher::NetlinkWatcher(QObject *parent) : NetworkWatcher(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &NetworkWatcher::changed);

    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_fd < 0)
        return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(m_fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &NetlinkWatcher::readNews);
}

NetlinkWatcher::~NetlinkWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void NetlinkWatcher::readNews()
{
    // What changed does not matter, only that something did: the messages
    // are read to empty the socket, and the wait for quiet starts again. An
    // overrun (ENOBUFS) means news was lost, which is news too.
    char buffer[8192];
    bool news = false;
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            news = true;
            continue;
        }
        if (n < 0 && errno == ENOBUFS) {
            news = true;
            continue;
        }
        break;
    }
    if (news)
        m_settle.start();
}
