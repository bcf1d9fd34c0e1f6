// The user list as the send window shows it, fed by search replies.
#include "netinterfaces.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

namespace {

QString replyText(const QString &loginField, const QString &displayName, bool note = false)
{
    return wire::searchReply(loginField, QStringLiteral("198.18.0.99"), QString(), displayName,
                             note);
}

wire::SearchReply parsed(const QString &datagram)
{
    return std::get<wire::SearchReply>(wire::read(datagram));
}

wire::SearchReply reply(const QString &loginField, const QString &displayName, bool note = false)
{
    return parsed(replyText(loginField, displayName, note));
}

QString nulFilled(const QString &login)
{
    return login + QString(20 - login.size(), QChar(0));
}

QStringList row(const UserListModel &m, int r)
{
    QStringList out;
    for (int c = 0; c < UserListModel::ColumnCount; ++c)
        out << m.index(r, c).data().toString();
    return out;
}

QStringList column(const UserListModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.index(r, c).data().toString();
    return out;
}

} // namespace

class UserListTest : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void onePerAddress();
    void sorting();
    void selectionSurvivesSearch();
    void searchGoesThroughEveryNetwork();
};

void UserListTest::rows_data()
{
    QTest::addColumn<QString>("datagram");
    QTest::addColumn<QStringList>("cells");
    const QString src = QStringLiteral("198.18.0.5");
    QTest::addRow("display name and login name")
        << replyText(nulFilled(QStringLiteral("hanako")), QStringLiteral("山田 花子"), true)
        << QStringList{QStringLiteral("山田 花子"), QStringLiteral("○"), src,
                       QStringLiteral("hanako")};
    QTest::addRow("no display name: the login name twice")
        << replyText(nulFilled(QStringLiteral("taro")), QString())
        << QStringList{QStringLiteral("taro"), QStringLiteral("－"), src, QStringLiteral("taro")};
    QTest::addRow("display name of 12 shown whole")
        << replyText(nulFilled(QStringLiteral("x")), QStringLiteral("ABCDEFGHIJKL"))
        << QStringList{QStringLiteral("ABCDEFGHIJKL"), QStringLiteral("－"), src,
                       QStringLiteral("x")};
    QTest::addRow("longer display name cut to 12")
        << replyText(nulFilled(QStringLiteral("x")), QStringLiteral("ABCDEFGHIJKLMNOPQRST"))
        << QStringList{QStringLiteral("ABCDEFGHIJKL"), QStringLiteral("－"), src,
                       QStringLiteral("x")};
    QTest::addRow("long login without NUL cut to 12")
        << replyText(QStringLiteral("abcdefghijklmnopqrs") + QChar(0), QString())
        << QStringList{QStringLiteral("abcdefghijkl"), QStringLiteral("－"), src,
                       QStringLiteral("abcdefghijkl")};
    QTest::addRow("login field all NUL (a name that did not fit)")
        << replyText(QString(20, QChar(0)), QString())
        << QStringList{QString(), QStringLiteral("－"), src, QString()};
    QTest::addRow("trailing spaces of the display name dropped")
        << replyText(nulFilled(QStringLiteral("y")), QStringLiteral("鈴木  "))
        << QStringList{QStringLiteral("鈴木"), QStringLiteral("－"), src, QStringLiteral("y")};
    QTest::addRow("reply cut short")
        << QStringLiteral("GROUP  検索結果tar")
        << QStringList{QStringLiteral("tar"), QString(), src, QStringLiteral("tar")};
    QTest::addRow("markup stays text")
        << replyText(nulFilled(QStringLiteral("<i>")), QStringLiteral("<b>x</b>"))
        << QStringList{QStringLiteral("<b>x</b>"), QStringLiteral("－"), src,
                       QStringLiteral("<i>")};
}

void UserListTest::rows()
{
    QFETCH(QString, datagram);
    QFETCH(QStringList, cells);
    UserListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy count(&m, &UserListModel::countChanged);
    QVERIFY(m.addReplier(parsed(datagram), QStringLiteral("198.18.0.5")));
    QCOMPARE(row(m, 0), cells);
    QCOMPARE(count.size(), 1);
    QCOMPARE(count[0][0].toString(), QStringLiteral("ﾕｰｻﾞｰ数 : 1"));
}

