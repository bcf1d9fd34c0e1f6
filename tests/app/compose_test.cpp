// The send window as a user drives it: open, search, pick, type, send.
#include "awaynote.h"
#include "composer.h"
#include "control.h"
#include "cp932.h"
#include "dispatcher.h"
#include "filesharing.h"
#include "frmipset.h"
#include "frmsnd.h"
#include "frmsndlist.h"
#include "frmsndok.h"
#include "historymodel.h"
#include "optsettings.h"
#include "peersearch.h"
#include "remotecontrol.h"
#include "settingsstore.h"
#include "testprogram.h"
#include "traycontroller.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeView>
#include <QUrl>

namespace {
const QString A = QStringLiteral("127.0.2.2");
const QString B = QStringLiteral("127.0.2.3");

void clickRow(QTreeView *view, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rect.center());
}

// Peer i answers the search: login user<i>, name 名前<i> (unless given), at
// 127.0.3.<i+1> (unless given).
void listPeer(RecordingPort &port, int i, const QString &address = QString(),
              const QString &name = QString())
{
    port.feed(cp932::encode(wire::searchReply(
                  QStringLiteral("user%1").arg(i), QString(), QString(),
                  name.isEmpty() ? QStringLiteral("名前%1").arg(i) : name, false)),
              address.isEmpty() ? QStringLiteral("127.0.3.%1").arg(i + 1) : address);
}

QStringList rowTexts(const QAbstractItemModel *model, int row)
{
    QStringList texts;
    for (int c = 0; c < model->columnCount(); ++c)
        texts << model->index(row, c).data().toString();
    return texts;
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
    void attachAndTakeBack();
    void refusals();
    void datagramBytes();
    void manualAddressWindow();
    void awayNoteFetch();
    void sendToSeveral();
    void groups();
    void otherPrograms_data();
    void otherPrograms();
    void searchesKeepTheirDistance();
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

// A drop on widget as the desktop delivers it: of files, or else of text.
void drop(QWidget *widget, const QList<QUrl> &files, const QString &text = {})
{
    QMimeData mime;
    files.isEmpty() ? mime.setText(text) : mime.setUrls(files);
    QDragEnterEvent enter(QPoint(8, 8), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &enter);
    QDropEvent dropped(QPointF(8, 8), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &dropped);
}

QStringList texts(QMenu *menu)
{
    emit menu->aboutToShow();
    QStringList t;
    for (const QAction *a : menu->actions())
        t << (a->isEnabled() ? QString() : QStringLiteral("(off) ")) + a->text();
    return t;
}

void ComposeTest::attachAndTakeBack()
{
    TestProgram a(A, B), b(B, A);
    a.env.filesPort = b.env.filesPort = 50319;
    b.writeSettings(settingsWithName(QStringLiteral("鈴木 一郎")));
    QVERIFY(a.start() && b.start());
    QTemporaryDir dir;
    const auto path = [&dir](const char *name) { return dir.filePath(QString::fromUtf8(name)); };
    for (const char *name : {"a.txt", "c.txt"}) {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(name) > 0);
    }
    QVERIFY(QDir().mkpath(path("図面")));
    FrmSnd &w = windows(*a).frmSnd();
    a.tray.press(TrayHost::Event::LeftButtonDown);
    QTRY_COMPARE(part<UserListModel>(*a).rowCount(), 1);
    clickRow(control<QTreeView>(w, "ListView1"), 0);

    // Files dropped on the message box are attached; dropped text is typed.
    auto *box = control<QPlainTextEdit>(w, "TxtMsg");
    drop(box->viewport(), {QUrl::fromLocalFile(path("a.txt")), QUrl::fromLocalFile(path("図面")),
                           QUrl::fromLocalFile(path("c.txt"))});
    drop(box->viewport(), {}, QStringLiteral("資料です"));
    QCOMPARE(box->toPlainText(), QStringLiteral("資料です"));
    auto *list = control<QListWidget>(w, "LstAttach");
    QCOMPARE(list->count(), 3);
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_Delete);
    QStringList attached;
    for (int i = 0; i < list->count(); ++i)
        attached << list->item(i)->text();
    QCOMPARE(attached, (QStringList{QStringLiteral("a.txt"), QStringLiteral("図面/")}));

    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QTRY_VERIFY(part<FileSharing>(*b).received(A, 1));
    QCOMPARE(part<FileSharing>(*b).received(A, 1)->offer.entries.size(), 2);
    QVERIFY(list->isHidden()); // they went with the message

    // Taken back from the window's menu, by the recipient's name.
    auto *withdraw = control<QMenu>(w, "mnuWithdraw");
    QCOMPARE(withdraw->title(), QStringLiteral("ﾌｧｲﾙの受け渡しをやめる(&W)"));
    QTRY_COMPARE(texts(withdraw),
                 QStringList{QStringLiteral("鈴木 一郎: a.txt ほか 1 件 (12/8 10:15)")});
    withdraw->actions().first()->trigger();
    QCOMPARE(texts(withdraw), QStringList{QStringLiteral("(off) （受け渡し中のﾌｧｲﾙはありません）")});
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

