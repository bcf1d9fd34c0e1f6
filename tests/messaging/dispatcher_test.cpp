// What the dispatcher answers on the wire and what it reports, datagram by datagram.
#include "awaynote.h"
#include "cp932.h"
#include "dispatcher.h"
#include "fakes.h"
#include "localuser.h"
#include "optsettings.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wire.h"
#include "wiring.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString Peer = QStringLiteral("198.18.0.20");
QByteArray enc(const QString &s)
{
    return cp932::encode(s);
}
} // namespace

class DispatcherTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void answersSearchRequest();
    void answersAwayNoteRequest();
    void acknowledgesMessage();
    void acknowledgementsLeaveAfterTheirBatchIsKept();
    void partnerFilter_data();
    void partnerFilter();
    void floodingHostIsRefused();
    void noteRequestsCountAgainstTheSameAllowance();
    void awayNoteReplyFillsMessageBox();
    void searchReplyListsPeerOnce();
    void malformedIsAMessage();

private:
    OptSettings m_settings;
    RecordingPort *m_port = nullptr;
    LocalUser *m_user = nullptr;
    UserListModel *m_users = nullptr;
    AwayNote *m_note = nullptr;
    Transport *m_transport = nullptr;
    Dispatcher *m_dispatcher = nullptr;
    FakeClock m_clock;
};

void DispatcherTest::init()
{
    m_settings = OptSettings{};
    m_port = new RecordingPort;
    m_user = new LocalUser(QByteArray("taro") + QByteArray(16, '\0'), QStringLiteral("198.18.0.10"),
                           m_settings);
    m_users = new UserListModel;
    m_note = new AwayNote;
    m_transport = new Transport(*m_port);
    m_dispatcher =
        new Dispatcher(*m_port, *m_transport, m_settings, *m_user, *m_users, *m_note, m_clock);
    wiring::portToDispatcher(*m_port, *m_dispatcher);
}

void DispatcherTest::cleanup()
{
    delete m_dispatcher;
    delete m_transport;
    delete m_note;
    delete m_users;
    delete m_user;
    delete m_port;
}

void DispatcherTest::answersSearchRequest()
{
    m_port->feed(enc(wire::searchRequest()), Peer);
    QCOMPARE(m_port->sent.size(), 1);
    QCOMPARE(m_port->sent[0].first, Peer);
    QCOMPARE(m_port->sent[0].second, QByteArray::fromHex("47524f555020208c9f8df58c8b89ca") +
                                         "taro" + QByteArray(16, '\0') + "198.18.0.10         " +
                                         QByteArray(20, ' ') + QByteArray(20, ' ') +
                                         QByteArray::fromHex("817c"));

    // With a display name, a chosen peer and a note on offer.
    m_settings.setOptName(QStringLiteral("山田 花子"));
    m_users->setSelectedPeerAddress(QStringLiteral("198.18.0.30"));
    m_note->leave(QStringLiteral("外出中"));
    m_port->feed(enc(wire::searchRequest()), Peer);
    const QString reply = cp932::decode(m_port->sent[1].second);
    QCOMPARE(reply.size(), 92);
    QCOMPARE(reply.mid(51, 20), QStringLiteral("198.18.0.30") + sp(9));
    QCOMPARE(reply.mid(71, 20), QStringLiteral("山田 花子") + sp(15));
    QCOMPARE(reply.right(1), QStringLiteral("○"));
}

void DispatcherTest::answersAwayNoteRequest()
{
    m_port->feed(enc(wire::letterRequest()), Peer);
    QCOMPARE(m_port->sent.size(), 1);
    QCOMPARE(m_port->sent[0].second,
             QByteArray::fromHex("4c455454455220927582ab8ee88e86") + QByteArray(20, ' '));
    m_note->leave(QStringLiteral("15時に戻ります\r\n～山田"));
    m_port->feed(enc(wire::letterRequest()), Peer);
    QCOMPARE(cp932::decode(m_port->sent[1].second), QStringLiteral("LETTER 置き手紙") + sp(20) +
                                                        QStringLiteral("15時に戻ります\r\n～山田"));
}

