// Whole copies of the program: start-up, shutdown, and the result windows a
// sender sees when a peer answers over loopback.
#include "composer.h"
#include "control.h"
#include "cp932.h"
#include "dispatcher.h"
#include "frmrcvok.h"
#include "frmsnd.h"
#include "frmsndok.h"
#include "frmsrok.h"
#include "historymodel.h"
#include "localuser.h"
#include "lockfileinstanceguard.h"
#include "optsettings.h"
#include "peersearch.h"
#include "settingsstore.h"
#include "testprogram.h"
#include "traycontroller.h"
#include "twips.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <QWindow>

namespace {
const QString A = QStringLiteral("127.0.0.2");
const QString B = QStringLiteral("127.0.0.3");

// One tick of a timer, without waiting for it.
void tick(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout");
}

QAction *action(QMenu *menu, const QString &name)
{
    return menu->findChild<QAction *>(name);
}
// A datagram from B's address to A, as B's copy sends one.
void sendFromB(const QString &text)
{
    QUdpSocket fromB;
    if (fromB.bind(QHostAddress(B), 0))
        fromB.writeDatagram(cp932::encode(text), QHostAddress(A), 50319);
}

} // namespace

class ProgramTest : public QObject
{
    Q_OBJECT
private slots:
    void startsHiddenInTheTray();
    void secondCopyIsRefused();
    void portHeldByAnotherProgram();
    void endAsksOnlyWhileMessagesWait();
    void closeBoxOnlyHides();
    void deliveryResultWindows();
    void rejectionFromPartnerFilter();
    void openAndDiscardCompleteTheSendersRow();
    void autoEraseClosesAfterTenSeconds();
    void peerNamesShownAsPlainText();
};

void ProgramTest::startsHiddenInTheTray()
{
    TestProgram t(A);
    t.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0))); // a Tuesday
    QVERIFY(t.start());
    Program &p = *t;
    QVERIFY(t.tray.present);
    QCOMPARE(t.tray.tip, QStringLiteral("ぽるとな～"));
    QVERIFY(!windows(p).frmSnd().isVisible());
    QCOMPARE(windows(p).frmSnd().windowTitle(), QStringLiteral("送信ﾒｯｾｰｼﾞ"));
    QCOMPARE(control<QLabel>(windows(p).frmSnd(), "panel3")->text(), QStringLiteral("火"));
    QVERIFY(control<QPlainTextEdit>(windows(p).frmSnd(), "TxtMsg")->toPlainText().isEmpty());
    // 6200 x 3300 twips with its frame, centred.
    const QSize expected = twips::toPixels(6200 - FrmSnd::FrameWidth, 3300 - FrmSnd::FrameHeight);
    QCOMPARE(windows(p).frmSnd().size(), expected);
    const QRect screen = twips::screenOf(&windows(p).frmSnd())->geometry();
    QVERIFY(qAbs(windows(p).frmSnd().geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(windows(p).frmSnd().geometry().center().y() - screen.center().y()) <= 1);
    QVERIFY(!control<QTimer>(part<TrayController>(p), "Timer2")->isActive());
    QCOMPARE(action(part<TrayController>(p).menu(), QStringLiteral("mnuEnd"))->text(),
             QStringLiteral("終了(&X)"));
    QVERIFY(t.dialogs.shown.isEmpty());
}

void ProgramTest::secondCopyIsRefused()
{
    TestProgram t(A);
    t.guard.result = InstanceGuard::Claim::HeldByAnother;
    Program &p = t.make();
    QCOMPARE(p.start(), Program::StartResult::AlreadyRunning);
    QCOMPARE(t.dialogs.shown.size(), 1);
    QCOMPARE(t.dialogs.shown[0].text, QStringLiteral("「ぽるとな～」 は、既に起動しています"));
    QCOMPARE(t.dialogs.shown[0].title, QStringLiteral("ぽるとな～"));
    QCOMPARE(t.dialogs.shown[0].icon, Dialogs::Icon::Critical);
    QVERIFY(!t.tray.present);

    // A lock that cannot be taken at all is not another copy, and says why.
    TestProgram broken(A);
    broken.guard.result = InstanceGuard::Claim::Failed;
    QCOMPARE(broken.make().start(), Program::StartResult::LockFailed);
    QCOMPARE(broken.dialogs.shown.size(), 1);
    QCOMPARE(broken.dialogs.shown[0].text,
             QStringLiteral("二重起動を確かめられないため、「ぽるとな～」を起動できません。\r"
                            "/run/user/1000 は読み取り専用です。"));

    // The real lock: a second claim is another copy; a folder that is a file fails.
    QTemporaryDir dir;
    LockFileInstanceGuard first(dir.path()), second(dir.path());
    QCOMPARE(first.claim(), InstanceGuard::Claim::Claimed);
    QCOMPARE(second.claim(), InstanceGuard::Claim::HeldByAnother);
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    LockFileInstanceGuard nowhere(file.fileName());
    QCOMPARE(nowhere.claim(), InstanceGuard::Claim::Failed);
    QVERIFY(nowhere.errorText().startsWith(file.fileName()));
}

