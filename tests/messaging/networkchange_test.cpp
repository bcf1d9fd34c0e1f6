// When a change of the network searches by itself: the kernel's messages as
// they arrive (a dump at the start, then news), and the gap between searches.
#include "fakes.h"
#include "netlinknews.h"
#include "networkchangerule.h"

#include <QTest>

#include <arpa/inet.h>
#include <linux/if.h>
#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

namespace {

template <typename T> QByteArray bytes(const T &value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

// One route message, laid out as the kernel sends it (every part here is a
// multiple of four bytes long: no padding).
template <typename Body>
QByteArray message(quint16 type, const Body &body, const QByteArray &attributes)
{
    nlmsghdr h{};
    h.nlmsg_len = quint32(sizeof h + sizeof body + size_t(attributes.size()));
    h.nlmsg_type = type;
    return bytes(h) + bytes(body) + attributes;
}

QByteArray attribute(quint16 type, const QByteArray &payload)
{
    return bytes(rtattr{quint16(RTA_LENGTH(payload.size())), type}) + payload;
}

QByteArray ipv4(const char *dotted)
{
    in_addr a{};
    inet_pton(AF_INET, dotted, &a);
    return bytes(a);
}

QByteArray link(int index, unsigned flags, const QByteArray &attributes = {}, bool removed = false)
{
    const ifinfomsg i{AF_UNSPEC, 0, 0, index, flags, 0};
    return message(removed ? RTM_DELLINK : RTM_NEWLINK, i, attributes);
}

QByteArray address(int index, const char *local, int prefix, const char *broadcast,
                   quint32 validLifetime = 3600, bool removed = false)
{
    const ifaddrmsg a{AF_INET, quint8(prefix), 0, 0, quint32(index)};
    QByteArray attributes = attribute(IFA_ADDRESS, ipv4(local)) + attribute(IFA_LOCAL, ipv4(local));
    if (broadcast)
        attributes += attribute(IFA_BROADCAST, ipv4(broadcast));
    attributes +=
        attribute(IFA_CACHEINFO, bytes(ifa_cacheinfo{validLifetime, validLifetime, 0, 0}));
    return message(removed ? RTM_DELADDR : RTM_NEWADDR, a, attributes);
}

constexpr unsigned Running = IFF_UP | IFF_RUNNING;

// What the copy finds when it starts: the loopback and one card.
QByteArray startDump()
{
    return link(1, Running | IFF_LOOPBACK) + address(1, "127.0.0.1", 8, nullptr) +
           link(2, Running) + address(2, "198.18.0.2", 24, "198.18.0.255");
}

} // namespace

class NetworkChangeTest : public QObject
{
    Q_OBJECT
private slots:
    void decisions_data();
    void decisions();
};

void NetworkChangeTest::decisions_data()
{
    // Applied, then searched automatically at 0 ms (the gap begins).
    QTest::addColumn<QByteArrayList>("before");
    // Then these arrive at ms.
    QTest::addColumn<QByteArrayList>("news");
    QTest::addColumn<int>("ms");
    // 0: search now; N: ask again in N ms; -1: nothing to search.
    QTest::addColumn<int>("decision");

    const QByteArray renewal = address(2, "198.18.0.2", 24, "198.18.0.255", 1800);
    const QByteArray added = address(2, "198.18.1.102", 24, "198.18.1.255");
    const QByteArray dropped = address(2, "198.18.1.102", 24, "198.18.1.255", 0, true);
    const QByteArray down = link(2, IFF_UP); // the carrier lost, the card still on
    const QByteArray scan = link(2, Running, attribute(IFLA_WIRELESS, QByteArray(8, '\x01')));
    using L = QByteArrayList;

    QTest::newRow("lease renewed") << L() << L{renewal, renewal} << 0 << -1;
    QTest::newRow("repeated link message")
        << L() << L{link(2, Running), link(2, Running)} << 0 << -1;
    QTest::newRow("wireless scan result") << L() << L{scan} << 0 << -1;
    QTest::newRow("IPv6 address") << L()
                                  << L{message(RTM_NEWADDR, ifaddrmsg{AF_INET6, 64, 0, 0, 2},
                                               attribute(IFA_ADDRESS, QByteArray(16, '\x02')))}
                                  << 0 << -1;
    QTest::newRow("message cut short") << L() << L{added.left(added.size() - 6)} << 0 << -1;
    QTest::newRow("new address") << L() << L{added} << 0 << 0;
    QTest::newRow("broadcast changed")
        << L() << L{address(2, "198.18.0.2", 24, "198.18.0.127")} << 0 << 0;
    QTest::newRow("address removed")
        << L() << L{address(2, "198.18.0.2", 24, "198.18.0.255", 0, true)} << 0 << 0;
    QTest::newRow("link down") << L() << L{down} << 0 << 0;
    QTest::newRow("card gone") << L() << L{link(2, Running, {}, true)} << 0 << 0;
    QTest::newRow("new card with an address")
        << L() << L{link(3, Running), address(3, "198.18.4.2", 24, "198.18.4.255")} << 0 << 0;
    QTest::newRow("new card without a carrier")
        << L() << L{link(3, IFF_UP), address(3, "198.18.4.2", 24, "198.18.4.255")} << 0 << -1;
    // The gap after an automatic search.
    QTest::newRow("link up 5 s after a search waits for the gap")
        << L{down} << L{link(2, Running)} << 5000 << 55000;
    QTest::newRow("removed 10 s after a search waits for the gap")
        << L{added} << L{dropped} << 10000 << 50000;
    QTest::newRow("at the gap's end, at once") << L{added} << L{dropped} << 60000 << 0;
    QTest::newRow("undone inside the gap: nothing owed")
        << L{added} << L{dropped, added} << 10000 << -1;
    QTest::newRow("renewed after a search") << L{added} << L{renewal} << 10000 << -1;
}

void NetworkChangeTest::decisions()
{
    QFETCH(QByteArrayList, before);
    QFETCH(QByteArrayList, news);
    QFETCH(int, ms);
    QFETCH(int, decision);

    FakeClock clock;
    NetlinkNews kernel;
    kernel.apply(startDump());
    QCOMPARE(kernel.state().up.size(), size_t(2));
    NetworkChangeRule rule(clock, kernel.state());
    if (!before.isEmpty()) {
        for (const QByteArray &m : before)
            kernel.apply(m);
        QCOMPARE(rule.consider(kernel.state()), 0);
        rule.searched(kernel.state(), true);
    }
    clock.elapsed = ms;
    // One buffer may hold several messages, as a recv() returns them.
    kernel.apply(news.join());
    QCOMPARE(rule.consider(kernel.state()), qint64(decision));
}

QTEST_GUILESS_MAIN(NetworkChangeTest)
#include "networkchange_test.moc"
