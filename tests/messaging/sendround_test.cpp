// One message to several peers: the datagrams each peer receives, the
// history rows they leave, and how each answer shows in the round's list.
#include "awaynote.h"
#include "cp932.h"
#include "dispatcher.h"
#include "fakes.h"
#include "historymodel.h"
#include "localuser.h"
#include "optsettings.h"
#include "resultpresenter.h"
#include "sendround.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wiring.h"

#include <QSignalSpy>
#include <QTest>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QString peer(int i)
{
    return QStringLiteral("198.18.%1.%2").arg(1 + i / 250).arg(1 + i % 250);
}

QByteArray enc(const QString &s)
{
    return cp932::encode(s);
}

// An answer as a peer's copy sends it; row -1: the kind names no row.
struct Answer
{
    int from;
    const char *kind; // "ack", "reject", "open", "hold", "discard"
    int row = -1;
};

QByteArray answerBytes(const Answer &a)
{
    const QString name = QStringLiteral("相手%1").arg(a.from).leftJustified(20);
    const QString row = a.row < 0 ? QString() : QString::number(a.row).leftJustified(8);
    const QString kind = QLatin1String(a.kind);
    if (kind == u"ack")
        return enc(QStringLiteral("送信         ") + name);
    if (kind == u"reject")
        return enc(QStringLiteral("OTHER送信"));
    if (kind == u"open")
        return enc(QStringLiteral("Open確認     ") + name + row);
    if (kind == u"hold")
        return enc(QStringLiteral("保留         ") + name);
    return enc(QStringLiteral("破棄         ") + name + row);
}

std::vector<SendRound::Recipient> recipients(int count)
{
    std::vector<SendRound::Recipient> to;
    for (int i = 0; i < count; ++i)
        to.push_back({QStringLiteral("名前%1").arg(i), peer(i)});
    return to;
}

// A round and what it sends through and writes to.
struct Rig
{
    FakeClock clock;
    RecordingPort port;
    Transport transport{port};
    HistoryModel history{clock, [] { return QStringLiteral("太郎 "); }};
    SendRound round{transport, history, clock};
};

} // namespace

class SendRoundTest : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void refusedBySystemIsNotRecorded();
};

void SendRoundTest::answers_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<Answer>>("script");
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("singleResults");    // answers shown in their own window
    QTest::addColumn<QList<int>>("completed"); // history rows an answer completed

    QTest::newRow("one, acknowledged, then opened")
        << 1 << QList<Answer>{{0, "ack"}, {0, "open", 1}} << QStringList{u"確認済 10:20:30"_s}
        << u"確認済 1"_s << 0 << QList<int>{1};
    QTest::newRow("three: out of order, twice, never")
        << 3 << QList<Answer>{{1, "open", 2}, {1, "ack"},  {0, "ack"},
                              {0, "ack"},     {0, "hold"}, {0, "open", 1}}
        << QStringList{u"確認済 10:20:30"_s, u"確認済 10:20:30"_s, u"応答なし"_s}
        << u"確認済 2、応答なし 1"_s << 0 << QList<int>{1, 2};
    QTest::newRow("three: refused, held, discarded")
        << 3 << QList<Answer>{{0, "reject"}, {1, "ack"}, {1, "hold"}, {2, "discard", 3}}
        << QStringList{u"拒否"_s, u"保留"_s, u"未確認で閉じた"_s}
        << u"拒否 1、保留 1、未確認で閉じた 1"_s << 0 << QList<int>{3};
    // An answer naming another's row, or from a host not in the round, is
    // shown on its own as before.
    QTest::newRow("three: answers not the round's")
        << 3 << QList<Answer>{{0, "ack"}, {0, "open", 2}, {7, "ack"}, {1, "ack"}, {2, "ack"}}
        << QStringList{u"送信済"_s, u"送信済"_s, u"送信済"_s} << u"送信済 3"_s << 2
        << QList<int>{2}; // the row is the number's, whoever names it
    QList<Answer> all;
    for (int i = 0; i < 200; ++i)
        all << Answer{i, i == 199 ? "reject" : "ack"};
    QTest::newRow("200, one refuses") << 200 << all << QStringList{u"送信済"_s, u"送信済"_s}
                                      << u"送信済 199、拒否 1"_s << 0 << QList<int>{};
}

