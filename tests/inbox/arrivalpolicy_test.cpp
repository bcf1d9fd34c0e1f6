// How an arrival is told: by the tray, the window's picture, the button
// window, the send window's call for attention, the desktop and the bus.
#include "arrivalpolicy.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class ArrivalPolicyTest : public QObject
{
    Q_OBJECT
private slots:
    void told_data();
    void told();
};

void ArrivalPolicyTest::told_data()
{
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("shown");    // the received-message window is up
    QTest::addColumn<bool>("button");   // その他: the button window
    QTest::addColumn<bool>("withTray"); // その他: the desktop too
    QTest::addColumn<QStringList>("told");

    const QString tray = u"tray blink"_s, picture = u"picture"_s;
    const QString bus = u"bus 鈴木 198.18.0.5"_s;
    const QString desktop = u"desktop 鈴木 からメッセージが届きました"_s;
    QTest::newRow("tray, window hidden")
        << true << false << false << false << QStringList{tray, picture, bus};
    QTest::newRow("tray, button window asked for")
        << true << false << true << false << QStringList{tray, picture, u"button"_s, bus};
    QTest::newRow("tray and the desktop asked for")
        << true << false << false << true << QStringList{tray, picture, desktop, bus};
    QTest::newRow("tray, window up: nothing comes up")
        << true << true << true << false << QStringList{u"tray blink shown"_s, picture, bus};
    QTest::newRow("no tray: button, attention and the desktop")
        << false << false << false << false
        << QStringList{tray, picture, u"button"_s, u"attention"_s, desktop, bus};
    QTest::newRow("no tray, window up: the desktop still")
        << false << true << false << false
        << QStringList{u"tray blink shown"_s, picture, desktop, bus};
}

void ArrivalPolicyTest::told()
{
    QFETCH(bool, tray);
    QFETCH(bool, shown);
    QFETCH(bool, button);
    QFETCH(bool, withTray);
    QFETCH(QStringList, told);

    ArrivalPolicy policy([&] { return ArrivalPolicy::Facts{tray, shown, true, button, withTray}; });
    QStringList got;
    connect(&policy, &ArrivalPolicy::trayAlerted, this, [&got](bool blink, bool windowUp) {
        got << u"tray"_s + (blink ? u" blink"_s : QString()) + (windowUp ? u" shown"_s : QString());
    });
    connect(&policy, &ArrivalPolicy::pictureMarked, this, [&got] { got << u"picture"_s; });
    connect(&policy, &ArrivalPolicy::buttonWanted, this, [&got] { got << u"button"_s; });
    connect(&policy, &ArrivalPolicy::attentionWanted, this, [&got] { got << u"attention"_s; });
    connect(&policy, &ArrivalPolicy::notificationWanted, this,
            [&got](const QString &text) { got << u"desktop "_s + text; });
    connect(&policy, &ArrivalPolicy::announced, this,
            [&got](const QString &sender, const QString &address) {
                got << u"bus "_s + sender + u' ' + address;
            });
    policy.arrived(u"鈴木      "_s, u"198.18.0.5"_s);
    QCOMPARE(got, told);

    // What waited from the last run alerts again; nobody is told anew.
    got.clear();
    policy.waitingAgain();
    QCOMPARE(got.filter(u"desktop"_s) + got.filter(u"bus"_s), QStringList());
    QCOMPARE(got.first(), told.first());
}

QTEST_GUILESS_MAIN(ArrivalPolicyTest)
#include "arrivalpolicy_test.moc"
