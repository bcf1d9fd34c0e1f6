// The datagram port on real sockets over loopback.
#include "udpdatagramport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QtEndian>

#include <algorithm>
#include <numeric>

namespace {

// What the kernel dropped for a full receive buffer on the socket bound to
// address:port (the last column of /proc/net/udp); -1 when it is not there.
long long drops(const QHostAddress &address, quint16 port)
{
    QFile udp(QStringLiteral("/proc/net/udp"));
    if (!udp.open(QIODevice::ReadOnly))
        return -1;
    // The address in the host's byte order, as the kernel prints it.
    const quint32 ip = qToBigEndian(address.toIPv4Address());
    const QByteArray local = QByteArray::number(ip, 16).rightJustified(8, '0').toUpper() + ':' +
                             QByteArray::number(port, 16).rightJustified(4, '0').toUpper();
    for (const QByteArray &line : udp.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 2 && fields[1] == local)
            return fields.last().toLongLong();
    }
    return -1;
}

} // namespace

class UdpPortTest : public QObject
{
    Q_OBJECT
private slots:
    void aBatchEndsAfter256Datagrams();
    void aFloodingHostCostsTheOthersNothing();
    void everySizeArrivesWhole_data();
    void everySizeArrivesWhole();
};

// A sender that never pauses does not hold every acknowledgement back: what
// waits beyond one batch is handed over on the next turn of the event loop.
void UdpPortTest::aBatchEndsAfter256Datagrams()
{
    UdpDatagramPort port(QHostAddress(QStringLiteral("127.0.6.2")), 50319);
    QCOMPARE(port.bind(), DatagramPort::BindResult::Bound);
    QList<int> batches{0};
    connect(&port, &DatagramPort::arrived, this, [&batches] { ++batches.last(); });
    connect(&port, &DatagramPort::drained, this, [&batches] { batches << 0; });
    QUdpSocket peer;
    QVERIFY(peer.bind(QHostAddress(QStringLiteral("127.0.6.3")), 0));
    for (int i = 0; i < 600; ++i)
        QVERIFY(peer.writeDatagram("GROUP\x8c\x9f\x8d\xf5",
                                   QHostAddress(QStringLiteral("127.0.6.2")), 50319) > 0);
    // How the 600 split depends on how fast the reader thread keeps up (a
    // batch also ends after 50 ms, or when the queue runs dry), so what is
    // asserted is the bound: all arrive, and never more than 256 at once.
    const auto total = [&batches] { return std::accumulate(batches.begin(), batches.end(), 0); };
    QTRY_COMPARE(total(), 600);
    QCOMPARE(batches.last(), 0);
    QVERIFY2(std::all_of(batches.begin(), batches.end(), [](int n) { return n <= 256; }),
             qPrintable(QString::number(*std::max_element(batches.begin(), batches.end()))));
    // A crowd that answers at once fits in the receive buffer: none dropped.
    QCOMPARE(drops(QHostAddress(QStringLiteral("127.0.6.2")), 50319), 0);
    // And the port goes on listening.
    QVERIFY(peer.writeDatagram("GROUP\x8c\x9f\x8d\xf5", QHostAddress(QStringLiteral("127.0.6.2")),
                               50319) > 0);
    QTRY_COMPARE(total(), 601);
    QCOMPARE(batches.mid(batches.size() - 2), (QList<int>{1, 0}));
}

// One host sends far beyond any copy's rate: what passes of it is its
// allowance (a burst of 4,000, then 500 a second), and another host's
// datagram, sent last, is handed over all the same.
void UdpPortTest::aFloodingHostCostsTheOthersNothing()
{
    UdpDatagramPort port(QHostAddress(QStringLiteral("127.0.6.5")), 50319);
    QCOMPARE(port.bind(), DatagramPort::BindResult::Bound);
    QHash<QString, int> from;
    connect(&port, &DatagramPort::arrived, this,
            [&from](const QByteArray &, const QString &source) { ++from[source]; });
    QUdpSocket flooder, other;
    QVERIFY(flooder.bind(QHostAddress(QStringLiteral("127.0.6.6")), 0));
    QVERIFY(other.bind(QHostAddress(QStringLiteral("127.0.6.7")), 0));
    for (int i = 0; i < 7000; ++i)
        QVERIFY(flooder.writeDatagram("GROUP\x8c\x9f\x8d\xf5",
                                      QHostAddress(QStringLiteral("127.0.6.5")), 50319) > 0);
    QVERIFY(other.writeDatagram("GROUP\x8c\x9f\x8d\xf5", QHostAddress(QStringLiteral("127.0.6.5")),
                                50319) > 0);
    QTRY_COMPARE(from.value(QStringLiteral("127.0.6.7")), 1);
    QVERIFY2(from.value(QStringLiteral("127.0.6.6")) >= 4000 &&
                 from.value(QStringLiteral("127.0.6.6")) < 5000,
             qPrintable(QString::number(from.value(QStringLiteral("127.0.6.6")))));
}

void UdpPortTest::everySizeArrivesWhole_data()
{
    QTest::addColumn<int>("size");
    QTest::addRow("empty") << 0;
    QTest::addRow("one byte") << 1;
    QTest::addRow("the largest a datagram holds") << 65507;
}

// Whatever a peer sends reaches the dispatcher byte for byte, the source
// with it: nothing cut, nothing of the datagram before it.
void UdpPortTest::everySizeArrivesWhole()
{
    QFETCH(int, size);
    UdpDatagramPort port(QHostAddress(QStringLiteral("127.0.6.8")), 50319);
    QCOMPARE(port.bind(), DatagramPort::BindResult::Bound);
    QList<QPair<QByteArray, QString>> got;
    connect(&port, &DatagramPort::arrived, this, [&got](const QByteArray &b, const QString &from) {
        got.append({b, from});
    });
    QUdpSocket peer;
    QVERIFY(peer.bind(QHostAddress(QStringLiteral("127.0.6.9")), 0));
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    QVERIFY(peer.writeDatagram(QByteArray(70, 'x'), QHostAddress(QStringLiteral("127.0.6.8")),
                               50319) == 70);
    QCOMPARE(peer.writeDatagram(bytes, QHostAddress(QStringLiteral("127.0.6.8")), 50319),
             qint64(size));
    QTRY_COMPARE(got.size(), 2);
    QCOMPARE(got[0].first, QByteArray(70, 'x'));
    QCOMPARE(got[1].first.size(), size);
    QVERIFY(got[1].first == bytes);
    QCOMPARE(got[1].second, QStringLiteral("127.0.6.9"));
}

QTEST_MAIN(UdpPortTest)
#include "udpport_test.moc"
