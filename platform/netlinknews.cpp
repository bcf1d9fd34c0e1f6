#include "netlinknews.h"

#include <linux/if.h>
#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>

#include <cstring>

namespace {

quint32 fromNetwork(const void *data)
{
    quint32 v = 0;
    std::memcpy(&v, data, sizeof v);
    return ntohl(v);
}

} // namespace

void NetlinkNews::apply(QByteArrayView buffer)
{
    const char *data = buffer.data();
    qsizetype left = buffer.size();
    while (left >= qsizetype(sizeof(nlmsghdr))) {
        nlmsghdr h;
        std::memcpy(&h, data, sizeof h);
        if (h.nlmsg_len < sizeof h || qsizetype(h.nlmsg_len) > left)
            return;
        const char *body = data + NLMSG_HDRLEN;
        const qsizetype bodyLen = qsizetype(h.nlmsg_len) - NLMSG_HDRLEN;
        const qsizetype step = std::min<qsizetype>(NLMSG_ALIGN(h.nlmsg_len), left);
        data += step;
        left -= step;

        if (h.nlmsg_type == RTM_NEWLINK || h.nlmsg_type == RTM_DELLINK) {
            if (bodyLen < qsizetype(sizeof(ifinfomsg)))
                continue;
            ifinfomsg info;
            std::memcpy(&info, body, sizeof info);
            if (h.nlmsg_type == RTM_DELLINK) {
                m_links.erase(info.ifi_index);
                continue;
            }
            // Up and with a carrier: a cable plugged in or a network joined
            // is when peers can be reached again.
            m_links[info.ifi_index].running =
                (info.ifi_flags & IFF_UP) && (info.ifi_flags & IFF_RUNNING);
            continue;
        }
        if (h.nlmsg_type != RTM_NEWADDR && h.nlmsg_type != RTM_DELADDR)
            continue;
        if (bodyLen < qsizetype(sizeof(ifaddrmsg)))
            continue;
        ifaddrmsg a;
        std::memcpy(&a, body, sizeof a);
        if (a.ifa_family != AF_INET)
            continue;
        NetworkState::Address address;
        address.prefix = a.ifa_prefixlen;
        bool hasLocal = false;
        const char *attr = body + NLMSG_ALIGN(sizeof a);
        qsizetype attrLeft = bodyLen - qsizetype(NLMSG_ALIGN(sizeof a));
        while (attrLeft >= qsizetype(sizeof(rtattr))) {
            rtattr r;
            std::memcpy(&r, attr, sizeof r);
            if (r.rta_len < sizeof r || qsizetype(r.rta_len) > attrLeft)
                break;
            const qsizetype payload = qsizetype(r.rta_len) - qsizetype(RTA_LENGTH(0));
            if (payload >= 4 && r.rta_type == IFA_LOCAL) {
                address.local = fromNetwork(attr + RTA_LENGTH(0));
                hasLocal = true;
            } else if (payload >= 4 && r.rta_type == IFA_BROADCAST) {
                address.broadcast = fromNetwork(attr + RTA_LENGTH(0));
            }
            const qsizetype rstep = std::min<qsizetype>(RTA_ALIGN(r.rta_len), attrLeft);
            attr += rstep;
            attrLeft -= rstep;
        }
        if (!hasLocal)
            continue;
        auto &addresses = m_links[int(a.ifa_index)].addresses;
        // One entry per local address and prefix: a renewal that brings the
        // same values replaces nothing.
        for (auto it = addresses.begin(); it != addresses.end();) {
            if (it->local == address.local && it->prefix == address.prefix)
                it = addresses.erase(it);
            else
                ++it;
        }
        if (h.nlmsg_type == RTM_NEWADDR)
            addresses.insert(address);
    }
}

NetworkState NetlinkNews::state() const
{
    NetworkState s;
    for (const auto &[index, link] : m_links)
        if (link.running && !link.addresses.empty())
            s.up[index] = link.addresses;
    return s;
}
