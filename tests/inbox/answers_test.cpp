// The receiver's answers as the sender sees them on the wire, over the
// inbox alone: no window, no program.
#include "answersender.h"
#include "arrivals.h"
#include "awaynote.h"
#include "composer.h"
#include "cp932.h"
#include "dispatcher.h"
#include "fakes.h"
#include "historymodel.h"
#include "inbox.h"
#include "localuser.h"
#include "optsettings.h"
#include "passwordgate.h"
#include "receiver.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wiring.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class AnswersTest : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
};

void AnswersTest::answers_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("sent"); // after the acknowledgements
    QTest::addColumn<bool>("bodyOpen");
    QTest::addColumn<QStringList>("outcomes"); // of the steps that return one
    const QString name = QStringLiteral("hanako") + QString(14, u' ');
    QTest::addRow("hold tells of the hold")
        << QStringLiteral("hold") << QStringList{QStringLiteral("保留         ") + name} << false
        << QStringList();
    QTest::addRow("閉じる tells of the discard")
        << QStringLiteral("close")
        << QStringList{QStringLiteral("破棄         ") + name + QStringLiteral("4       ")} << false
        << QStringList();
    QTest::addRow("an arrival closes the body being read")
        << QStringLiteral("open arrive")
        << QStringList{QStringLiteral("Open確認     ") + name + QStringLiteral("4       ")} << false
        << QStringList{QStringLiteral("opened")};
    QTest::addRow("the body stays open while nothing arrives")
        << QStringLiteral("open")
        << QStringList{QStringLiteral("Open確認     ") + name + QStringLiteral("4       ")} << true
        << QStringList{QStringLiteral("opened")};
    // What could not be done is returned, for the window to say.
    QTest::addRow("opened while the network refuses: the sender is not told")
        << QStringLiteral("refuse open") << QStringList() << true
        << QStringList{QStringLiteral("untold")};
    QTest::addRow("an empty reply is refused") << QStringLiteral("reply") << QStringList() << false
                                               << QStringList{QStringLiteral("empty")};
    // A reply that did not leave keeps its entry, and leaves no row.
    QTest::addRow("a reply too long for a datagram")
        << QStringLiteral("replyLong") << QStringList() << false
        << QStringList{QStringLiteral("too long, 1 waiting, 1 rows")};
    QTest::addRow("a reply the network refuses")
        << QStringLiteral("refuse replyShort") << QStringList() << false
        << QStringList{QStringLiteral("not sent, 1 waiting, 1 rows")};
    QTest::addRow("a reply that leaves ends its entry")
        << QStringLiteral("replyShort")
        << QStringList{QStringLiteral("hanako") + QString(14, u' ') +
                       QStringLiteral("10:15:002       了解")}
        << false << QStringList{QStringLiteral("done, 0 waiting, 2 rows")};
}

void AnswersTest::answers()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, sent);
    QFETCH(bool, bodyOpen);
    QFETCH(QStringList, outcomes);
    RecordingPort port;
    ScriptedDialogs dialogs;
    FakeClock clock;
    OptSettings settings;
    settings.setOptName(QStringLiteral("hanako"));
    LocalUser user(QByteArray("taro"), QStringLiteral("198.18.0.10"), settings);
    HistoryModel history(clock, [&user] { return user.shortName(); });
    UserListModel users;
    AwayNote note;
    Transport transport(port);
    Dispatcher dispatcher(port, transport, settings, user, users, note, clock);
    wiring::portToDispatcher(port, dispatcher);
    Composer composer(transport, user, users, history, clock);
    AnswerSender sender(transport, composer, user);
    PasswordGate gate(settings);
    Inbox inbox;
    Receiver receiver(inbox, sender, history, gate);
    wiring::inboxToReceiver(inbox, receiver);
    Arrivals arrivals(inbox, history);
    wiring::dispatcherToArrivals(dispatcher, arrivals);
    const auto arrive = [&port] {
        port.feed(cp932::encode(QStringLiteral("Ichi") + QString(16, u' ') +
                                QStringLiteral("12:34:564       本文")),
                  QStringLiteral("198.18.0.7"));
    };
    arrive();
    inbox.showFirst();
    QStringList got;
    for (const QString &step : steps.split(u' ')) {
        if (step == u"hold")
            receiver.hold();
        else if (step == u"close")
            receiver.discard();
        else if (step == u"open")
            got << (receiver.open() == Receiver::Opening::Opened ? u"opened"_s : u"untold"_s);
        else if (step == u"reply")
            got << (receiver.reply(QString()) == Receiver::Replied::Empty ? u"empty"_s : u"sent"_s);
        else if (step == u"replyLong" || step == u"replyShort") {
            const auto r = receiver.reply(step == u"replyLong" ? QString(32800, u'長') : u"了解"_s);
            const QString what = r == Receiver::Replied::TooLong   ? u"too long"_s
                                 : r == Receiver::Replied::NotSent ? u"not sent"_s
                                 : r == Receiver::Replied::Done    ? u"done"_s
                                                                   : u"other"_s;
            got << what + u", %1 waiting, %2 rows"_s.arg(inbox.recvCount()).arg(history.rowCount());
        } else if (step == u"refuse")
            port.refuse = true;
        else if (step == u"arrive")
            arrive();
    }
    QCOMPARE(got, outcomes);
    QStringList answers;
    for (const auto &[to, bytes] : port.sent)
        if (!bytes.startsWith(cp932::encode(u"送信")))
            answers << cp932::decode(bytes);
    QCOMPARE(answers, sent);
    QCOMPARE(inbox.bodyVisible(), bodyOpen);
}

QTEST_GUILESS_MAIN(AnswersTest)
#include "answers_test.moc"
