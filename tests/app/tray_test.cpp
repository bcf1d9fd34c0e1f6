// The tray icon, its menus and blinking, the icon sets, the icon dialog,
// the version window and the appearance, on a whole program.
#include "appearance.h"
#include "control.h"
#include "cp932.h"
#include "dispatcher.h"
#include "frmoption.h"
#include "frmrecv.h"
#include "frmsnd.h"
#include "frmsndok.h"
#include "frmversion.h"
#include "iconsets.h"
#include "icontheme.h"
#include "optsettings.h"
#include "settingsstore.h"
#include "testprogram.h"
#include "traycontroller.h"
#include "wire.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace {
const QString A = QStringLiteral("127.0.3.2");

void tick(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout");
}

QByteArray settings(const QString &iconNo, int iconRandom, const QString &fontLine)
{
    return QStringLiteral("\"optGFile\"\r\n\"%1\"\r\n1,0,1,0,0,0\r\n0,\"\",\"\",\"\"\r\n"
                          "\"True\",\"False\",\"False\",\"False\",\"False\"\r\n%2\r\n"
                          "\"                    \",0\r\n\"\",\"\",\"0\"\r\n%3\r\n")
        .arg(iconNo, QString::number(iconRandom), fontLine)
        .toLatin1();
}
} // namespace

class TrayTest : public QObject
{
    Q_OBJECT
private slots:
    void menuAsDesigned();
    void trayEvents();
    void blinking();
    void iconSetsAreDistinctAndCrisp();
    void iconSetFromSettingsAtStartUp();
    void iconDialogAppliesEverywhere();
    void iconDialogWithNothingChosen();
    void versionWindowAnimates();
    void appearanceReachesItsTargets();
    void appearanceStopsAtAValueThatDoesNotConvert();
    void withoutATrayTheWindowStaysReachable();
};

void TrayTest::menuAsDesigned()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    QMenu *menu = part<TrayController>(p).menu();
    QStringList items;
    for (QAction *a : menu->actions())
        items << a->objectName() + u'=' + (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items,
             (QStringList{QStringLiteral("mnuSendMsg=送信ﾒｯｾｰｼﾞの作成(&S)"),
                          QStringLiteral("mnuRecvMsg=受信ﾒｯｾｰｼﾞの表示(&R)"),
                          QStringLiteral("mnuLetter=置き手紙作成(&W)"),
                          QStringLiteral("mnuLine5=-"), QStringLiteral("mnuLog=送受信履歴表示(&L)"),
                          QStringLiteral("mnuLine4=-"), QStringLiteral("=ｵﾌﾟｼｮﾝ(&O)"),
                          QStringLiteral("mnuLine2=-"), QStringLiteral("mnuAbout=ﾊﾞｰｼﾞｮﾝ情報(&A)"),
                          QStringLiteral("mnuLine1=-"), QStringLiteral("mnuEnd=終了(&X)")}));
    QCOMPARE(menu->title(), QStringLiteral("ﾀｽｸﾄﾚｲに表示するﾒﾆｭｰ"));
    QCOMPARE(control<QMenu>(part<TrayController>(p).menu(), "mnuOpt")->title(),
             QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    QCOMPARE(control<QAction>(part<TrayController>(p).menu(), "mnuIcon")->text(),
             QStringLiteral("ｱｲｺﾝ変更(&I)"));
    QCOMPARE(control<QAction>(part<TrayController>(p).menu(), "mnuOther")->text(),
             QStringLiteral("動作環境の設定...(&O) "));
    // Messages wait only once they arrive; the windows of later parts stand disabled.
    QVERIFY(!control<QAction>(part<TrayController>(p).menu(), "mnuRecvMsg")->isEnabled());
    QVERIFY(control<QAction>(part<TrayController>(p).menu(), "mnuIcon")->isEnabled() &&
            control<QAction>(part<TrayController>(p).menu(), "mnuAbout")->isEnabled());
    QVERIFY(control<QAction>(part<TrayController>(p).menu(), "mnuLog")->isEnabled());
}