void ComposeTest::sendToSeveral()
{
    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    QVERIFY(t.start());
    Program &p = *t;
    RecordingPort &port = *t.port;
    choose(p, "mnuSendMsg");
    FrmSnd &w = windows(p).frmSnd();
    for (int i = 0; i < 12; ++i)
        listPeer(port, i, QString(), i == 2 ? QStringLiteral("<i>名前2</i>") : QString());
    auto *list = control<QTreeView>(w, "ListView1");

    // A click, then Ctrl with a click: the recipient box names them all, in
    // its tip too, as the peers wrote them (never as markup).
    clickRow(list, 0);
    clickRow(list, 1, Qt::ControlModifier);
    clickRow(list, 2, Qt::ControlModifier);
    const QString names = QStringLiteral("名前0、名前1、<i>名前2</i>");
    QCOMPARE(control<QLineEdit>(w, "TxtTO")->text(), names);
    QTextDocument tip;
    tip.setHtml(control<QLineEdit>(w, "TxtTO")->toolTip());
    QCOMPARE(tip.toPlainText(), names);
    QVERIFY(!control<QPushButton>(w, "CmdLetter")->isEnabled());
    port.sent.clear();
    control<QPlainTextEdit>(w, "TxtMsg")
        ->setPlainText(QStringLiteral("会議は 15 時からに変更です"));
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QStringList to;
    for (const auto &[address, bytes] : port.sent)
        to << address + u' ' + cp932::decode(bytes).mid(28);
    QCOMPARE(to, (QStringList{QStringLiteral("127.0.3.1 1       会議は 15 時からに変更です"),
                              QStringLiteral("127.0.3.2 2       会議は 15 時からに変更です"),
                              QStringLiteral("127.0.3.3 3       会議は 15 時からに変更です")}));
    QCOMPARE(part<HistoryModel>(p).row(3).recipient, QStringLiteral("<i>名前2</i>"));

    // One window follows each answer; none of them opens a window of its own.
    FrmSndList *results = topLevel<FrmSndList>();
    QVERIFY(results && results->isVisible());
    QCOMPARE(results->windowTitle(), QStringLiteral("送信結果（送信中 3）"));
    const QString name = QStringLiteral("相手").leftJustified(20);
    port.feed(cp932::encode(QStringLiteral("送信         ") + name), QStringLiteral("127.0.3.1"));
    port.feed(cp932::encode(QStringLiteral("OTHER送信")), QStringLiteral("127.0.3.2"));
    t.clock.setTime(QStringLiteral("10:31:05"));
    port.feed(cp932::encode(QStringLiteral("Open確認     ") + name + QStringLiteral("3       ")),
              QStringLiteral("127.0.3.3"));
    QCOMPARE(results->windowTitle(), QStringLiteral("送信結果（送信済 1、拒否 1、確認済 1）"));
    const QAbstractItemModel *states = control<QTreeView>(results, "LstResult")->model();
    QCOMPARE(rowTexts(states, 2),
             (QStringList{QStringLiteral("<i>名前2</i>"), QStringLiteral("確認済 10:31:05")}));
    QCOMPARE(part<HistoryModel>(p).row(3).receiveTime, QStringLiteral("10:31:05"));
    QVERIFY(!control<QPushButton>(results, "CmdResend")->isEnabled());
    QVERIFY(!topLevel<FrmSndOK>());

    // A new search empties the choice; the recipient box is the user's again.
    choose(p, "mnuSendMsg");
    QCOMPARE(control<QLineEdit>(w, "TxtTO")->text(), QString());
    QVERIFY(!control<QLineEdit>(w, "TxtTO")->isReadOnly());

    // More than ten asks first, naming how many; No sends nothing.
    for (int i = 0; i < 12; ++i)
        listPeer(port, i);
    list->selectAll();
    control<QPlainTextEdit>(w, "TxtMsg")->setPlainText(QStringLiteral("全員へ"));
    port.sent.clear();
    t.dialogs.answerNext(Dialogs::No);
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QCOMPARE(t.dialogs.shown.last().text, QStringLiteral("12 人に送信します。よろしいですか？"));
    QCOMPARE(t.dialogs.shown.last().buttons, Dialogs::Buttons::YesNo);
    QVERIFY(port.sent.isEmpty());
    QVERIFY(w.isVisible());
    t.dialogs.answerNext(Dialogs::Yes);
    QTest::mouseClick(control<QPushButton>(w, "CmdSend"), Qt::LeftButton);
    QCOMPARE(port.sent.size(), 12);
    QCOMPARE(results->windowTitle(), QStringLiteral("送信結果（送信中 12）"));
}

