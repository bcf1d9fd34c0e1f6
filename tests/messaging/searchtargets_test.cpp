// Where a search goes beyond the subnets: each line an administrator may
// write, and the pace at which a range is searched.
#include "fakes.h"
#include "searchpacer.h"
#include "searchtargets.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class SearchTargetsTest : public QObject
{
    Q_OBJECT
private slots:
    void eachLine_data();
    void eachLine();
    void rangeIsPaced();
};

void SearchTargetsTest::eachLine_data()
{
    QTest::addColumn<QString>("line");
    // first and last address searched and how many, or the name, or the refusal
    QTest::addColumn<QString>("searched");
    const QString junk = u"ｱﾄﾞﾚｽ、ﾎｽﾄ名、範囲のどれでもありません。"_s;
    const QString wide = u"範囲が広すぎます（4096 ｱﾄﾞﾚｽ、/20 まで）。"_s;
    QTest::addRow("host") << u" 198.18.1.7 "_s << u"198.18.1.7..198.18.1.7 (1)"_s;
    QTest::addRow("directed broadcast")
        << u"192.168.12.255"_s << u"192.168.12.255..192.168.12.255 (1)"_s;
    QTest::addRow("name") << u"pc-suzuki.office.example"_s << u"name pc-suzuki.office.example"_s;
    QTest::addRow("/24 from any of its addresses")
        << u"198.18.1.77/24"_s << u"198.18.1.1..198.18.1.254 (254)"_s;
    QTest::addRow("/20 at the limit") << u"10.20.16.0/20"_s << u"10.20.16.1..10.20.31.254 (4094)"_s;
    QTest::addRow("/32") << u"10.0.0.9/32"_s << u"10.0.0.9..10.0.0.9 (1)"_s;
    QTest::addRow("/19 over it") << u"10.20.0.0/19"_s << wide;
    QTest::addRow("/0") << u"0.0.0.0/0"_s << wide;
    QTest::addRow("octet over 255") << u"198.18.1.256"_s << junk;
    QTest::addRow("short address") << u"10.1"_s << junk;
    QTest::addRow("prefix over 32") << u"10.0.0.0/33"_s << junk;
    QTest::addRow("prefix not a number") << u"10.0.0.0/x"_s << junk;
    QTest::addRow("IPv6") << u"fe80::1"_s << junk;
    QTest::addRow("blank") << u"   "_s << junk;
    QTest::addRow("space in a name") << u"pc suzuki"_s << junk;
    QTest::addRow("Japanese name") << u"鈴木のPC"_s << junk;
}

void SearchTargetsTest::eachLine()
{
    QFETCH(QString, line);
    QFETCH(QString, searched);
    const auto parsed = searchtargets::parse(line);
    QString got;
    if (const auto *refusal = std::get_if<QString>(&parsed))
        got = *refusal;
    else if (const auto &t = std::get<searchtargets::Target>(parsed); !t.name.isEmpty())
        got = u"name "_s + t.name;
    else
        got = searchtargets::address(t, 0) + u".."_s + searchtargets::address(t, t.count - 1) +
              u" ("_s + QString::number(t.count) + u')';
    QCOMPARE(got, searched);
}

void SearchTargetsTest::rangeIsPaced()
{
    FakeClock clock;
    SearchPacer pacer(clock);
    pacer.add(std::get<searchtargets::Target>(searchtargets::parse(u"10.20.16.0/20"_s)));
    pacer.add(std::get<searchtargets::Target>(searchtargets::parse(u"198.18.9.9"_s)));
    QStringList sent;
    const auto send = [&sent](const searchtargets::Target &, const QString &a) { sent << a; };
    // A burst of 50 at once, then 2 a millisecond.
    QCOMPARE(pacer.pump(send), 1);
    QCOMPARE(sent.size(), 50);
    QCOMPARE(sent.first(), u"10.20.16.1"_s);
    clock.elapsed += 1;
    pacer.pump(send);
    QCOMPARE(sent.size(), 52);
    clock.elapsed += 1000; // a second at most 2,000, never more than the burst at once
    pacer.pump(send);
    QCOMPARE(sent.size(), 102);
    while (pacer.pump(send) >= 0)
        clock.elapsed += 1;
    QCOMPARE(sent.size(), 4095);
    QCOMPARE(sent[4093], u"10.20.31.254"_s);
    QCOMPARE(sent.last(), u"198.18.9.9"_s);
    QVERIFY(clock.elapsed >= (4095 - 102) / 2 - 1);
    QCOMPARE(pacer.pump(send), -1);
}

QTEST_MAIN(SearchTargetsTest)
#include "searchtargets_test.moc"