void TrayTest::trayEvents()
{
    TestProgram t(A, QStringLiteral("127.0.3.9"), true);
    QVERIFY(t.start());
    Program &p = *t;
    QSignalSpy recv(&part<TrayController>(p), &TrayController::recvWindowRequested);

    t.tray.press(TrayHost::Event::Other); // movement, button up, double click
    QVERIFY(!windows(p).frmSnd().isVisible());
    QVERIFY(t.port->sent.isEmpty());

    t.tray.press(TrayHost::Event::RightButtonDown);
    QTRY_VERIFY(part<TrayController>(p).menu()->isVisible());
    QVERIFY(!windows(p).frmSnd().isVisible());

    // Left: the menu goes, the send window opens and its search goes out.
    t.tray.press(TrayHost::Event::LeftButtonDown);
    QVERIFY(!part<TrayController>(p).menu()->isVisible());
    QVERIFY(windows(p).frmSnd().isVisible());
    QCOMPARE(t.port->sent.size(), 1);
    QCOMPARE(recv.size(), 0);

    // With messages waiting, left shows them instead.
    windows(p).frmSnd().hide();
    control<QAction>(part<TrayController>(p).menu(), "mnuRecvMsg")->setEnabled(true);
    t.tray.press(TrayHost::Event::LeftButtonDown);
    QCOMPARE(recv.size(), 1);
    QVERIFY(!windows(p).frmSnd().isVisible());
    QCOMPARE(t.port->sent.size(), 1);
}

void TrayTest::blinking()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    TrayController &tray = part<TrayController>(p);
    const QIcon normal = part<IconTheme>(p).normal(), arrival = part<IconTheme>(p).arrival();
    QVERIFY(sameIcon(t.tray.icon, normal));

    // Without blinking: the arrival picture, steady.
    tray.messageArrived(false, false);
    QVERIFY(sameIcon(t.tray.icon, arrival));
    QVERIFY(!control<QTimer>(tray, "Timer2")->isActive());
    tray.messagesDealtWith();
    QVERIFY(sameIcon(t.tray.icon, normal));

    // The received-message window already open: no blinking.
    tray.messageArrived(true, true);
    QVERIFY(!control<QTimer>(tray, "Timer2")->isActive());
    tray.messagesDealtWith();

    // Blinking: every 500 ms, starting (phase 0) with the arrival picture.
    tray.messageArrived(true, false);
    QVERIFY(control<QTimer>(tray, "Timer2")->isActive());
    QCOMPARE(control<QTimer>(tray, "Timer2")->interval(), 500);
    tick(control<QTimer>(tray, "Timer2"));
    QCOMPARE(tray.blinkPhase(), 1);
    QVERIFY(sameIcon(t.tray.icon, arrival));
    tick(control<QTimer>(tray, "Timer2"));
    QCOMPARE(tray.blinkPhase(), 0);
    QVERIFY(sameIcon(t.tray.icon, normal));
    tick(control<QTimer>(tray, "Timer2"));
    // Shown while blinking: arrival picture, steady, whatever the phase.
    tray.messagesShown();
    QVERIFY(!control<QTimer>(tray, "Timer2")->isActive());
    QVERIFY(sameIcon(t.tray.icon, arrival));
    // Shown again without a blink: no change.
    const int before = t.tray.modifications;
    tray.messagesShown();
    QCOMPARE(t.tray.modifications, before);
    // The phase is never reset: the next blink goes on from phase 1.
    tray.messagesDealtWith();
    tray.messageArrived(true, false);
    tick(control<QTimer>(tray, "Timer2"));
    QCOMPARE(tray.blinkPhase(), 0);
    QVERIFY(sameIcon(t.tray.icon, normal));
    // A new set shows from the next tick.
    part<IconTheme>(p).apply(4);
    tick(control<QTimer>(tray, "Timer2"));
    QVERIFY(sameIcon(t.tray.icon, iconsets::arrival(4)));
}