void ProgramTest::portHeldByAnotherProgram()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress(QStringLiteral("127.0.0.4")), 50319));
    TestProgram t(QStringLiteral("127.0.0.4"));
    Program &p = t.make();
    QCOMPARE(p.start(), Program::StartResult::PortInUse);
    QCOMPARE(t.dialogs.shown.size(), 1);
    QCOMPARE(t.dialogs.shown[0].text,
             QStringLiteral("「ぽるとな～」は、既に起動しています。\r(PortNo Error!)"));
    QCOMPARE(t.dialogs.shown[0].title, QStringLiteral("きりかぽ～"));
    QCOMPARE(t.dialogs.shown[0].icon, Dialogs::Icon::Exclamation);
    QVERIFY(!t.tray.present);

    // Any other failure to open the port ends start-up with a message too.
    TestProgram other(QStringLiteral("198.51.100.1")); // not an address of this machine
    QCOMPARE(other.make().start(), Program::StartResult::PortFailed);
    QCOMPARE(other.dialogs.shown.size(), 1);
    QVERIFY(other.dialogs.shown[0].text.startsWith(
        QStringLiteral("受信ポート 50319 を開けませんでした。")));
}

void ProgramTest::endAsksOnlyWhileMessagesWait()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    QSignalSpy ended(&p, &Program::ended);

    t.receive(cp932::encode(u"Ichi                12:34:569       本文"), B);
    t.dialogs.answerNext(Dialogs::No);
    action(part<TrayController>(p).menu(), QStringLiteral("mnuEnd"))->trigger();
    QCOMPARE(t.dialogs.shown.size(), 1);
    const Dialogs::Box &box = t.dialogs.shown[0];
    QCOMPARE(box.text, QStringLiteral("未確認のﾒｯｾｰｼﾞがあります...\r終了しますか？"));
    QCOMPARE(box.title, QStringLiteral("ぽるとな～"));
    QCOMPARE(box.icon, Dialogs::Icon::Question);
    QCOMPARE(box.buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(box.defaultAnswer, Dialogs::No);
    QCOMPARE(ended.size(), 0);
    QVERIFY(t.tray.present);

    // Also while the blink shows the normal picture, messages still wait.
    part<TrayController>(p).messageArrived(true, false);
    tick(control<QTimer>(part<TrayController>(p), "Timer2"));
    tick(control<QTimer>(part<TrayController>(p), "Timer2"));
    QVERIFY(!part<TrayController>(p).showsArrivalPicture());
    t.dialogs.answerNext(Dialogs::Yes);
    choose(p, "mnuEnd");
    QCOMPARE(t.dialogs.shown.size(), 2);
    QCOMPARE(ended.size(), 1);
    QVERIFY(!t.tray.present);

    // Nothing waiting: ends at once.
    TestProgram quiet(B);
    QVERIFY(quiet.start());
    Program &q = *quiet;
    QSignalSpy quietEnded(&q, &Program::ended);
    choose(q, "mnuEnd");
    QCOMPARE(quietEnded.size(), 1);
    QVERIFY(quiet.dialogs.shown.isEmpty());
    QVERIFY(!quiet.tray.present);
}

void ProgramTest::closeBoxOnlyHides()
{
    TestProgram a(A), b(B, A);
    QVERIFY(a.start() && b.start());
    Program &pa = *a;
    Program &pb = *b;
    windows(pa).frmSnd().show();
    QVERIFY(windows(pa).frmSnd().close() == false);
    QVERIFY(!windows(pa).frmSnd().isVisible());
    // Still listening: a search from B is answered and lists A.
    part<PeerSearch>(pb).search();
    QTRY_COMPARE(part<UserListModel>(pb).rowCount(), 1);
    QCOMPARE(part<UserListModel>(pb).at(0).address, A);
    QCOMPARE(part<UserListModel>(pb).at(0).login, QStringLiteral("taro"));
}