void SendRoundTest::answers()
{
    QFETCH(int, count);
    QFETCH(QList<Answer>, script);
    QFETCH(QStringList, states);
    QFETCH(QString, summary);
    QFETCH(int, singleResults);
    QFETCH(QList<int>, completed);

    Rig rig;
    auto &[clock, port, transport, history, round] = rig;
    OptSettings settings;
    LocalUser user(QByteArray("taro") + QByteArray(16, '\0'), port.address, settings);
    UserListModel users;
    AwayNote note;
    Dispatcher dispatcher(port, transport, settings, user, users, note, clock);
    ResultPresenter results(settings, clock);
    wiring::portToDispatcher(port, dispatcher);
    wiring::answersToResults(dispatcher, history, {&round}, results);
    QSignalSpy single(&results, &ResultPresenter::resultShown);
    QSignalSpy troubled(&round, &SendRound::troubled);

    round.start(recipients(count), QStringLiteral("太郎 "), QStringLiteral("会議は\r\n15 時から"));
    // A burst, then 200 a second: a long list floods neither the switch
    // nor this copy's socket with answers.
    QCOMPARE(port.sent.size(), std::min(count, 20));
    while (port.sent.size() < count) {
        const qsizetype before = port.sent.size();
        clock.elapsed += 100;
        round.pump();
        QCOMPARE(port.sent.size(), std::min(qsizetype(count), before + 20));
    }
    // In the list's order, each with its own row as its reference.
    QCOMPARE(port.sent[0], qMakePair(u"198.18.1.1"_s, enc(u"太郎                  10:15:00"
                                                          "1       会議は\r\n15 時から"_s)));
    QCOMPARE(port.sent.last().first, peer(count - 1));
    QCOMPARE(cp932::decode(port.sent.last().second).mid(28, 8),
             QString::number(count).leftJustified(8));
    QCOMPARE(history.row(count).recipient, QStringLiteral("名前%1").arg(count - 1));
    clock.setTime(QStringLiteral("10:20:30"));
    for (const Answer &a : script)
        port.feed(answerBytes(a), peer(a.from));
    // Whoever has not acknowledged by now is waited for no longer.
    clock.elapsed += SendRound::AnswerWaitMsecs;
    round.expire();

    for (int i = 0; i < states.size(); ++i)
        QCOMPARE(round.index(i, SendRound::StateCol).data().toString(), states[i]);
    QCOMPARE(round.summary(), summary);
    QCOMPARE(single.size(), singleResults);
    QCOMPARE(troubled.isEmpty(), !summary.contains(u"拒否") && !summary.contains(u"応答なし"));
    QList<int> answeredRows;
    for (int r = 1; r <= count; ++r)
        if (!history.row(r).receiveTime.isEmpty())
            answeredRows << r;
    QCOMPARE(answeredRows, completed);

    // Sent again to those without an answer: the same datagram, the same row.
    const qsizetype before = port.sent.size();
    round.resend();
    QCOMPARE(port.sent.size() - before, qsizetype(summary.count(u"応答なし")));
    if (summary.contains(u"応答なし")) {
        QCOMPARE(port.sent.last().first, peer(2));
        QCOMPARE(port.sent.last().second, port.sent[2].second);
        QCOMPARE(round.index(2, SendRound::StateCol).data().toString(), QStringLiteral("送信中"));
        port.feed(answerBytes({2, "ack"}), peer(2));
        QCOMPARE(round.summary(), QStringLiteral("送信済 1、確認済 2"));
    }
    QCOMPARE(history.rowCount(), count);
}

void SendRoundTest::refusedBySystemIsNotRecorded()
{
    Rig rig;
    auto &[clock, port, transport, history, round] = rig;
    QSignalSpy troubled(&round, &SendRound::troubled);
    port.refuse = true;
    round.start(recipients(2), QStringLiteral("太郎 "), QStringLiteral("本文"));
    QCOMPARE(round.summary(), QStringLiteral("送信できません 2"));
    QCOMPARE(history.rowCount(), 0);
    QVERIFY(!troubled.isEmpty());

    // Sent again once the network takes it: now each has its row.
    port.refuse = false;
    round.resend();
    QCOMPARE(round.summary(), QStringLiteral("送信中 2"));
    QCOMPARE(history.rowCount(), 2);
    QCOMPARE(port.sent[1].second, enc(QStringLiteral("太郎                  10:15:00"
                                                     "2       本文")));
}

QTEST_GUILESS_MAIN(SendRoundTest)
#include "sendround_test.moc"