void DispatcherTest::acknowledgesMessage()
{
    m_settings.setOptName(QStringLiteral("Taro Yamada"));
    QSignalSpy arrived(m_dispatcher, &Dispatcher::messageArrived);
    const QString datagram = wire::message(QStringLiteral("鈴木 "), QStringLiteral("10:00:00"),
                                           wire::refField(4), QStringLiteral("一行目\r\n二行目"));
    m_port->feed(enc(datagram), Peer);
    QCOMPARE(arrived.size(), 1);
    const auto message = arrived[0][0].value<wire::Message>();
    QCOMPARE(message.text, QStringLiteral("一行目\r\n二行目"));
    QCOMPARE(message.refField, QStringLiteral("4       "));
    QCOMPARE(arrived[0][1].toString(), Peer);
    // The acknowledgement carries the whole send name, not cut at its space.
    QCOMPARE(m_port->sent.size(), 1);
    QCOMPARE(m_port->sent[0].first, Peer);
    QCOMPARE(m_port->sent[0].second,
             QByteArray::fromHex("9197904d202020202020202020") + "Taro Yamada         ");
}

void DispatcherTest::acknowledgementsLeaveAfterTheirBatchIsKept()
{
    bool keeps = true;
    delete m_dispatcher;
    m_dispatcher = new Dispatcher(*m_port, *m_transport, m_settings, *m_user, *m_users, *m_note,
                                  m_clock, {[] {}, [&keeps] { return keeps; }, {}});
    wiring::portToDispatcher(*m_port, *m_dispatcher);
    const QByteArray message = enc(wire::message(QStringLiteral("x "), QStringLiteral("10:00:00"),
                                                 wire::refField(1), QStringLiteral("hi")));
    const QByteArray ack =
        QByteArray::fromHex("9197904d202020202020202020") + "taro" + QByteArray(16, ' ');
    const QByteArray refused = QByteArray::fromHex("4f544845529197904d");
    const QString other = QStringLiteral("198.18.0.21");
    for (const bool kept : {true, false}) {
        keeps = kept;
        m_port->sent.clear();
        emit m_port->arrived(message, Peer);
        emit m_port->arrived(message, other);
        QVERIFY(m_port->sent.isEmpty()); // nothing is acknowledged before it is kept
        emit m_port->drained();
        const QByteArray answer = kept ? ack : refused;
        QCOMPARE(m_port->sent,
                 (QList<QPair<QString, QByteArray>>{{Peer, answer}, {other, answer}}));
    }
}

void DispatcherTest::partnerFilter_data()
{
    QTest::addColumn<int>("otherReject");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("refused");
    QTest::addRow("filter off") << 0 << QString() << false;
    QTest::addRow("filter on, from the partner") << 1 << Peer << false;
    QTest::addRow("filter on, from someone else") << 1 << QStringLiteral("198.18.0.99") << true;
    QTest::addRow("filter on, nobody chosen") << 1 << QString() << true;
}

void DispatcherTest::partnerFilter()
{
    QFETCH(int, otherReject);
    QFETCH(QString, selected);
    QFETCH(bool, refused);
    m_settings.otherReject = otherReject;
    m_users->setSelectedPeerAddress(selected);
    QSignalSpy arrived(m_dispatcher, &Dispatcher::messageArrived);
    m_port->feed(enc(wire::message(QStringLiteral("x "), QStringLiteral("10:00:00"),
                                   wire::refField(1), QStringLiteral("hi"))),
                 Peer);
    // Exactly one datagram back: the refusal or the acknowledgement.
    QCOMPARE(m_port->sent.size(), 1);
    QCOMPARE(m_port->sent[0].first, Peer);
    if (refused) {
        QCOMPARE(m_port->sent[0].second, QByteArray::fromHex("4f544845529197904d"));
        QCOMPARE(arrived.size(), 0);
    } else {
        QVERIFY(m_port->sent[0].second.startsWith(QByteArray::fromHex("9197904d2020")));
        QCOMPARE(arrived.size(), 1);
    }
}

