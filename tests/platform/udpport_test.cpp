// The datagram port on real sockets over loopback.
#include "udpdatagramport.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

class UdpPortTest : public QObject
{
    Q_OBJECT
private slots:
    void aBatchEndsAfter256Datagrams();
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
        QVERIFY(peer.writeDatagram("GROUP\x8c\x9f\x8d\xf5", QHostAddress(QStringLiteral("127.0.6.2")),
                                   50319) > 0);
    QTRY_COMPARE(batches.size(), 4);
    QCOMPARE(batches, (QList<int>{256, 256, 88, 0}));
    // And the port goes on listening.
    QVERIFY(peer.writeDatagram("GROUP\x8c\x9f\x8d\xf5", QHostAddress(QStringLiteral("127.0.6.2")),
                               50319) > 0);
    QTRY_COMPARE(batches, (QList<int>{256, 256, 88, 1, 0}));
}

QTEST_MAIN(UdpPortTest)
#include "udpport_test.moc"
