// The send window as a user drives it: open, search, pick, type, send.
#include "awaynote.h"
#include "composer.h"
#include "control.h"
#include "cp932.h"
#include "dispatcher.h"
#include "frmipset.h"
#include "frmsnd.h"
#include "historymodel.h"
#include "optsettings.h"
#include "settingsstore.h"
#include "testprogram.h"
#include "traycontroller.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

namespace {
const QString A = QStringLiteral("127.0.2.2");
const QString B = QStringLiteral("127.0.2.3");

void clickRow(QTreeView *view, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

QByteArray settingsWithName(const QString &name)
{
    return cp932::encode(
        QStringLiteral("\"optGFile\"\r\n\"0\"\r\n1,0,1,0,0,0\r\n0,\"\",\"\",\"\"\r\n"
                       "\"True\",\"False\",\"False\",\"False\",\"False\"\r\n0\r\n\"") +
        name + QStringLiteral("\",0\r\n"));
}
} // namespace

class ComposeTest : public QObject
{
    Q_OBJECT
private slots:
    void controlsAsDesigned();
    void openSearchPickAndSend();
    void refusals();
    void datagramBytes();
    void manualAddressWindow();
    void awayNoteFetch();
};

void ComposeTest::controlsAsDesigned()
{
    TestProgram t(A);
    QVERIFY(t.start());
    Program &p = *t;
    FrmSnd &w = windows(p).frmSnd();
    const struct
    {
        const char *name;
        QString caption;
    } buttons[] = {{"CmdSend", QStringLiteral("送信(&S)")},
                   {"CmdCancel", QStringLiteral("ｷｬﾝｾﾙ ")},
                   {"CmdKensaku", QStringLiteral("再検索")},
                   {"CmdLetter", QStringLiteral("置き手紙参照")}};
    for (const auto &b : buttons) {
        auto *button = w.findChild<QPushButton *>(QLatin1String(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->text(), b.caption);
    }
    for (const char *name : {"ListView1", "TxtTO", "TxtMsg", "StatusBar1", "Image1"})
        QVERIFY2(w.findChild<QWidget *>(QLatin1String(name)), name);
    QStringList headers;
    for (int c = 0; c < UserListModel::ColumnCount; ++c)
        headers << control<QTreeView>(w, "ListView1")
                       ->model()
                       ->headerData(c, Qt::Horizontal)
                       .toString();
    QCOMPARE(headers, (QStringList{QStringLiteral("ﾕｰｻﾞｰ名"), QStringLiteral("置き手紙"),
                                   QStringLiteral("IPｱﾄﾞﾚｽ"), QStringLiteral("ﾛｸﾞｲﾝ名")}));
    QAction *mnuIp = control<QMenu>(w, "mnuSend")->findChild<QAction *>(QStringLiteral("mnuIp"));
    QVERIFY(mnuIp);
    QCOMPARE(control<QMenu>(w, "mnuSend")->title(), QStringLiteral("送信"));
    QCOMPARE(mnuIp->text(), QStringLiteral("IPｱﾄﾞﾚｽ指定(&I)"));
    QCOMPARE(control<QAction>(part<TrayController>(p).menu(), "mnuSendMsg")->text(),
             QStringLiteral("送信ﾒｯｾｰｼﾞの作成(&S)"));
}

void ComposeTest::openSearchPickAndSend()
{
    TestProgram a(A, B), b(B, A);
    b.writeSettings(settingsWithName(QStringLiteral("鈴木 一郎")));
    QVERIFY(a.start() && b.start());
    Program &pa = *a;
    Program &pb = *b;
    part<AwayNote>(pb).leave(QStringLiteral("外出中"));
    FrmSnd &w = windows(pa).frmSnd();
    control<QPlainTextEdit>(w, "TxtMsg")->setPlainText(QStringLiteral("old text"));

    // A left click on the tray icon opens the window and searches.
    a.tray.press(TrayHost::Event::LeftButtonDown);
    QVERIFY(w.isVisible());
    QVERIFY(control<QPlainTextEdit>(w, "TxtMsg")->toPlainText().isEmpty());
    QVERIFY(!control<QPushButton>(w, "CmdLetter")->isEnabled());
    QTRY_COMPARE(part<UserListModel>(pa).rowCount(), 1);
    QCOMPARE(control<QLabel>(w, "panel1")->text(), QStringLiteral("ﾕｰｻﾞｰ数 : 1"));

    clickRow(control<QTreeView>(w, "ListView1"), 0);
    QCOMPARE(control<QLineEdit>(w, "TxtTO")->text(), QStringLiteral("鈴木 一郎"));
    QCOMPARE(part<UserListModel>(pa).selectedPeerAddress(), B);
    QVERIFY(control<QPushButton>(w, "CmdLetter")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, "TxtMsg"));

    // Two lines, sent as CR LF; the row's number travels with it.
    QSignalSpy arrived(&part<Dispatcher>(pb), &Dispatcher::messageArrived);
    control<QPlainTextEdit>(w, "TxtMsg")->setPlainText(QStringLiteral("こんにちは\n～また明日"));
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(part<HistoryModel>(pa).rowCount(), 1);
    QCOMPARE(part<HistoryModel>(pa).row(1).recipient, QStringLiteral("鈴木 一郎"));
    QCOMPARE(part<HistoryModel>(pa).row(1).sender, QStringLiteral("taro "));
    QCOMPARE(part<HistoryModel>(pa).row(1).message, QStringLiteral("こんにちは\r\n～また明日"));
    // A second message at once, without waiting for the first result.
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QTRY_COMPARE(arrived.size(), 2);
    const auto first = arrived[0][0].value<wire::Message>();
    QCOMPARE(first.text, QStringLiteral("こんにちは\r\n～また明日"));
    QCOMPARE(first.refField, QStringLiteral("1       "));
    QCOMPARE(arrived[1][0].value<wire::Message>().refField, QStringLiteral("2       "));
    QCOMPARE(control<QPlainTextEdit>(w, "TxtMsg")->toPlainText(),
             QStringLiteral("こんにちは\n～また明日")); // not emptied

    // Opening again searches afresh and keeps the recipient.
    control<QAction>(part<TrayController>(pa).menu(), "mnuSendMsg")->trigger();
    QCOMPARE(part<UserListModel>(pa).rowCount(), 0);
    QCOMPARE(control<QLineEdit>(w, "TxtTO")->text(), QStringLiteral("鈴木 一郎"));
    QTRY_COMPARE(part<UserListModel>(pa).rowCount(), 1);
    QCOMPARE(part<UserListModel>(pa).selectedPeerAddress(), B);
    QTest::mouseClick(control<QPushButton>(w, "CmdCancel"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

void ComposeTest::refusals()
{
    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    QVERIFY(t.start());
    Program &p = *t;
    RecordingPort *port = t.port.get();
    FrmSnd &w = windows(p).frmSnd();
    choose(p, "mnuSendMsg");
    port->sent.clear();
    control<QPlainTextEdit>(w, "TxtMsg")->setPlainText(QStringLiteral("hello"));
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QCOMPARE(t.dialogs.shown.size(), 1);
    QCOMPARE(t.dialogs.shown[0].text, QStringLiteral("送信先を指定してください。"));
    QCOMPARE(t.dialogs.shown[0].title, QStringLiteral("ぽるとな～"));
    QCOMPARE(t.dialogs.shown[0].icon, Dialogs::Icon::Exclamation);
    control<QLineEdit>(w, "TxtTO")->setText(QStringLiteral("someone"));
    control<QPlainTextEdit>(w, "TxtMsg")->clear();
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QCOMPARE(t.dialogs.shown.size(), 2);
    QCOMPARE(t.dialogs.shown[1].text, QStringLiteral("ﾒｯｾｰｼﾞを入力してください。"));

    // A name typed by hand with no row chosen, a text no datagram holds, a
    // send the system refuses: nothing leaves, nothing is recorded, the
    // text stays for another try.
    const QString huge(32736, u'字'); // 65,508 bytes with its 36 of fields
    const struct
    {
        QString peer, text;
        bool refused;
        QString box;
    } cases[] = {
        {QString(), QStringLiteral("hello"), false,
         QStringLiteral("送信先を一覧からｸﾘｯｸしてください。")},
        {B, huge, false, QStringLiteral("ﾒｯｾｰｼﾞが長すぎます。\r65507 ﾊﾞｲﾄ以内にしてください。")},
        {B, QStringLiteral("hello"), true,
         QStringLiteral("ﾒｯｾｰｼﾞを送信できませんでした。\r入力した内容は残してあります。")},
    };
    for (const auto &c : cases) {
        part<UserListModel>(p).setSelectedPeerAddress(c.peer);
        port->refuse = c.refused;
        control<QPlainTextEdit>(w, "TxtMsg")->setPlainText(c.text);
        QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
        QCOMPARE(t.dialogs.shown.last().text, c.box);
        QCOMPARE(control<QPlainTextEdit>(w, "TxtMsg")->toPlainText(), c.text);
    }
    QCOMPARE(t.dialogs.shown.size(), 5);
    QVERIFY(w.isVisible());
    QCOMPARE(part<HistoryModel>(p).rowCount(), 0);
    QVERIFY(port->sent.isEmpty());
    // One character fewer fits.
    port->refuse = false;
    control<QPlainTextEdit>(w, "TxtMsg")->setPlainText(huge.left(huge.size() - 1));
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QCOMPARE(port->sent.size(), 1);
    QCOMPARE(port->sent[0].second.size(), 65506);
}

void ComposeTest::datagramBytes()
{
    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    RecordingPort *port = t.port.get();
    t.writeSettings(settingsWithName(QStringLiteral("Taro Yamada")));
    t.clock.setTime(QStringLiteral("08:09:10"));
    QVERIFY(t.start());
    Program &p = *t;
    choose(p, "mnuSendMsg");
    QCOMPARE(port->sent.size(), 1); // the search, to the broadcast address
    QCOMPARE(port->sent[0].first, QStringLiteral("127.0.2.9"));
    QCOMPARE(port->sent[0].second, cp932::encode(u"GROUP検索"));

    port->feed(cp932::encode(wire::searchReply(QStringLiteral("hanako"), QString(), QString(),
                                               QString(), false)),
               QStringLiteral("127.0.2.7"));
    clickRow(control<QTreeView>(windows(p).frmSnd(), "ListView1"), 0);
    control<QPlainTextEdit>(windows(p).frmSnd(), "TxtMsg")
        ->setPlainText(QStringLiteral("一行目\n二行目"));
    QTest::mouseClick(control<QPushButton>(windows(p).frmSnd(), "CmdSend"), Qt::LeftButton);
    QCOMPARE(port->sent.size(), 2);
    QCOMPARE(port->sent[1].first, QStringLiteral("127.0.2.7"));
    // The name is cut after its first space; history row 1 travels as "1" and 7 spaces.
    QCOMPARE(port->sent[1].second, QByteArray("Taro                08:09:101       ") +
                                       cp932::encode(u"一行目\r\n二行目"));
    QCOMPARE(part<HistoryModel>(p).row(1).sender, QStringLiteral("Taro "));
    QCOMPARE(part<HistoryModel>(p).row(1).sendTime, QStringLiteral("08:09:10"));
    QCOMPARE(part<HistoryModel>(p).row(1).date, QStringLiteral("26/12/08"));
    // After forty rows (a loaded history) the reference is 41.
    for (int i = 0; i < 39; ++i)
        part<HistoryModel>(p).logAddRecv(QStringLiteral("x "), QStringLiteral("m"));
    QTest::mouseClick(control<QPushButton>(windows(p).frmSnd(), "CmdSend"), Qt::LeftButton);
    QCOMPARE(cp932::decode(port->sent[2].second).mid(28, 8), QStringLiteral("41      "));
}

void ComposeTest::manualAddressWindow()
{
    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    RecordingPort *port = t.port.get();
    QVERIFY(t.start());
    Program &p = *t;
    control<QMenu>(windows(p).frmSnd(), "mnuSend")
        ->findChild<QAction *>(QStringLiteral("mnuIp"))
        ->trigger();
    FrmIPset *ipset = windows(p).frmIPset();
    QVERIFY(ipset && ipset->isVisible());
    QCOMPARE(ipset->windowTitle(), QStringLiteral("IPｱﾄﾞﾚｽ指定"));
    QCOMPARE(control<QPushButton>(ipset, "Command2")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    control<QLineEdit>(ipset, "TxtName")->setText(QStringLiteral("遠くの人"));
    control<QLineEdit>(ipset, "TxtIP")->setText(QStringLiteral("127.0.2.8"));
    QTest::mouseClick(control<QPushButton>(ipset, "Command1"), Qt::LeftButton);
    QTRY_VERIFY(!windows(p).frmIPset());

    QFile file(t.folder.filePath(QStringLiteral("optGFile.dat")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.at(7), cp932::encode(u"\"遠くの人\",\"127.0.2.8\",\"0\"\r"));

    // The next search also asks the manual address directly.
    port->sent.clear();
    QTest::mouseClick(control<QPushButton>(windows(p).frmSnd(), "CmdKensaku"), Qt::LeftButton);
    QCOMPARE(port->sent.size(), 2);
    QCOMPARE(port->sent[0].first, QStringLiteral("127.0.2.9"));
    QCOMPARE(port->sent[1].first, QStringLiteral("127.0.2.8"));

    // ｷｬﾝｾﾙ changes nothing; the window opens with the stored values.
    windows(p).openIpSet();
    QCOMPARE(control<QLineEdit>(windows(p).frmIPset(), "TxtIP")->text(),
             QStringLiteral("127.0.2.8"));
    control<QLineEdit>(windows(p).frmIPset(), "TxtIP")->setText(QStringLiteral("1.2.3.4"));
    QTest::mouseClick(control<QPushButton>(windows(p).frmIPset(), "Command2"), Qt::LeftButton);
    QCOMPARE(part<SettingsStore>(p).settings().ipSetAddr, QStringLiteral("127.0.2.8"));
}

void ComposeTest::awayNoteFetch()
{
    TestProgram a(A, B), b(B, A);
    QVERIFY(a.start() && b.start());
    Program &pa = *a;
    Program &pb = *b;
    part<AwayNote>(pb).leave(QStringLiteral("15時に戻ります"));
    choose(pa, "mnuSendMsg");
    QTRY_COMPARE(part<UserListModel>(pa).rowCount(), 1);
    QCOMPARE(part<UserListModel>(pa).index(0, UserListModel::MarkCol).data().toString(),
             QStringLiteral("○"));
    clickRow(control<QTreeView>(windows(pa).frmSnd(), "ListView1"), 0);
    // Nobody asked: not shown. Asked: shown above what the user had typed.
    const QByteArray unasked =
        cp932::encode(QStringLiteral("LETTER 置き手紙") + sp(20) + QStringLiteral("押し売り"));
    a.receive(unasked, B);
    control<QPlainTextEdit>(windows(pa).frmSnd(), "TxtMsg")
        ->setPlainText(QStringLiteral("書きかけ"));
    QTest::mouseClick(control<QPushButton>(windows(pa).frmSnd(), "CmdLetter"), Qt::LeftButton);
    QTRY_COMPARE(control<QPlainTextEdit>(windows(pa).frmSnd(), "TxtMsg")->toPlainText(),
                 QStringLiteral("置き手紙受信内容  => 15時に戻ります\n書きかけ"));
    a.receive(unasked, B);
    QCOMPARE(control<QPlainTextEdit>(windows(pa).frmSnd(), "TxtMsg")->toPlainText(),
             QStringLiteral("置き手紙受信内容  => 15時に戻ります\n書きかけ"));
    // A row without a note disables the button again.
    part<AwayNote>(pb).withdraw();
    control<QPushButton>(windows(pa).frmSnd(), "CmdKensaku")->click();
    QTRY_COMPARE(part<UserListModel>(pa).rowCount(), 1);
    clickRow(control<QTreeView>(windows(pa).frmSnd(), "ListView1"), 0);
    QVERIFY(!control<QPushButton>(windows(pa).frmSnd(), "CmdLetter")->isEnabled());
}

QTEST_MAIN(ComposeTest)
#include "compose_test.moc"