void TrayTest::iconSetsAreDistinctAndCrisp()
{
    QList<QImage> seen;
    for (int set = 0; set < iconsets::Count; ++set) {
        for (const QIcon &icon : {iconsets::normal(set), iconsets::arrival(set)}) {
            QVERIFY(!icon.isNull());
            for (int size : {16, 22, 32, 48, 64}) {
                const QPixmap pm = icon.pixmap(size);
                QCOMPARE(pm.size(), QSize(size, size));
                // Drawn to the edge of the box, not a small picture in a corner.
                const QImage img = pm.toImage();
                QVERIFY(qAlpha(img.pixel(size / 2, size / 2)) == 255);
            }
            // On a screen at twice the density: twice the pixels, not stretched.
            const QPixmap hi = icon.pixmap(QSize(32, 32), 2.0);
            QCOMPARE(hi.size(), QSize(64, 64));
            QCOMPARE(hi.devicePixelRatio(), 2.0);
            const QImage img16 = icon.pixmap(16).toImage();
            QVERIFY2(!seen.contains(img16), qPrintable(QStringLiteral("set %1").arg(set)));
            seen << img16;
        }
    }
    QCOMPARE(seen.size(), 20);
    QVERIFY(iconsets::normal(10).isNull());
    QVERIFY(iconsets::arrival(-1).isNull());
}

void TrayTest::iconSetFromSettingsAtStartUp()
{
    TestProgram t(A);
    t.writeSettings(settings(QStringLiteral("5"), 0, QString()));
    QVERIFY(t.start());
    Program &p = *t;
    QCOMPARE(part<IconTheme>(p).set(), 5);
    QVERIFY(controls<QRadioButton>(windows(p).frmOption(), "Option1")[5]->isChecked());
    QVERIFY(sameIcon(t.tray.icon, iconsets::normal(5)));
    QVERIFY(sameIcon(windows(p).frmSnd().windowIcon(), iconsets::normal(5)));

    // A number that names no set leaves set 0.
    TestProgram bad(QStringLiteral("127.0.3.3"));
    bad.writeSettings(settings(QStringLiteral("12"), 0, QString()));
    QCOMPARE(bad.make().start(), Program::StartResult::Running);
    QCOMPARE(part<IconTheme>(*bad.program).set(), 0);
    QVERIFY(sameIcon(bad.tray.icon, iconsets::normal(0)));

    // Random: the drawn set replaces the stored one.
    TestProgram random(QStringLiteral("127.0.3.4"));
    random.writeSettings(settings(QStringLiteral("1"), 1, QString()));
    random.env.random10 = [] { return 7; };
    QCOMPARE(random.make().start(), Program::StartResult::Running);
    QCOMPARE(part<IconTheme>(*random.program).set(), 7);
    QCOMPARE(part<SettingsStore>(*random.program).settings().iconNo, QStringLiteral("7"));

    // No settings file: set 0, no option chosen.
    TestProgram fresh(QStringLiteral("127.0.3.5"));
    QCOMPARE(fresh.make().start(), Program::StartResult::Running);
    for (QRadioButton *option :
         controls<QRadioButton>(windows(*fresh.program).frmOption(), "Option1"))
        QVERIFY(!option->isChecked());
}

