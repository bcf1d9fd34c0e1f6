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
    connect(&m_settle, &QTimer::timeout, this, &NetlinkWatcher::settled);

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
    // Subscribed first, dumped second: a change in between arrives as news
    // after the dump, and news repeating the dump changes nothing.
    dump();
    m_told = m_news.state();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &NetlinkWatcher::readNews);
}

NetlinkWatcher::~NetlinkWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void NetlinkWatcher::dump()
{
    m_news = NetlinkNews();
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return;
    // A dump answers at once; the timeout only guards against a kernel that does not.
    timeval wait{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    for (const int type : {RTM_GETLINK, RTM_GETADDR}) {
        struct
        {
            nlmsghdr header;
            rtgenmsg body;
        } request{};
        request.header.nlmsg_len = sizeof request;
        request.header.nlmsg_type = quint16(type);
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = quint32(type);
        request.body.rtgen_family = type == RTM_GETADDR ? AF_INET : AF_UNSPEC;
        if (::send(fd, &request, sizeof request, 0) != ssize_t(sizeof request))
            break;
        alignas(nlmsghdr) char buffer[32768];
        bool done = false;
        while (!done) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            m_news.apply(QByteArrayView(buffer, n));
            // The dump ends with NLMSG_DONE (or an error) in the last message read.
            for (qsizetype at = 0; at + qsizetype(sizeof(nlmsghdr)) <= n;) {
                const auto *h = reinterpret_cast<const nlmsghdr *>(buffer + at);
                if (h->nlmsg_type == NLMSG_DONE || h->nlmsg_type == NLMSG_ERROR)
                    done = true;
                if (h->nlmsg_len < sizeof(nlmsghdr))
                    break;
                at += NLMSG_ALIGN(h->nlmsg_len);
            }
        }
    }
    ::close(fd);
}

void NetlinkWatcher::readNews()
{
    // An overrun (ENOBUFS) means news was lost: what is there is read afresh.
    alignas(nlmsghdr) char buffer[8192];
    bool news = false, lost = false;
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            m_news.apply(QByteArrayView(buffer, n));
            news = true;
            continue;
        }
        if (n < 0 && errno == ENOBUFS) {
            lost = news = true;
            continue;
        }
        break;
    }
    if (lost)
        dump();
    if (news)
        m_settle.start();
}

void NetlinkWatcher::settled()
{
    NetworkState now = m_news.state();
    if (now == m_told)
        return;
    m_told = std::move(now);
    emit changed();
}