void UserListTest::onePerAddress()
{
    UserListModel m;
    QVERIFY(m.addReplier(reply(nulFilled(QStringLiteral("a")), QString()),
                         QStringLiteral("198.18.0.5")));
    QVERIFY(m.addReplier(reply(nulFilled(QStringLiteral("c")), QString()),
                         QStringLiteral("198.18.0.6")));
    // The first copy again through a second network: the same reply from
    // another address is the same copy.
    QVERIFY(!m.addReplier(reply(nulFilled(QStringLiteral("a")), QString()),
                          QStringLiteral("198.18.1.5")));
    QCOMPARE(m.countText(), QStringLiteral("ﾕｰｻﾞｰ数 : 2"));
    // The same copy answering again (broadcast and manual address, or a
    // later search) keeps its one row, with what it says now; sorted by
    // name, the row moves to its new place.
    m.sortByColumn(UserListModel::NameCol);
    QVERIFY(m.addReplier(reply(nulFilled(QStringLiteral("b")), QStringLiteral("d"), true),
                         QStringLiteral("198.18.0.5")));
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(row(m, 1), (QStringList{QStringLiteral("d"), QStringLiteral("○"),
                                     QStringLiteral("198.18.0.5"), QStringLiteral("b")}));
    QCOMPARE(m.countText(), QStringLiteral("ﾕｰｻﾞｰ数 : 2"));
    // A flood of replies from ever new addresses fills the list only so far.
    for (int i = 0; i < 4200; ++i)
        m.addReplier(reply(nulFilled(QStringLiteral("f%1").arg(i)), QString()),
                     QStringLiteral("198.19.%1.%2").arg(i / 250).arg(i % 250));
    QCOMPARE(m.rowCount(), 4096);
}

void UserListTest::sorting()
{
    UserListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const auto add = [&m](const char *name, const char *address) {
        m.addReplier(reply(nulFilled(QLatin1String(name)), QString()), QLatin1String(address));
    };
    add("carol", "198.18.0.3");
    add("alice", "198.18.0.12");
    add("bob", "198.18.0.2");
    // Arrival order until a header is clicked.
    QCOMPARE(column(m, 0), (QStringList{QStringLiteral("carol"), QStringLiteral("alice"),
                                        QStringLiteral("bob")}));
    // The chosen peer keeps its highlight when its row moves.
    QItemSelectionModel chosen(&m);
    chosen.select(m.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m.sortByColumn(UserListModel::AddressCol);
    QCOMPARE(chosen.selectedRows().size(), 1);
    QCOMPARE(chosen.selectedRows().at(0).siblingAtColumn(0).data().toString(),
             QStringLiteral("carol"));
    const QStringList byAddress{QStringLiteral("198.18.0.12"), QStringLiteral("198.18.0.2"),
                                QStringLiteral("198.18.0.3")};
    QCOMPARE(column(m, 2), byAddress);
    m.sortByColumn(UserListModel::AddressCol); // a second click sorts ascending again
    QCOMPARE(column(m, 2), byAddress);
    // Rows that come later take their place, also after a new search.
    add("dave", "198.18.0.25");
    QCOMPARE(column(m, 2).at(2), QStringLiteral("198.18.0.25"));
    m.clear();
    add("zed", "198.18.0.9");
    add("amy", "198.18.0.8");
    QCOMPARE(column(m, 2),
             (QStringList{QStringLiteral("198.18.0.8"), QStringLiteral("198.18.0.9")}));
    m.sortByColumn(UserListModel::NameCol);
    QCOMPARE(column(m, 0), (QStringList{QStringLiteral("amy"), QStringLiteral("zed")}));
}

void UserListTest::selectionSurvivesSearch()
{
    UserListModel m;
    m.addReplier(reply(nulFilled(QStringLiteral("a")), QString()), QStringLiteral("198.18.0.5"));
    m.select(0);
    QCOMPARE(m.selectedPeerAddress(), QStringLiteral("198.18.0.5"));
    m.clear();
    QCOMPARE(m.selectedPeerAddress(), QStringLiteral("198.18.0.5"));
    m.select(3); // no such row
    QCOMPARE(m.selectedPeerAddress(), QStringLiteral("198.18.0.5"));
}

void UserListTest::searchGoesThroughEveryNetwork()
{
    const auto card = [](bool up, bool loopback, bool broadcast, QStringList addresses) {
        return NetInterface{up, loopback, broadcast, std::move(addresses), {}};
    };
    const std::vector<NetInterface> cards{
        card(true, false, true, {QStringLiteral("198.18.0.255")}),
        card(true, true, false, {QStringLiteral("127.255.255.255")}), // loopback
        card(false, false, true, {QStringLiteral("198.18.7.255")}),   // down
        card(true, false, false, {QStringLiteral("198.18.8.255")}),   // point to point
        card(true, false, true, {QStringLiteral("198.18.1.255"), QStringLiteral("198.18.0.255")}),
    };
    QCOMPARE(searchAddresses(QStringLiteral("255.255.255.255"), cards),
             (QStringList{QStringLiteral("255.255.255.255"), QStringLiteral("198.18.0.255"),
                          QStringLiteral("198.18.1.255")}));
}

QTEST_GUILESS_MAIN(UserListTest)
#include "userlist_test.moc"