void ProgramTest::deliveryResultWindows()
{
    TestProgram a(A, B), b(B, A);
    b.systemInfo.login = "hanako";
    QVERIFY(a.start() && b.start());
    Program &pa = *a;
    part<UserListModel>(pa).setSelectedPeerAddress(B);

    QCOMPARE(part<Composer>(pa).send(QStringLiteral("hanako"), QStringLiteral("こんにちは")),
             Posted::Sent);
    FrmSndOK *ok = nullptr;
    QTRY_VERIFY((ok = topLevel<FrmSndOK>()) && ok->isVisible());
    QCOMPARE(ok->windowTitle(), QStringLiteral("To hanako "));
    QCOMPARE(control<QLabel>(ok, "Label1")->text(),
             QStringLiteral("メッセージは正しく送信されました。"));
    QCOMPARE(control<QLabel>(ok, "Label3")->text(), QStringLiteral("10:15:00"));
    QTest::mouseClick(control<QPushButton>(ok, "CmdOk"), Qt::LeftButton);
    QTRY_VERIFY(!topLevel<FrmSndOK>());

    // Small window: the delivery picture, the time, and no closing by itself.
    part<SettingsStore>(pa).settings().sndConfirmMin = 1;
    QCOMPARE(part<Composer>(pa).send(QStringLiteral("hanako"), QStringLiteral("二通目")),
             Posted::Sent);
    FrmSROK *small = nullptr;
    QTRY_VERIFY((small = topLevel<FrmSROK>()) && small->isVisible());
    QVERIFY(!control<QLabel>(small, "Image1")->isHidden());
    QVERIFY(control<QLabel>(small, "Image2")->isHidden());
    QVERIFY(!control<QTimer>(small, "Timer1")->isActive());
    QCOMPARE(control<QLabel>(small, "Label1")->text(), QStringLiteral("10:15:00"));
    QVERIFY(!topLevel<FrmSndOK>());

    // Off: nothing is shown.
    QTest::mouseClick(control<QPushButton>(small, "Command1"), Qt::LeftButton);
    part<SettingsStore>(pa).settings().sndConfirm = 0;
    QSignalSpy results(&part<Dispatcher>(pa), &Dispatcher::delivered);
    QCOMPARE(part<Composer>(pa).send(QStringLiteral("hanako"), QStringLiteral("三通目")),
             Posted::Sent);
    QTRY_COMPARE(results.size(), 1);
    QVERIFY(!topLevel<FrmSndOK>());
    QTRY_VERIFY(!topLevel<FrmSROK>());

    // A refusal names nobody: it shows all the same, under the last name acknowledged.
    part<SettingsStore>(*b).settings().otherReject = 1;
    QCOMPARE(part<Composer>(pa).send(QStringLiteral("hanako"), QStringLiteral("四通目")),
             Posted::Sent);
    QTRY_VERIFY((ok = topLevel<FrmSndOK>()) && ok->isVisible());
    QCOMPARE(ok->windowTitle(), QStringLiteral("To hanako "));
    QCOMPARE(control<QLabel>(ok, "Label1")->text(),
             QStringLiteral("あなたのﾒｯｾｰｼﾞは拒否されました。"));
}

void ProgramTest::rejectionFromPartnerFilter()
{
    TestProgram a(A, B), b(B, A);
    b.writeSettings("\"optGFile\"\r\n\"0\"\r\n1,0,1,0,1,0\r\n");
    Program &pa = a.make();
    Program &pb = b.make();
    part<SettingsStore>(pa).settings().sndConfirm = 0;
    QCOMPARE(pa.start(), Program::StartResult::Running);
    QCOMPARE(pb.start(), Program::StartResult::Running);
    QCOMPARE(part<SettingsStore>(pb).settings().otherReject, 1);
    part<SettingsStore>(pa).settings().sndConfirm = 0; // the rejection shows all the same
    part<UserListModel>(pa).setSelectedPeerAddress(B);
    QSignalSpy arrived(&part<Dispatcher>(pb), &Dispatcher::messageArrived);
    QCOMPARE(part<Composer>(pa).send(QStringLiteral("b"), QStringLiteral("hello")), Posted::Sent);
    FrmSndOK *ok = nullptr;
    QTRY_VERIFY((ok = topLevel<FrmSndOK>()) && ok->isVisible());
    QCOMPARE(control<QLabel>(ok, "Label1")->text(),
             QStringLiteral("あなたのﾒｯｾｰｼﾞは拒否されました。"));
    QCOMPARE(ok->windowTitle(), QStringLiteral("To "));
    QCOMPARE(arrived.size(), 0);
}

