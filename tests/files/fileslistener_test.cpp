// The file channel's listener against hostile clients on loopback: each is
// closed, and the listener goes on taking the next.
#include "fileslistener.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

const QHostAddress Here(u"127.0.7.1"_s);
constexpr quint16 Port = 50319;

std::unique_ptr<QTcpSocket> client(const QString &from)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(from), 0);
    socket->connectToHost(Here, Port);
    return socket;
}

QByteArray hello()
{
    return filesframe::write(filesframe::Hello{QString::fromLatin1(filesframe::Version)});
}

} // namespace

class FilesListenerTest : public QObject
{
    Q_OBJECT
private slots:
    void hostileClientsAreClosed_data();
    void hostileClientsAreClosed();
    void connectionsAreBounded();
};

void FilesListenerTest::hostileClientsAreClosed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("greeted"); // the hello went through first
    QTest::newRow("garbage") << "GET / HTTP/1.1\r\nHost: x\r\n\r\n"_ba << false;
    QTest::newRow("a frame that claims 4 GB") << "\xff\xff\xff\xff\x04"_ba << false;
    QTest::newRow("another version")
        << filesframe::write(filesframe::Hello{u"PORTANA-FILES/9"_s}) << false;
    QTest::newRow("no hello first")
        << filesframe::write(filesframe::Get{QByteArray(16, 't'), 0, 0}) << false;
    QTest::newRow("silence") << QByteArray() << false;
    QTest::newRow("a hello cut short") << hello().left(7) << false;
    QTest::newRow("a frame cut short after the hello")
        << hello() + filesframe::write(filesframe::Cancel{QByteArray(16, 't')}).left(9) << true;
    QTest::newRow("a broken frame after the hello") << hello() + "\x00\x00\x00\x01\x63"_ba << true;
}

// Closed within the frame's deadline, whatever it sent; only a hello of
// this version is told on.
void FilesListenerTest::hostileClientsAreClosed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, greeted);
    FilesListener listener(Here, Port, {2, 4, 300, 60000});
    QVERIFY(listener.listen());
    QSignalSpy connected(&listener, &FilesListener::connected);
    auto hostile = client(u"127.0.7.2"_s);
    QVERIFY(hostile->waitForConnected(2000));
    hostile->write(bytes);
    QTRY_COMPARE(hostile->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(connected.size(), greeted ? 1 : 0);
    QTRY_COMPARE(listener.connections(), 0);
    // The next client is heard, from the same host.
    auto good = client(u"127.0.7.2"_s);
    QVERIFY(good->waitForConnected(2000));
    good->write(hello());
    QTRY_COMPARE(connected.size(), greeted ? 2 : 1);
    QCOMPARE(good->state(), QAbstractSocket::ConnectedState);
}

// A host that opens many connections gets its few; the others are closed
// at once and cost the other hosts nothing.
void FilesListenerTest::connectionsAreBounded()
{
    FilesListener listener(Here, Port, {2, 4, 5000, 60000});
    QVERIFY(listener.listen());
    QSignalSpy connected(&listener, &FilesListener::connected);
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < 500; ++i) {
        crowd.push_back(client(u"127.0.7.3"_s));
        crowd.back()->write(hello());
    }
    const auto open = [&crowd] {
        return std::count_if(crowd.begin(), crowd.end(), [](const auto &s) {
            return s->state() != QAbstractSocket::UnconnectedState;
        });
    };
    QTRY_COMPARE(open(), 2);
    QTRY_COMPARE(connected.size(), 2);
    // Others have room, up to the limit of all.
    std::vector<std::unique_ptr<QTcpSocket>> others;
    for (const QString &from : {u"127.0.7.4"_s, u"127.0.7.5"_s, u"127.0.7.6"_s}) {
        others.push_back(client(from));
        others.back()->write(hello());
    }
    QTRY_COMPARE(others[2]->state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(connected.size(), 4);
    QCOMPARE(others[0]->state(), QAbstractSocket::ConnectedState);
    // One goes: its place is free again.
    crowd.clear();
    QTRY_COMPARE(listener.connections(), 2);
    auto late = client(u"127.0.7.6"_s);
    late->write(hello());
    QTRY_COMPARE(connected.size(), 5);
}

QTEST_GUILESS_MAIN(FilesListenerTest)
#include "fileslistener_test.moc"
