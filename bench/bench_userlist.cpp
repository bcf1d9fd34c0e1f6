// A burst of 1000 search replies from 1000 distinct addresses on loopback:
// every one listed, in order of the clicked column.
#include "awaynote.h"
#include "cp932.h"
#include "dispatcher.h"
#include "fakes.h"
#include "historymodel.h"
#include "localuser.h"
#include "optsettings.h"
#include "transport.h"
#include "udpdatagramport.h"
#include "userlistmodel.h"
#include "wire.h"
#include "wiring.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// UDP datagrams the kernel dropped for a full receive buffer, machine-wide.
long long receiveBufferDrops()
{
    QFile snmp(QStringLiteral("/proc/net/snmp"));
    if (!snmp.open(QIODevice::ReadOnly))
        return -1;
    QList<QByteArray> names;
    for (const QByteArray &line : snmp.readAll().split('\n')) {
        if (!line.startsWith("Udp: "))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (names.isEmpty()) {
            names = fields;
            continue;
        }
        const qsizetype at = names.indexOf("RcvbufErrors");
        return at > 0 && at < fields.size() ? fields[at].toLongLong() : -1;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The crowd first: 500 answer at once; then the list fills to its limit.
    constexpr int Crowd = 500;
    constexpr int Peers = UserListModel::MaxPeers;
    constexpr quint16 PortNo = 50319;
    const QHostAddress listener(QStringLiteral("127.0.0.2"));

    OptSettings settings;
    FakeClock clock;
    ScriptedDialogs dialogs;
    UdpDatagramPort port(listener, PortNo);
    if (port.bind() != DatagramPort::BindResult::Bound) {
        std::fprintf(stderr, "cannot bind 127.0.0.2:%d\n", PortNo);
        return 1;
    }
    LocalUser user(QByteArray(20, '\0'), QStringLiteral("127.0.0.2"), settings);
    UserListModel users;
    HistoryModel history(clock, [] { return QString(); });
    AwayNote note;
    Transport transport(port);
    Dispatcher dispatcher(port, transport, settings, user, users, note, clock);
    wiring::portToDispatcher(port, dispatcher);
    users.sortByColumn(UserListModel::NameCol); // a column was clicked

    // One socket per peer address, 127.1.x.y, each sending its reply once.
    std::vector<std::unique_ptr<QUdpSocket>> peers;
    std::vector<QByteArray> replies;
    for (int i = 0; i < Peers; ++i) {
        auto s = std::make_unique<QUdpSocket>();
        const QHostAddress from(QStringLiteral("127.1.%1.%2").arg(i / 250).arg(i % 250 + 1));
        if (!s->bind(from, 0)) {
            std::fprintf(stderr, "cannot bind %s\n", qPrintable(from.toString()));
            return 1;
        }
        replies.push_back(cp932::encode(
            wire::searchReply(QStringLiteral("user%1").arg((i * 7919) % Peers, 4, 10, QChar(u'0')),
                              QString(), QString(), QString(), false)));
        peers.push_back(std::move(s));
    }

    const auto answer = [&](int from, int to) {
        QEventLoop loop;
        QObject::connect(&users, &QAbstractItemModel::rowsInserted, &loop, [&] {
            if (users.rowCount() == to)
                loop.quit();
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit); // a lost datagram ends it here
        QElapsedTimer t;
        t.start();
        for (int i = from; i < to; ++i)
            peers[size_t(i)]->writeDatagram(replies[size_t(i)], listener, PortNo);
        loop.exec();
        return t.nsecsElapsed() / 1e6;
    };
    const long long dropsBefore = receiveBufferDrops();
    const double crowdMs = answer(0, Crowd);
    const long long drops = receiveBufferDrops() - dropsBefore;
    std::printf("a crowd of %d answers at once: %d listed in %.1f ms; the kernel dropped %lld "
                "(receive buffer %d bytes)\n",
                Crowd, users.rowCount(), crowdMs, drops, port.receiveBufferBytes());
    const int crowdListed = users.rowCount();
    const double ms = answer(Crowd, Peers);

    bool sorted = true;
    for (int r = 1; r < users.rowCount(); ++r)
        sorted &= users.at(r - 1).name <= users.at(r).name;
    QElapsedTimer t;
    t.start();
    users.sortByColumn(UserListModel::AddressCol);
    const double sortMs = t.nsecsElapsed() / 1e6;
    t.restart();
    users.select(Peers / 2);
    const QString chosen = users.selectedPeerAddress();
    users.sortByColumn(UserListModel::NameCol);
    const double selectMs = t.nsecsElapsed() / 1e6;
    std::printf("the list at %d: the rest listed in %.1f ms, %s; sorting by another column "
                "%.2f ms, choosing a row and sorting back %.2f ms (%s)\n",
                users.rowCount(), ms, sorted ? "sorted" : "NOT sorted", sortMs, selectMs,
                qPrintable(chosen));
    return crowdListed == Crowd && users.rowCount() == Peers && sorted ? 0 : 1;
}