void ComposeTest::groups()
{
    // A group the office handed out is listed until the user saves their own.
    QTemporaryDir system;
    QFile office(system.filePath(QStringLiteral("portana.ini")));
    QVERIFY(office.open(QIODevice::WriteOnly));
    office.write(
        QStringLiteral("[groups]\n1\\name=総務\n1\\members=user5@127.0.3.6\nsize=1\n").toUtf8());
    office.close();
    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    t.env.systemSettingsFiles = {office.fileName()};
    QVERIFY(t.start());
    Program &p = *t;
    RecordingPort &port = *t.port;
    choose(p, "mnuSendMsg");
    FrmSnd &w = windows(p).frmSnd();
    for (int i = 0; i < 4; ++i)
        listPeer(port, i);
    auto *list = control<QTreeView>(w, "ListView1");
    auto *combo = control<QComboBox>(w, "CboGroup");
    const auto pick = [combo](const QString &item) {
        const int index = combo->findText(item);
        QVERIFY2(index >= 0, qPrintable(item));
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, (QStringList{QStringLiteral("総務"), QString(),
                                 QStringLiteral("選んだ人をｸﾞﾙｰﾌﾟに登録..."),
                                 QStringLiteral("ｸﾞﾙｰﾌﾟを削除...")}));
    auto *status = control<QLabel>(w, "panel2");
    pick(QStringLiteral("総務"));
    QCOMPARE(status->text(), QStringLiteral("「総務」0 人（一覧にいない人：user5@127.0.3.6）"));

    // Made from the rows chosen. A file that cannot be written is told; the
    // group stays, and the next change writes it.
    pick(QStringLiteral("選んだ人をｸﾞﾙｰﾌﾟに登録..."));
    QCOMPARE(t.dialogs.shown.last().text,
             QStringLiteral("ｸﾞﾙｰﾌﾟにする人を一覧から選んでください。"));
    clickRow(list, 1);
    clickRow(list, 3, Qt::ControlModifier);
    t.dialogs.text = QStringLiteral(" 営業 ");
    QVERIFY(QDir(t.folder.path()).mkdir(QStringLiteral("portana.ini")));
    pick(QStringLiteral("選んだ人をｸﾞﾙｰﾌﾟに登録..."));
    QCOMPARE(t.dialogs.asked, QStringList{QStringLiteral("ｸﾞﾙｰﾌﾟ名：")});
    QCOMPARE(t.dialogs.shown.last().text, QStringLiteral("ｸﾞﾙｰﾌﾟを保存できませんでした。"));
    QCOMPARE(combo->currentText(), QStringLiteral("営業"));
    QVERIFY(QDir(t.folder.path()).rmdir(QStringLiteral("portana.ini")));
    pick(QStringLiteral("総務"));
    t.dialogs.answerNext(Dialogs::Yes);
    pick(QStringLiteral("ｸﾞﾙｰﾌﾟを削除..."));
    QCOMPARE(t.dialogs.shown.last().text, QStringLiteral("ｸﾞﾙｰﾌﾟ「総務」を削除しますか？"));
    QFile ini(t.folder.filePath(QStringLiteral("portana.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(ini.readAll()),
             QStringLiteral("[groups]\n1\\members=user1@127.0.3.2, user3@127.0.3.4\n"
                            "1\\name=営業\nsize=1\n"));

    // Chosen later: those listed now are chosen (one who moved, by login, and said so);
    // those not listed are named.
    QTest::mouseClick(control<QPushButton>(w, "CmdKensaku"), Qt::LeftButton);
    listPeer(port, 0);
    listPeer(port, 3, QStringLiteral("127.0.3.9"));
    pick(QStringLiteral("営業"));
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(control<QLineEdit>(w, "TxtTO")->text(), QStringLiteral("名前3"));
    QCOMPARE(part<UserListModel>(p).selectedPeerAddress(), QStringLiteral("127.0.3.9"));
    // The one who moved is named with the address the message will go to.
    QCOMPARE(status->text(), QStringLiteral("「営業」1 人（一覧にいない人：user1@127.0.3.2）"
                                            "　名前3: 127.0.3.9 に移りました"));
}

void ComposeTest::otherPrograms_data()
{
    QTest::addColumn<QString>("peer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("sent"); // address and text of each message that left
    const QString a = QStringLiteral("ビルド完了");
    QTest::newRow("a listed login") << QStringLiteral("user1") << a << QStringLiteral("delivered")
                                    << QStringList{QStringLiteral("127.0.3.2 1       ビルド完了")};
    QTest::newRow("a host of a search range")
        << QStringLiteral("198.18.6.7") << a << QStringLiteral("delivered")
        << QStringList{QStringLiteral("198.18.6.7 1       ビルド完了")};
    // One host only, never a network: the window cannot do that either.
    for (const char *address : {"255.255.255.255", "0.0.0.0", "239.1.2.3", "224.0.0.1",
                                "198.18.5.255", "198.18.6.255", "127.0.2.9"})
        QTest::addRow("%s", address)
            << QString::fromLatin1(address) << a << QStringLiteral("not-one-host") << QStringList();
    QTest::newRow("a name of two")
        << QStringLiteral("同名") << a << QStringLiteral("ambiguous-peer") << QStringList();
    QTest::newRow("a control character") << QStringLiteral("user1") << QStringLiteral("a\x01b")
                                         << QStringLiteral("invalid") << QStringList();
}

void ComposeTest::otherPrograms()
{
    QFETCH(QString, peer);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(QStringList, sent);

    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    t.env.interfaces = [] {
        return std::vector<NetInterface>{{true, false, true, {QStringLiteral("198.18.5.255")}, {}}};
    };
    QFile ini(t.folder.filePath(QStringLiteral("portana.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[search]\ntargets=198.18.6.0/24\n");
    ini.close();
    QVERIFY(t.start());
    Program &p = *t;
    RecordingPort &port = *t.port;
    choose(p, "mnuSendMsg");
    listPeer(port, 1);
    listPeer(port, 2, QString(), QStringLiteral("同名"));
    listPeer(port, 3, QString(), QStringLiteral("同名"));
    port.sent.clear();

    QString answer;
    part<RemoteControl>(p).send(peer, text, {}, [&answer](const QString &r) { answer = r; });
    QStringList to;
    for (const auto &[address, bytes] : port.sent) {
        to << address + u' ' + cp932::decode(bytes).mid(28);
        port.feed(cp932::encode(QStringLiteral("送信         user")), address);
    }
    QCOMPARE(to, sent);
    QCOMPARE(answer, result);
}

void ComposeTest::searchesKeepTheirDistance()
{
    TestProgram t(A, QStringLiteral("127.0.2.9"), true);
    QVERIFY(t.start());
    Program &p = *t;
    RecordingPort &port = *t.port;
    const auto searches = [&port] {
        int n = 0;
        for (const auto &[address, bytes] : port.sent)
            n += address == u"127.0.2.9" && bytes == cp932::encode(QStringLiteral("GROUP検索"));
        return n;
    };
    choose(p, "mnuSendMsg");
    listPeer(port, 1);
    auto *list = control<QTreeView>(windows(p).frmSnd(), "ListView1");
    clickRow(list, 0);
    QCOMPARE(searches(), 1);

    // Another program asks twice at once: one search, at the end of the
    // gap, and the list and the choice stay through it.
    RemoteControl &remote = part<RemoteControl>(p);
    remote.search();
    remote.search();
    QCOMPARE(searches(), 1);
    t.clock.elapsed += PeerSearch::GapMsecs;
    QTRY_COMPARE_WITH_TIMEOUT(searches(), 2, 2 * PeerSearch::GapMsecs);
    QCOMPARE(rowTexts(list->model(), 0).first(), QStringLiteral("名前1"));
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);

    // 再検索 empties the list at once, and asks when the gap allows.
    QTest::mouseClick(control<QPushButton>(windows(p).frmSnd(), "CmdKensaku"), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), 0);
    QCOMPARE(searches(), 2);
}

QTEST_MAIN(ComposeTest)
#include "compose_test.moc"