void DispatcherTest::floodingHostIsRefused()
{
    const QByteArray message = enc(wire::message(QStringLiteral("x "), QStringLiteral("10:00:00"),
                                                 wire::refField(1), QStringLiteral("hi")));
    const QString other = QStringLiteral("127.0.9.8");
    for (int i = 0; i < 22; ++i)
        m_port->feed(message, Peer);
    m_port->feed(message, other); // another host meanwhile
    m_clock.elapsed += 200;       // one more message's worth for the flooding host
    m_port->feed(message, Peer);
    m_port->feed(message, Peer);
    QStringList answers;
    for (const auto &[to, bytes] : m_port->sent)
        answers << to + (bytes == QByteArray::fromHex("4f544845529197904d") ? u" refused"_s
                                                                            : u" kept"_s);
    const QStringList expected = QStringList(20, Peer + u" kept"_s)
                                 << Peer + u" refused"_s << Peer + u" refused"_s
                                 << other + u" kept"_s << Peer + u" kept"_s << Peer + u" refused"_s;
    QCOMPARE(answers, expected);
}

// An 11-byte request buys an answer of up to 64 KB, towards any address:
// one host gets as many answers as it could send messages; the state's
// marks stop growing.
void DispatcherTest::noteRequestsCountAgainstTheSameAllowance()
{
    m_note->leave(QString(30000, u'長'));
    const QByteArray message = enc(wire::message(QStringLiteral("x "), QStringLiteral("10:00:00"),
                                                 wire::refField(1), QStringLiteral("hi")));
    for (int i = 0; i < 15; ++i)
        m_port->feed(message, Peer);
    for (int i = 0; i < 10; ++i)
        m_port->feed(enc(wire::letterRequest()), Peer);
    m_port->feed(enc(wire::letterRequest()), QStringLiteral("127.0.9.8")); // someone else asks
    m_clock.elapsed += 1000; // a second later: five more
    for (int i = 0; i < 10; ++i)
        m_port->feed(enc(wire::letterRequest()), Peer);
    QStringList answers;
    for (const auto &[to, bytes] : m_port->sent)
        answers << to + u' ' + cp932::decode(bytes).left(6);
    const QStringList expected = QStringList(15, Peer + u" 送信    "_s)
                                 << QStringList(5, Peer + u" LETTER"_s) << u"127.0.9.8 LETTER"_s
                                 << QStringList(5, Peer + u" LETTER"_s);
    QCOMPARE(answers, expected);

    for (int i = 0; i < 150; ++i)
        m_note->answered(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    QVERIFY2(m_note->state().endsWith(u" / 09:00:00"_s + QString(99, u'>')),
             qPrintable(m_note->state()));
}

void DispatcherTest::awayNoteReplyFillsMessageBox()
{
    QSignalSpy notes(m_dispatcher, &Dispatcher::awayNoteReceived);
    m_port->feed(enc(wire::letterReply(QStringLiteral("<b>x</b>"), QStringLiteral("不在です"))),
                 Peer);
    QCOMPARE(notes.size(), 1);
    QCOMPARE(notes[0][0].toString(), QStringLiteral("不在です"));
    m_port->feed(enc(QStringLiteral("LETTER 置き手紙")), Peer); // cut short: empty note
    QCOMPARE(notes[1][0].toString(), QString());
}

void DispatcherTest::searchReplyListsPeerOnce()
{
    const QByteArray reply =
        enc(wire::searchReply(QStringLiteral("hanako") + QString(14, QChar(0)),
                              QStringLiteral("198.18.0.20"), QString(), sp(20), false));
    m_port->feed(reply, Peer);
    m_port->feed(reply, Peer);
    QCOMPARE(m_users->rowCount(), 1);
    QCOMPARE(m_users->index(0, 0).data().toString(), QStringLiteral("hanako"));
    QVERIFY(m_port->sent.isEmpty());
}

void DispatcherTest::malformedIsAMessage()
{
    QSignalSpy arrived(m_dispatcher, &Dispatcher::messageArrived);
    QSignalSpy failed(m_dispatcher, &Dispatcher::datagramFailed);
    m_port->feed(QByteArray("\xff\xfe garbage", 10), Peer);
    m_port->feed(QByteArray(), Peer);
    QCOMPARE(arrived.size(), 2);
    QCOMPARE(arrived[0][0].value<wire::Message>().name.field,
             QStringLiteral("\uF8F3\uF8F2 garbage")); // as Windows reads them
    QCOMPARE(m_port->sent.size(), 2);
    QCOMPARE(failed.size(), 0);
}

QTEST_GUILESS_MAIN(DispatcherTest)
#include "dispatcher_test.moc"