void ProgramTest::openAndDiscardCompleteTheSendersRow()
{
    TestProgram a(A, B);
    QVERIFY(a.start());
    Program &pa = *a;
    part<SettingsStore>(pa).settings().sndConfirm = 0;
    for (int i = 0; i < 3; ++i)
        part<HistoryModel>(pa).logAddSend(QStringLiteral("b"), QStringLiteral("m"));

    a.clock.setTime(QStringLiteral("11:22:33"));
    sendFromB(wire::openConfirm(QStringLiteral("鈴木 一郎"), wire::refField(3)));
    FrmRcvOK *ok = nullptr;
    QTRY_VERIFY((ok = topLevel<FrmRcvOK>()) && ok->isVisible());
    QCOMPARE(part<HistoryModel>(pa).row(3).receiveTime, QStringLiteral("11:22:33"));
    QCOMPARE(ok->windowTitle(), QStringLiteral("From 鈴木 一郎") + QString(15, u' '));
    QCOMPARE(control<QLabel>(ok, "Label1")->text(), QStringLiteral("メッセージは確認されました。"));
    QCOMPARE(control<QLabel>(ok, "Label3")->text(), QStringLiteral("11:22:33"));
    QVERIFY(!control<QTimer>(ok, "Timer1")->isActive());

    // A blank name keeps the caption; a discard marks the row with "*".
    sendFromB(wire::discard(QString(), wire::refField(2)));
    QTRY_COMPARE(part<HistoryModel>(pa).row(2).receiveTime, QStringLiteral("11:22:33*"));
    QCOMPARE(control<QLabel>(ok, "Label1")->text(),
             QStringLiteral("メッセージは未確認のまま閉じられました。"));
    QCOMPARE(ok->windowTitle(), QStringLiteral("From 鈴木 一郎") + QString(15, u' '));
    QTest::mouseClick(control<QPushButton>(ok, "CmdOK"), Qt::LeftButton);
    QTRY_VERIFY(!topLevel<FrmRcvOK>());

    // A fresh window with a blank name keeps its own caption; a hold changes no row.
    sendFromB(wire::hold(QString()));
    QTRY_VERIFY((ok = topLevel<FrmRcvOK>()) && ok->isVisible());
    QCOMPARE(ok->windowTitle(), QStringLiteral("着信確認"));
    QCOMPARE(control<QLabel>(ok, "Label1")->text(),
             QStringLiteral("メッセージは返信保留されています。"));
    QVERIFY(part<HistoryModel>(pa).row(1).receiveTime.isEmpty());

    // Not asked for: the row is completed all the same, and no window shows.
    QTest::mouseClick(control<QPushButton>(ok, "CmdOK"), Qt::LeftButton);
    QTRY_VERIFY(!topLevel<FrmRcvOK>());
    part<SettingsStore>(pa).settings().rcvConfirm = 0;
    sendFromB(wire::openConfirm(QStringLiteral("鈴木 一郎"), wire::refField(1)));
    QTRY_COMPARE(part<HistoryModel>(pa).row(1).receiveTime, QStringLiteral("11:22:33"));
    QVERIFY(!topLevel<FrmRcvOK>() && !topLevel<FrmSROK>());
}

void ProgramTest::autoEraseClosesAfterTenSeconds()
{
    TestProgram a(A, B);
    QVERIFY(a.start());
    Program &pa = *a;
    part<SettingsStore>(pa).settings().autoErase = 1;
    sendFromB(wire::hold(QStringLiteral("b")));
    FrmRcvOK *ok = nullptr;
    QTRY_VERIFY((ok = topLevel<FrmRcvOK>()) && ok->isVisible());
    QVERIFY(control<QTimer>(ok, "Timer1")->isActive());
    QCOMPARE(control<QTimer>(ok, "Timer1")->interval(), 10000);
    tick(control<QTimer>(ok, "Timer1")); // the tick ten seconds on
    QTRY_VERIFY(!topLevel<FrmRcvOK>());

    part<SettingsStore>(pa).settings().rcvConfirmMin = 1;
    sendFromB(wire::hold(QStringLiteral("b")));
    FrmSROK *small = nullptr;
    QTRY_VERIFY((small = topLevel<FrmSROK>()) && small->isVisible());
    QVERIFY(control<QTimer>(small, "Timer1")->isActive());
    QVERIFY(control<QLabel>(small, "Image1")->isHidden());
    QVERIFY(!control<QLabel>(small, "Image2")->isHidden());
    QCOMPARE(control<QTimer>(small, "Timer1")->interval(), 10000);
}

void ProgramTest::peerNamesShownAsPlainText()
{
    TestProgram a(A, B), b(B, A);
    b.writeSettings("\"optGFile\"\r\n\"0\"\r\n1,0,1,0,0,0\r\n0,\"\",\"\",\"\"\r\n"
                    "\"True\",\"False\",\"False\",\"False\",\"False\"\r\n0\r\n"
                    "\"<b>x</b>%1[*] \",0\r\n");
    QVERIFY(a.start() && b.start());
    Program &pa = *a;
    part<UserListModel>(pa).setSelectedPeerAddress(B);
    QCOMPARE(part<Composer>(pa).send(QStringLiteral("b"), QStringLiteral("m")), Posted::Sent);
    FrmSndOK *ok = nullptr;
    QTRY_VERIFY((ok = topLevel<FrmSndOK>()) && ok->isVisible());
    QCOMPARE(ok->windowHandle()->title(), QStringLiteral("To <b>x</b>%1[*] "));
    QCOMPARE(control<QLabel>(ok, "Label1")->textFormat(), Qt::PlainText);
}

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