void TrayTest::iconDialogAppliesEverywhere()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    control<QAction>(part<TrayController>(p).menu(), "mnuIcon")->trigger();
    FrmOption &dialog = windows(p).frmOption();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ｱｲｺﾝ変更"));
    QCOMPARE(control<QPushButton>(dialog, "CmdCancel")->text(), QStringLiteral("閉じる"));
    control<QAction>(part<TrayController>(p).menu(), "mnuAbout")->trigger();
    FrmVersion *version = windows(p).frmVersion();
    QVERIFY(version);

    // A message waits: the tray takes the new set's arrival picture.
    t.receive(cp932::encode(u"Ichi                12:34:569       x"), QStringLiteral("127.0.3.9"));
    const auto options = dialog.findChildren<QRadioButton *>(QStringLiteral("Option1"));
    QCOMPARE(options.size(), 10);
    QCOMPARE(options[3]->property("Index").toInt(), 3);
    QTest::mouseClick(options[3], Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(dialog, "CmdOK"), Qt::LeftButton);
    QCOMPARE(part<IconTheme>(p).set(), 3);
    QVERIFY(sameIcon(t.tray.icon, iconsets::arrival(3)));
    for (QWidget *w : {static_cast<QWidget *>(&windows(p).frmSnd()),
                       static_cast<QWidget *>(&dialog), static_cast<QWidget *>(version)})
        QVERIFY2(sameIcon(w->windowIcon(), iconsets::normal(3)), qPrintable(w->objectName()));
    QCOMPARE(
        control<QLabel>(version, "Image2")->pixmap().toImage(),
        iconsets::arrival(3).pixmap(control<QLabel>(version, "Image2")->pixmap().size()).toImage());
    QCOMPARE(t.dialogs.shown.size(), 1);
    QCOMPARE(t.dialogs.shown[0].text, QStringLiteral("ｱｲｺﾝ変更完了！"));
    QCOMPARE(t.dialogs.shown[0].title, QStringLiteral("確認"));
    QCOMPARE(t.dialogs.shown[0].icon, Dialogs::Icon::Information);
    QVERIFY(dialog.isVisible()); // the dialog stays open

    QFile file(t.folder.filePath(QStringLiteral("optGFile.dat")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("\"optGFile\"\r\n\"3\"\r\n"));

    // Result windows shown later wear the set too.
    t.receive(QByteArray("\x91\x97\x90\x4d         x"), QStringLiteral("127.0.3.9"));
    QTRY_VERIFY(topLevel<FrmSndOK>());
    QVERIFY(sameIcon(topLevel<FrmSndOK>()->windowIcon(), iconsets::normal(3)));

    // Opened, it is answered though it still waits: the normal picture.
    // The same set again still saves and says so.
    choose(p, "mnuRecvMsg");
    QTest::mouseClick(control<QPushButton>(windows(p).frmRecv(), "CmdOPCL"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(dialog, "CmdOK"), Qt::LeftButton);
    QVERIFY(sameIcon(t.tray.icon, iconsets::normal(3)));
    QCOMPARE(t.dialogs.shown.size(), 2);
    QTest::mouseClick(control<QPushButton>(dialog, "CmdCancel"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(
        controls<QRadioButton>(dialog, "Option1")[3]->isChecked()); // only hidden: the choice stays
}

void TrayTest::iconDialogWithNothingChosen()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    choose(p, "mnuIcon");
    QTest::mouseClick(control<QPushButton>(windows(p).frmOption(), "CmdOK"), Qt::LeftButton);
    QCOMPARE(part<IconTheme>(p).set(), 0);
    QCOMPARE(t.dialogs.shown.size(), 1);
    QCOMPARE(t.dialogs.shown[0].text, QStringLiteral("ｱｲｺﾝ変更完了！"));
    QVERIFY(QFile::exists(t.folder.filePath(QStringLiteral("optGFile.dat"))));
}

void TrayTest::versionWindowAnimates()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    part<IconTheme>(p).apply(2);
    control<QAction>(part<TrayController>(p).menu(), "mnuAbout")->trigger();
    FrmVersion *v = windows(p).frmVersion();
    QVERIFY(v && v->isVisible());
    QCOMPARE(v->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(control<QLabel>(v, "Label1")->text(), QStringLiteral("ぽるとな～"));
    QCOMPARE(control<QLabel>(v, "Label2")->text(), QStringLiteral("Version 1.13"));
    QVERIFY(control<QTimer>(v, "Timer1")->isActive());
    QCOMPARE(control<QTimer>(v, "Timer1")->interval(), 1000);
    const QImage normal = control<QLabel>(v, "Image3")->pixmap().toImage();
    const QImage arrival = control<QLabel>(v, "Image2")->pixmap().toImage();
    QVERIFY(normal != arrival);
    QCOMPARE(control<QLabel>(v, "Image1")->pixmap().toImage(), normal);
    tick(control<QTimer>(v, "Timer1")); // the first tick of a run shows the arrival picture
    QCOMPARE(control<QLabel>(v, "Image1")->pixmap().toImage(), arrival);
    tick(control<QTimer>(v, "Timer1"));
    QCOMPARE(control<QLabel>(v, "Image1")->pixmap().toImage(), normal);
    tick(control<QTimer>(v, "Timer1"));
    QTest::mouseClick(control<QPushButton>(v, "Command1"), Qt::LeftButton);
    QTRY_VERIFY(!windows(p).frmVersion());
    // Opened again, it goes on from where the phase was left.
    choose(p, "mnuAbout");
    tick(control<QTimer>(windows(p).frmVersion(), "Timer1"));
    QCOMPARE(control<QLabel>(windows(p).frmVersion(), "Image1")->pixmap().toImage(),
             control<QLabel>(windows(p).frmVersion(), "Image3")->pixmap().toImage());
}

void TrayTest::appearanceReachesItsTargets()
{
    TestProgram t(A);
    // Red text (255), pale blue background (red 200, green 220, blue 255).
    t.writeSettings(
        settings(QStringLiteral("0"), 0,
                 QStringLiteral("\"Noto Serif CJK JP\",\"14\",\"255\",\"True\",\"True\","
                                "\"True\",\"True\",\"16768200\"")));
    QVERIFY(t.start());
    Program &p = *t;
    FrmSnd &w = windows(p).frmSnd();
    for (QWidget *target : {static_cast<QWidget *>(control<QPlainTextEdit>(w, "TxtMsg")),
                            static_cast<QWidget *>(control<QLineEdit>(w, "TxtTO")),
                            static_cast<QWidget *>(control<QTreeView>(w, "ListView1"))}) {
        const QFont f = target->font();
        QCOMPARE(f.family(), QStringLiteral("Noto Serif CJK JP"));
        QCOMPARE(f.pointSizeF(), 14.0);
        QVERIFY(f.italic() && f.bold() && f.underline() && f.strikeOut());
        QCOMPARE(target->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(target->palette().color(QPalette::Base), QColor(200, 220, 255));
    }
    QCOMPARE(Appearance::settingFromColor(QColor(200, 220, 255)), QStringLiteral("16768200"));
}

void TrayTest::appearanceStopsAtAValueThatDoesNotConvert()
{
    OptSettings s;
    s.fontName = QStringLiteral("X");
    s.fontSize = QStringLiteral("12");
    s.fontColor = QStringLiteral("255");
    s.fontItalic = QStringLiteral("yes"); // a hand-edited file
    s.fontBold = QStringLiteral("True");
    const Appearance a = Appearance::fromSettings(s);
    QCOMPARE(a.pointSize.value_or(0), 12.0);
    QVERIFY(a.textColor.has_value());
    QVERIFY(!a.italic && !a.bold && !a.background);
    s.fontSize = QStringLiteral("big");
    QVERIFY(!Appearance::fromSettings(s).pointSize);
    QVERIFY(!Appearance::colorFromSetting(QStringLiteral("16777216")));
}

void TrayTest::withoutATrayTheWindowStaysReachable()
{
    TestProgram t(A, QStringLiteral("127.0.3.9"), true);
    t.tray.hasTray = false;
    QVERIFY(t.start());
    Program &p = *t;
    FrmSnd &w = windows(p).frmSnd();
    QVERIFY(w.isVisible());
    QVERIFY(w.isMinimized());
    // Its picture opens the tray menu.
    QTest::mouseClick(control<QLabel>(w, "Image1"), Qt::LeftButton);
    QTRY_VERIFY(part<TrayController>(p).menu()->isVisible());
    part<TrayController>(p).menu()->hide();
    // Closing it keeps it on the task bar instead of hiding it.
    w.showNormal();
    w.close();
    QVERIFY(w.isVisible());
    QVERIFY(w.isMinimized());
}

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
