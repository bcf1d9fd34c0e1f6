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
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int Peers = 1000;
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

    QEventLoop loop;
    QObject::connect(&users, &QAbstractItemModel::rowsInserted, &loop, [&] {
        if (users.rowCount() == Peers)
            loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit); // a lost datagram ends it here

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < Peers; ++i)
        peers[size_t(i)]->writeDatagram(replies[size_t(i)], listener, PortNo);
    loop.exec();
    const double ms = t.nsecsElapsed() / 1e6;

    bool sorted = true;
    for (int r = 1; r < users.rowCount(); ++r)
        sorted &= users.at(r - 1).name <= users.at(r).name;
    std::printf("search replies: %d of %d listed in %.1f ms, %s, receive buffer %d bytes\n",
                users.rowCount(), Peers, ms, sorted ? "sorted" : "NOT sorted",
                port.receiveBufferBytes());
    return users.rowCount() == Peers && sorted ? 0 : 1;
}
