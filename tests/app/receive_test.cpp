// The receiving side of a whole copy: arrival, the received-message window,
// the answers that go back, and the password gate in front of the body.
#include "composer.h"
#include "control.h"
#include "cp932.h"
#include "frmlog.h"
#include "frmmsgopen.h"
#include "frmpw.h"
#include "frmrecv.h"
#include "frmsnd.h"
#include "historymodel.h"
#include "historyview.h"
#include "icontheme.h"
#include "inbox.h"
#include "keptstore.h"
#include "optsettings.h"
#include "passwordgate.h"
#include "receiver.h"
#include "settingsstore.h"
#include "smalldisk.h"
#include "testprogram.h"
#include "traycontroller.h"
#include "twips.h"
#include "userlistmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString A = QStringLiteral("127.0.1.2");
const QString Taro = QStringLiteral("taro") + sp(16); // this copy's name field

// A message datagram from a peer.
QByteArray message(const QString &name20, const QString &ref8, const QString &body)
{
    return cp932::encode(name20 + QStringLiteral("12:34:56") + ref8 + body);
}

struct Copy
{
    TestProgram t{A, QString(), true};
    RecordingPort &port() { return *t.port; }
    Program &p() { return *t; }
    FrmRecv &w() { return windows(p()).frmRecv(); }
    // The peer at source sends one message.
    void arrive(const QString &source, const QString &name20, const QString &ref8,
                const QString &body = QStringLiteral("本文"))
    {
        port().feed(message(name20, ref8, body), source);
    }
    // What went out since the last look, decoded, with its address.
    QStringList sent()
    {
        QStringList out;
        for (const auto &[to, bytes] : port().sent)
            out << to + u'|' + cp932::decode(bytes);
        port().sent.clear();
        return out;
    }
    void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
};
} // namespace

class ReceiveTest : public QObject
{
    Q_OBJECT
private slots:
    void arrivalShowsSenderAsPlainText_data();
    void arrivalShowsSenderAsPlainText();
    void eleventhMessageIsAcknowledgedButNotKept();
    void discardDropsAllAndTheNextArrivalStartsAgain();
    void openConfirmationOncePerEntryAlsoWhenPaging();
    void openConfirmationThatCannotLeaveIsRetried();
    void reply_data();
    void reply();
    void quote_data();
    void quote();
    void passwordGateGrantsOneOpening();
    void gateHoldsOnEveryPath_data();
    void gateHoldsOnEveryPath();
    void passwordPage_data();
    void passwordPage();
    void withoutTrayEverythingStaysReachable();
    void historyWindowThroughTheGate();
    void keptAcrossRestart_data();
    void keptAcrossRestart();
    void fullStoreRefusesAndSaysSoOnce();
    void storeChangedUnderTheProgram_data();
    void storeChangedUnderTheProgram();
};

void ReceiveTest::arrivalShowsSenderAsPlainText_data()
{
    QTest::addColumn<QString>("nameField");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("historySender");
    QTest::addRow("name and blanks") << QStringLiteral("Taro") + sp(16)
                                     << QStringLiteral(" From Taro  TIME: 12:34:56") << u"Taro "_s;
    QTest::addRow("markup is text")
        << QStringLiteral("<b>x</b> [*]") + sp(8)
        << QStringLiteral(" From <b>x</b>  TIME: 12:34:56") << u"<b>x</b> "_s;
    QTest::addRow("20 blanks: the address")
        << sp(20) << QStringLiteral(" From 127.0.9.9 TIME: 12:34:56") << u""_s;
    QTest::addRow("no blank: the address")
        << QStringLiteral("abcdefghijklmnopqrst")
        << QStringLiteral(" From 127.0.9.9 TIME: 12:34:56") << u""_s;
}

void ReceiveTest::arrivalShowsSenderAsPlainText()
{
    QFETCH(QString, nameField);
    QFETCH(QString, caption);
    QFETCH(QString, historySender);
    Copy c;
    QVERIFY(c.t.start());
    const QString body = QStringLiteral("<b>x</b> &amp;\r\n二行目");
    c.arrive(QStringLiteral("127.0.9.9"), nameField, QStringLiteral("7       "), body);
    QCOMPARE(c.sent(), QStringList{QStringLiteral("127.0.9.9|送信         ") + Taro});
    QVERIFY(part<Receiver>(c.p()).alertUp());
    QCOMPARE(c.t.tray.attentionAsked, 0); // the tray tells of it
    QVERIFY(c.t.notifier.shown.isEmpty());
    QVERIFY(control<QAction>(part<TrayController>(c.p()).menu(), "mnuRecvMsg")->isEnabled());
    QCOMPARE(part<HistoryModel>(c.p()).row(1).sender, historySender);
    QCOMPARE(part<HistoryModel>(c.p()).row(1).message, body);

    c.t.tray.press(TrayHost::Event::LeftButtonDown);
    QVERIFY(c.w().isVisible());
    QCOMPARE(c.w().windowTitle().replace(QStringLiteral("[*][*]"), QStringLiteral("[*]")), caption);
    QCOMPARE(control<QPushButton>(c.w(), "CmdCback")->toolTip(), QStringLiteral("127.0.9.9へ返信"));
    QCOMPARE(control<QLabel>(c.w(), "panel4")->text(), QStringLiteral("受信件数：1"));
    QVERIFY(!control<QPlainTextEdit>(c.w(), "Text1")->isVisible());
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QVERIFY(control<QPlainTextEdit>(c.w(), "Text1")->isVisible());
    QCOMPARE(control<QPushButton>(c.w(), "CmdOPCL")->text(), QStringLiteral("CLOSE"));
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text1")->toPlainText(),
             QStringLiteral("<b>x</b> &amp;\n二行目"));
}

void ReceiveTest::eleventhMessageIsAcknowledgedButNotKept()
{
    Copy c;
    QVERIFY(c.t.start());
    for (int i = 1; i <= 11; ++i)
        c.arrive(QStringLiteral("127.0.9.%1").arg(i),
                 QStringLiteral("p%1 ").arg(i).leftJustified(20),
                 QStringLiteral("%1").arg(100 + i).leftJustified(8), QStringLiteral("m%1").arg(i));
    QCOMPARE(c.sent().size(), 11); // every one acknowledged
    QCOMPARE(part<HistoryModel>(c.p()).rowCount(), 11);
    QCOMPARE(part<HistoryModel>(c.p()).row(11).message, QStringLiteral("m11"));
    choose(c.p(), "mnuRecvMsg");
    QCOMPARE(control<QLabel>(c.w(), "panel4")->text(), QStringLiteral("受信件数：10"));
    for (int i = 0; i < 9; ++i)
        c.click(control<QPushButton>(c.w(), "CmdNext"));
    QVERIFY(!control<QPushButton>(c.w(), "CmdNext")->isEnabled());
    QCOMPARE(c.w().windowTitle(), QStringLiteral(" From p10  TIME: 12:34:56"));
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text1")->toPlainText(), QStringLiteral("m10"));
    // Entry 10 completes its own row, not the eleventh.
    QVERIFY(!part<HistoryModel>(c.p()).row(10).receiveTime.isEmpty());
    QVERIFY(part<HistoryModel>(c.p()).row(11).receiveTime.isEmpty());
}

void ReceiveTest::discardDropsAllAndTheNextArrivalStartsAgain()
{
    Copy c;
    QVERIFY(c.t.start());
    part<UserListModel>(c.p()).setSelectedPeerAddress(QStringLiteral("127.0.9.8"));
    QCOMPARE(part<Composer>(c.p()).send(QStringLiteral("hana"), QStringLiteral("sent by me")),
             Posted::Sent);
    c.arrive(QStringLiteral("127.0.9.1"), QStringLiteral("Ichi") + sp(16),
             QStringLiteral("31      "));
    c.arrive(QStringLiteral("127.0.9.2"), QStringLiteral("Ni") + sp(18),
             QStringLiteral("32      "));
    c.sent();
    c.t.clock.setTime(QStringLiteral("11:00:00"));
    choose(c.p(), "mnuRecvMsg");
    control<QPlainTextEdit>(c.w(), "Text2")->setPlainText(QStringLiteral("typed"));
    QVERIFY(c.w().close() == false); // the title bar's close is 閉じる
    QVERIFY(!c.w().isVisible());
    QCOMPARE(c.sent(), QStringList{QStringLiteral("127.0.9.1|破棄         ") + Taro +
                                   QStringLiteral("31      ")});
    QVERIFY(!control<QAction>(part<TrayController>(c.p()).menu(), "mnuRecvMsg")->isEnabled());
    QVERIFY(!part<Receiver>(c.p()).alertUp());
    QCOMPARE(part<HistoryModel>(c.p()).row(2).receiveTime, QStringLiteral("11:00:00*"));
    QCOMPARE(part<HistoryModel>(c.p()).row(3).receiveTime, QStringLiteral("11:00:00*"));
    QCOMPARE(part<HistoryModel>(c.p()).row(1).receiveTime, QString()); // sent: waits for its peer

    c.arrive(QStringLiteral("127.0.9.3"), QStringLiteral("San") + sp(17),
             QStringLiteral("33      "), QStringLiteral("new"));
    choose(c.p(), "mnuRecvMsg");
    QCOMPARE(control<QLabel>(c.w(), "panel4")->text(), QStringLiteral("受信件数：1"));
    QCOMPARE(c.w().windowTitle(), QStringLiteral(" From San  TIME: 12:34:56"));
    QVERIFY(control<QPlainTextEdit>(c.w(), "Text2")->toPlainText().isEmpty());
    QVERIFY(!control<QPushButton>(c.w(), "CmdNext")->isEnabled() &&
            !control<QPushButton>(c.w(), "CmdBack")->isEnabled());
}

void ReceiveTest::openConfirmationOncePerEntryAlsoWhenPaging()
{
    Copy c;
    QVERIFY(c.t.start());
    c.arrive(QStringLiteral("127.0.9.1"), QStringLiteral("Ichi") + sp(16),
             QStringLiteral("41      "));
    c.arrive(QStringLiteral("127.0.9.2"), QStringLiteral("Ni") + sp(18),
             QStringLiteral("42      "));
    c.sent();
    choose(c.p(), "mnuRecvMsg");
    c.t.clock.setTime(QStringLiteral("12:00:01"));
    c.click(control<QPushButton>(c.w(), "CmdOPCL")); // OPEN
    c.click(control<QPushButton>(c.w(), "CmdOPCL")); // CLOSE
    c.click(control<QPushButton>(c.w(), "CmdOPCL")); // OPEN: no second confirmation
    QCOMPARE(c.sent(), QStringList{QStringLiteral("127.0.9.1|Open確認     ") + Taro +
                                   QStringLiteral("41      ")});
    QVERIFY(!part<Receiver>(c.p()).alertUp());
    QCOMPARE(part<HistoryModel>(c.p()).row(1).recipient, QStringLiteral("taro "));
    QCOMPARE(part<HistoryModel>(c.p()).row(1).receiveTime, QStringLiteral("12:00:01"));
    // Body open: the next entry counts as opened at once; back again sends nothing.
    c.click(control<QPushButton>(c.w(), "CmdNext"));
    c.click(control<QPushButton>(c.w(), "CmdBack"));
    QCOMPARE(c.sent(), QStringList{QStringLiteral("127.0.9.2|Open確認     ") + Taro +
                                   QStringLiteral("42      ")});
    // Opening reset the alert: 閉じる now tells nobody.
    c.click(control<QPushButton>(c.w(), "CmdDel"));
    QVERIFY(c.sent().isEmpty());
}

void ReceiveTest::openConfirmationThatCannotLeaveIsRetried()
{
    Copy c;
    QVERIFY(c.t.start());
    c.arrive(QStringLiteral("127.0.9.1"), QStringLiteral("Ichi") + sp(16),
             QStringLiteral("5       "));
    c.sent();
    choose(c.p(), "mnuRecvMsg");
    c.port().refuse = true;
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QCOMPARE(c.t.dialogs.shown.size(), 1);
    QCOMPARE(c.t.dialogs.shown[0].text,
             QStringLiteral("開封確認を送信できませんでした。\r次に開いた時にもう一度送ります。"));
    QVERIFY(part<Receiver>(c.p()).alertUp());
    QVERIFY(part<HistoryModel>(c.p()).row(1).receiveTime.isEmpty());
    c.port().refuse = false;
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QCOMPARE(c.sent().size(), 1);
    QVERIFY(!part<Receiver>(c.p()).alertUp());
}

void ReceiveTest::reply_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("left");  // captions' names of what remains, in order
    QTest::addColumn<QString>("shown"); // the entry on display afterwards
    QTest::addColumn<bool>("nextEnabled");
    QTest::addColumn<bool>("backEnabled");
    QTest::addRow("first") << 1 << u"B C"_s << u"B"_s << true << false;
    QTest::addRow("middle") << 2 << u"A C"_s << u"C"_s << false << true;
    QTest::addRow("last") << 3 << u"A B"_s << u"B"_s << false << true;
}

void ReceiveTest::reply()
{
    QFETCH(int, position);
    QFETCH(QString, left);
    QFETCH(QString, shown);
    QFETCH(bool, nextEnabled);
    QFETCH(bool, backEnabled);
    Copy c;
    QVERIFY(c.t.start());
    for (const QString &n : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")})
        c.arrive(QStringLiteral("127.0.9.") + QString::number(n[0].unicode() - 'A' + 1), n + sp(19),
                 QStringLiteral("8       "));
    c.sent();
    choose(c.p(), "mnuRecvMsg");
    for (int i = 1; i < position; ++i)
        c.click(control<QPushButton>(c.w(), "CmdNext"));
    c.click(control<QPushButton>(c.w(), "CmdCback")); // nothing typed
    QCOMPARE(c.t.dialogs.shown.size(), 1);
    QCOMPARE(c.t.dialogs.shown[0].text, QStringLiteral("ﾒｯｾｰｼﾞを入力してください。"));
    c.port().refuse = true; // a reply that cannot leave is kept and not recorded
    control<QPlainTextEdit>(c.w(), "Text2")->setPlainText(QStringLiteral("了解\nです"));
    c.click(control<QPushButton>(c.w(), "CmdCback"));
    QCOMPARE(c.t.dialogs.shown.last().text,
             QStringLiteral("ﾒｯｾｰｼﾞを送信できませんでした。\r入力した内容は残してあります。"));
    QCOMPARE(part<HistoryModel>(c.p()).rowCount(), 3);
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text2")->toPlainText(), QStringLiteral("了解\nです"));
    c.port().refuse = false;
    c.t.clock.setTime(QStringLiteral("13:14:15"));
    c.click(control<QPushButton>(c.w(), "CmdCback"));

    const QString to = QStringLiteral("127.0.9.%1|").arg(position);
    QCOMPARE(c.sent(), QStringList{to + Taro + QStringLiteral("13:14:154       了解\r\nです")});
    QCOMPARE(part<HistoryModel>(c.p()).row(4).recipient,
             QString(QChar(u'A' + position - 1)) + u' ');
    QCOMPARE(control<QPlainTextEdit>(windows(c.p()).frmSnd(), "TxtMsg")->toPlainText(),
             QStringLiteral("了解\nです"));
    QVERIFY(c.w().isVisible() && control<QPlainTextEdit>(c.w(), "Text2")->toPlainText().isEmpty());
    QCOMPARE(control<QLabel>(c.w(), "panel4")->text(), QStringLiteral("受信件数：2"));
    QCOMPARE(c.w().windowTitle(), QStringLiteral(" From %1  TIME: 12:34:56").arg(shown));
    QCOMPARE(control<QPushButton>(c.w(), "CmdNext")->isEnabled(), nextEnabled);
    QCOMPARE(control<QPushButton>(c.w(), "CmdBack")->isEnabled(), backEnabled);
    QStringList names;
    for (int i = 1; i <= part<Inbox>(c.p()).recvCount(); ++i)
        names << part<Inbox>(c.p()).entry(i).recvName.trimmed();
    QCOMPARE(names.join(u' '), left);

    // Replying to the other two empties the inbox and the window goes.
    control<QPlainTextEdit>(c.w(), "Text2")->setPlainText(QStringLiteral("x"));
    c.click(control<QPushButton>(c.w(), "CmdCback"));
    control<QPlainTextEdit>(c.w(), "Text2")->setPlainText(QStringLiteral("y"));
    c.click(control<QPushButton>(c.w(), "CmdCback"));
    QVERIFY(!c.w().isVisible());
    QVERIFY(!control<QAction>(part<TrayController>(c.p()).menu(), "mnuRecvMsg")->isEnabled());
}

void ReceiveTest::quote_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("quoted");
    QTest::addRow("two lines") << u"abc\r\ndef"_s << u">abc\r\n>def\r\nmine"_s;
    QTest::addRow("final CR LF") << u"abc\r\n"_s << u">abc\r\n\r\nmine"_s;
    QTest::addRow("empty") << u""_s << u"\r\nmine"_s;
}

void ReceiveTest::quote()
{
    QFETCH(QString, body);
    QFETCH(QString, quoted);
    QCOMPARE(Receiver::quoted(body, QStringLiteral("mine")), quoted);
}

void ReceiveTest::passwordGateGrantsOneOpening()
{
    Copy c;
    c.t.writeSettings(cp932::encode(u"\"optGFile\"\r\n\"3\"\r\n1,0,1,0,0,0\r\n"
                                    u"1,\"Pw \",\"\",\"\"\r\n"));
    QVERIFY(c.t.start());
    QCOMPARE(part<SettingsStore>(c.p()).settings().pwStored, QStringLiteral("Pw "));
    c.arrive(QStringLiteral("127.0.9.1"), QStringLiteral("Ichi") + sp(16),
             QStringLiteral("9       "));
    c.sent();
    choose(c.p(), "mnuRecvMsg");
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    FrmPw *pw = windows(c.p()).frmPw();
    QVERIFY(pw && pw->isVisible());
    QCOMPARE(pw->windowTitle(), QStringLiteral("ﾊﾟｽﾜｰﾄﾞ入力"));
    QVERIFY(!control<QPlainTextEdit>(c.w(), "Text1")->isVisible());
    for (const char *wrong : {"", "pw ", "Pw"}) {
        control<QLineEdit>(pw, "TxtPw")->setText(QLatin1String(wrong));
        c.click(control<QPushButton>(pw, "CmdOK"));
    }
    QCOMPARE(c.t.dialogs.shown.size(), 3);
    QCOMPARE(c.t.dialogs.shown[0].text, QStringLiteral("ﾊﾟｽﾜｰﾄﾞを入力してください。"));
    QCOMPARE(c.t.dialogs.shown[2].text, QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います。"));
    QVERIFY(pw->isVisible());
    control<QLineEdit>(pw, "TxtPw")->setText(QStringLiteral("Pw "));
    c.click(control<QPushButton>(pw, "CmdOK"));
    QTRY_VERIFY(!windows(c.p()).frmPw());
    QVERIFY(c.sent().isEmpty() &&
            !control<QPlainTextEdit>(c.w(), "Text1")->isVisible()); // granted, not yet opened
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QVERIFY(control<QPlainTextEdit>(c.w(), "Text1")->isVisible());
    QCOMPARE(c.sent().size(), 1);
    c.click(control<QPushButton>(c.w(), "CmdOPCL")); // CLOSE
    c.click(control<QPushButton>(c.w(), "CmdOPCL")); // asks again
    QVERIFY(windows(c.p()).frmPw() && !control<QPlainTextEdit>(c.w(), "Text1")->isVisible());
    // The history asks for the password too.
    choose(c.p(), "mnuLog");
    QVERIFY(windows(c.p()).frmPw() && !windows(c.p()).frmLog());
}

void ReceiveTest::gateHoldsOnEveryPath_data()
{
    QTest::addColumn<int>("pwCheck"); // as the settings file holds it
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("bodyShown");
    QTest::addColumn<bool>("passwordAsked");
    QTest::addColumn<QString>("replyBox");
    QTest::addColumn<QStringList>("sent"); // besides acknowledgements
    const QString open1 = u"127.0.9.1|Open確認     "_s + Taro + u"1       "_s;
    QTest::addRow("quote on a closed body")
        << 1 << u"show quote"_s << false << false << u""_s << QStringList{};
    QTest::addRow("quote on an opened body") << 1 << u"show open pw open quote"_s << true << false
                                             << u">SECRET-ONE\n"_s << QStringList{open1};
    QTest::addRow("hold, show, page") << 1 << u"show open pw open hold show next"_s << false
                                      << false << u""_s << QStringList{open1};
    QTest::addRow("grant, then the history")
        << 1 << u"show open pw history"_s << false << true << u""_s << QStringList{};
    QTest::addRow("grant, 閉じる, a new message, OPEN")
        << 1 << u"show open pw close arrive show open"_s << false << true << u""_s
        << QStringList{u"127.0.9.1|破棄         "_s + Taro + u"1       "_s};
    QTest::addRow("grant for one entry, OPEN on another")
        << 1 << u"show open pw next open"_s << false << true << u""_s << QStringList{};
    QTest::addRow("file with 2") << 2 << u"show open"_s << false << true << u""_s << QStringList{};
}

void ReceiveTest::gateHoldsOnEveryPath()
{
    QFETCH(int, pwCheck);
    QFETCH(QString, steps);
    QFETCH(bool, bodyShown);
    QFETCH(bool, passwordAsked);
    QFETCH(QString, replyBox);
    QFETCH(QStringList, sent);
    Copy c;
    c.t.writeSettings(cp932::encode(u"\"optGFile\"\r\n\"3\"\r\n1,0,1,0,0,0\r\n"_s +
                                    QString::number(pwCheck) + u",\"Pw\",\"\",\"\"\r\n"_s));
    QVERIFY(c.t.start());
    const auto arrive = [&c] {
        c.arrive(u"127.0.9.1"_s, u"Ichi"_s + sp(16), u"1       "_s, u"SECRET-ONE"_s);
        c.arrive(u"127.0.9.2"_s, u"Ni"_s + sp(18), u"2       "_s, u"SECRET-TWO"_s);
    };
    arrive();
    for (const QString &step : steps.split(u' ')) {
        if (step == u"show")
            choose(c.p(), "mnuRecvMsg");
        else if (step == u"arrive")
            arrive();
        else if (step == u"open")
            c.click(control<QPushButton>(c.w(), "CmdOPCL"));
        else if (step == u"quote")
            c.click(control<QPushButton>(c.w(), "CmdInyo"));
        else if (step == u"next")
            c.click(control<QPushButton>(c.w(), "CmdNext"));
        else if (step == u"hold")
            c.click(control<QPushButton>(c.w(), "CmdCancel"));
        else if (step == u"close")
            c.click(control<QPushButton>(c.w(), "CmdDel"));
        else if (step == u"history")
            control<QAction>(part<TrayController>(c.p()).menu(), "mnuLog")->trigger();
        else if (step == u"pw") {
            control<QLineEdit>(windows(c.p()).frmPw(), "TxtPw")->setText(u"Pw"_s);
            c.click(control<QPushButton>(windows(c.p()).frmPw(), "CmdOK"));
        }
    }
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text1")->isVisible(), bodyShown);
    QCOMPARE(windows(c.p()).frmPw() && windows(c.p()).frmPw()->isVisible(), passwordAsked);
    QVERIFY(!windows(c.p()).frmLog() || !windows(c.p()).frmLog()->isVisible());
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text2")->toPlainText(), replyBox);
    if (steps.endsWith(u"show quote"))
        QCOMPARE(c.t.dialogs.shown.last().text, u"ﾒｯｾｰｼﾞを開いてから引用してください。"_s);
    QStringList answers = c.sent();
    answers.removeIf([](const QString &d) { return d.contains(u"|送信         "); });
    QCOMPARE(answers, sent);
}

void ReceiveTest::passwordPage_data()
{
    QTest::addColumn<int>("tick");
    QTest::addColumn<QStringList>("boxes"); // in force, current, new
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("save");
    const QStringList abc{u"old"_s, u"old"_s, u"new"_s};
    QTest::addRow("nothing to do") << 0 << QStringList{u""_s, u""_s, u""_s} << u""_s
                                   << QStringList{u""_s, u""_s, u""_s} << false;
    QTest::addRow("first password")
        << 1 << QStringList{u""_s, u""_s, u"new"_s} << u"ﾊﾟｽﾜｰﾄﾞは設定されました。"_s
        << QStringList{u"new"_s, u""_s, u""_s} << true;
    QTest::addRow("ticked, both empty")
        << 1 << QStringList{u""_s, u""_s, u""_s} << u"新ﾊﾟｽﾜｰﾄﾞを入力してください。"_s
        << QStringList{u""_s, u""_s, u""_s} << false;
    QTest::addRow("ticked, wrong current")
        << 1 << QStringList{u"old"_s, u"Old"_s, u"new"_s} << u"現ﾊﾟｽﾜｰﾄﾞが誤っています。"_s
        << QStringList{u"old"_s, u"Old"_s, u""_s} << false;
    QTest::addRow("double quote refused")
        << 1 << QStringList{u"old"_s, u"old"_s, u"a\"b"_s} << u"ﾊﾟｽﾜｰﾄﾞに \" は使えません。"_s
        << QStringList{u"old"_s, u"old"_s, u"a\"b"_s} << false;
    QTest::addRow("removed") << 0 << QStringList{u"old"_s, u"old"_s, u""_s}
                             << u"ﾊﾟｽﾜｰﾄﾞは解除されました。"_s << QStringList{u""_s, u""_s, u""_s}
                             << true;
    QTest::addRow("grayed, new typed")
        << 2 << abc << u"ｽﾍﾟｰｽを入力してください。"_s << abc << false;
    QTest::addRow("unticked, wrong current")
        << 0 << QStringList{u"old"_s, u"x"_s, u"new"_s} << u"現ﾊﾟｽﾜｰﾄﾞが誤っています。"_s
        << QStringList{u"old"_s, u"x"_s, u"new"_s} << false;
}

void ReceiveTest::passwordPage()
{
    QFETCH(int, tick);
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    QFETCH(QStringList, after);
    QFETCH(bool, save);
    const auto o = passwordpage::apply(tick, boxes[0], boxes[1], boxes[2]);
    QCOMPARE(o.box ? o.box->text : QString(), message);
    QCOMPARE((QStringList{o.stored, o.current, o.fresh}), after);
    QCOMPARE(o.save, save);
}

void ReceiveTest::withoutTrayEverythingStaysReachable()
{
    Copy c;
    c.t.tray.hasTray = false;
    QVERIFY(c.t.start());
    FrmSnd &snd = windows(c.p()).frmSnd();
    choose(c.p(), "mnuSendMsg");
    part<UserListModel>(c.p()).setSelectedPeerAddress(QStringLiteral("127.0.9.1"));
    control<QLineEdit>(snd, "TxtTO")->setText(QStringLiteral("Ichi"));
    control<QPlainTextEdit>(snd, "TxtMsg")->setPlainText(QStringLiteral("hello"));
    c.click(control<QPushButton>(snd, "CmdSend"));
    QVERIFY(snd.isVisible() && snd.isMinimized());
    c.arrive(QStringLiteral("127.0.9.1"), QStringLiteral("<b>I</b> ") + sp(11),
             QStringLiteral("9       "));
    QVERIFY(windows(c.p()).frmMsgOpen() && windows(c.p()).frmMsgOpen()->isVisible());
    // Placed by the rule (centred) at its own size.
    const QPoint middle = windows(c.p()).frmMsgOpen()->screen()->geometry().center();
    // (within the frame the desktop adds after placing)
    QVERIFY((windows(c.p()).frmMsgOpen()->frameGeometry().center() - middle).manhattanLength() <=
            10);
    QCOMPARE(c.t.tray.attentionAsked, 1);
    // The desktop hears of it too, as text; activating it shows the messages.
    QCOMPARE(c.t.notifier.shown,
             QStringList{QStringLiteral("ぽるとな～|<b>I</b> からメッセージが届きました")});
    c.t.notifier.activate();
    QVERIFY(c.w().isVisible());
    c.w().hide();
    c.click(control<QPushButton>(windows(c.p()).frmMsgOpen(), "CmdMsgOpen"));
    QVERIFY(c.w().isVisible());
    QTRY_VERIFY(!windows(c.p()).frmMsgOpen());
}

void ReceiveTest::historyWindowThroughTheGate()
{
    Copy c;
    c.t.writeSettings(cp932::encode(u"\"optGFile\"\r\n\"3\"\r\n1,0,1,0,0,0\r\n"
                                    u"1,\"Pw \",\"\",\"\"\r\n"));
    QVERIFY(c.t.start());
    c.t.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)));
    c.arrive(QStringLiteral("127.0.9.1"), QStringLiteral("Ichi") + sp(16),
             QStringLiteral("9       "), QStringLiteral("一行目\r\n二行目"));
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuLog")->trigger();
    QVERIFY(!windows(c.p()).frmLog());
    control<QLineEdit>(windows(c.p()).frmPw(), "TxtPw")->setText(QStringLiteral("Pw "));
    c.click(control<QPushButton>(windows(c.p()).frmPw(), "CmdOK"));
    FrmLog *log = windows(c.p()).frmLog();
    QVERIFY(log && log->isVisible());
    QCOMPARE(log->windowTitle(), QStringLiteral("送受信履歴"));
    QCOMPARE(control<QLabel>(log, "panel1")->text() + u' ' + control<QLabel>(log, "panel2")->text(),
             QStringLiteral("2026/12/08 09:05"));
    QCOMPARE(control<QLabel>(log, "panel3")->text(), QStringLiteral("送受信件数： 1"));
    QCOMPARE(control<HistoryView>(log, "LvLog")->model()->headerData(5, Qt::Horizontal).toString(),
             QStringLiteral("ﾒｯｾｰｼﾞ"));
    QCOMPARE(control<HistoryView>(log, "LvLog")->columnWidth(5), twips::toPixelsX(8820));
    const QRect first = control<HistoryView>(log, "LvLog")
                            ->visualRect(control<HistoryView>(log, "LvLog")->model()->index(0, 0));
    QTest::mouseClick(control<HistoryView>(log, "LvLog")->viewport(), Qt::LeftButton, {},
                      first.center());
    QVERIFY(control<QFrame>(log, "PicLog")->isVisible() &&
            !control<HistoryView>(log, "LvLog")->isVisible());
    QCOMPARE(control<QLabel>(log, "LblFrom")->text(), QStringLiteral("From： Ichi "));
    QCOMPARE(control<QPlainTextEdit>(log, "TxtLog")->toPlainText(),
             QStringLiteral("一行目\n二行目"));
    QCOMPARE(control<QLabel>(log, "panel3")->text(), QStringLiteral("送信履歴： 1/1"));
    // A new row shows in the list at once.
    c.arrive(QStringLiteral("127.0.9.2"), QStringLiteral("Ni") + sp(18),
             QStringLiteral("8       "));
    QCOMPARE(control<HistoryView>(log, "LvLog")->model()->rowCount(), 2);

    QVERIFY(log->close() == false); // only hides
    QVERIFY(!log->isVisible());
}

void ReceiveTest::keptAcrossRestart_data()
{
    QTest::addColumn<QByteArray>("found"); // portana.db before the first start; empty: none
    QTest::addColumn<QString>("told");     // the one box at the first start
    QTest::addColumn<int>("waitingAfter"); // messages waiting after the restart
    QTest::addRow("kept") << QByteArray() << QString() << 3;
    QTest::addRow("damaged: left as it is, nothing kept")
        << QByteArray("SQLite format 3\0\x10\x00 not really", 30)
        << QStringLiteral("は壊れています。") << 0;
    QTest::addRow("a folder where the file goes")
        << QByteArray("dir") << QStringLiteral("は開けませんでした。") << 0;
    QTest::addRow("from a newer version: left as it is")
        << QByteArray("sql:PRAGMA user_version = 3")
        << QStringLiteral("は新しい版のぽるとな～のものです。") << 0;
    QTest::addRow("another program's database: left as it is")
        << QByteArray("sql:CREATE TABLE notes(x)") << QStringLiteral("は壊れています。") << 0;
}

// The program is killed after the batch was committed and before its
// acknowledgement left: the message waits again when it starts once more.
void ReceiveTest::keptAcrossRestart()
{
    QFETCH(QByteArray, found);
    QFETCH(QString, told);
    QFETCH(int, waitingAfter);
    Copy c;
    c.t.env.stateFolder = c.t.folder.filePath(QStringLiteral("state"));
    const QString db = c.t.env.stateFolder + QStringLiteral("/portana.db");
    QDir().mkpath(found == "dir" ? db : c.t.env.stateFolder);
    if (found.startsWith("sql:")) {
        QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        other.setDatabaseName(db);
        QVERIFY(other.open());
        QVERIFY(QSqlQuery(other).exec(QString::fromLatin1(found.mid(4))));
        other.close();
    } else if (!found.isEmpty() && found != "dir") {
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(found);
    }
    QSqlDatabase::removeDatabase(u"other"_s);
    const auto bytes = [&db] {
        QFile f(db);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    QVERIFY(c.t.start());
    QCOMPARE(c.t.dialogs.shown.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY(c.t.dialogs.shown[0].text.contains(told));
    c.arrive(QStringLiteral("127.0.9.1"), u"Ichi"_s + sp(16), u"7       "_s, u"一通目"_s);
    c.arrive(QStringLiteral("127.0.9.2"), u"Ni"_s + sp(18), u"8       "_s, u"二通目"_s);
    c.port().refuse = true; // killed before this acknowledgement leaves
    c.arrive(QStringLiteral("127.0.9.3"), u"San"_s + sp(17), u"9       "_s, u"三通目"_s);
    QCOMPARE(c.sent().size(), 2); // the first two were acknowledged, and kept
    c.t.program.reset();

    c.port().refuse = false;
    QVERIFY(c.t.start());
    QCOMPARE(c.t.dialogs.shown.size(), told.isEmpty() ? 0 : 2); // told again, once per start
    QCOMPARE(part<HistoryModel>(c.p()).rowCount(), waitingAfter);
    QCOMPARE(control<QAction>(part<TrayController>(c.p()).menu(), "mnuRecvMsg")->isEnabled(),
             waitingAfter > 0);
    QCOMPARE(sameIcon(c.t.tray.icon, part<IconTheme>(c.p()).arrival()), waitingAfter > 0);
    if (waitingAfter == 0) {
        QCOMPARE(bytes(), before); // untouched
        QCOMPARE(QFileInfo(db).isDir(), found == "dir");
        return;
    }
    QCOMPARE(part<HistoryModel>(c.p()).row(3).message, u"三通目"_s);
    QCOMPARE(part<HistoryModel>(c.p()).row(1).sender, u"Ichi "_s);
    c.t.tray.press(TrayHost::Event::LeftButtonDown);
    QCOMPARE(control<QLabel>(c.w(), "panel4")->text(), QStringLiteral("受信件数：3"));
    QVERIFY(control<QPushButton>(c.w(), "CmdNext")->isEnabled() &&
            !control<QPushButton>(c.w(), "CmdBack")->isEnabled());
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text1")->toPlainText(), u"一通目"_s);
    QCOMPARE(c.sent(), QStringList{u"127.0.9.1|Open確認     "_s + Taro + u"7       "_s});
    QCOMPARE(part<HistoryModel>(c.p()).row(1).recipient, u"taro "_s);
    // Opened once is opened for good: no second confirmation after a restart.
    c.t.program.reset();
    QVERIFY(c.t.start());
    c.t.tray.press(TrayHost::Event::LeftButtonDown);
    c.click(control<QPushButton>(c.w(), "CmdOPCL"));
    QCOMPARE(control<QPlainTextEdit>(c.w(), "Text1")->toPlainText(), u"一通目"_s);
    QCOMPARE(c.sent(), QStringList());
    // The store is this user's alone.
    QCOMPARE(QFileInfo(db).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(QFileInfo(c.t.env.stateFolder).permissions() & 0x0777, QFile::Permissions(0x0700));

    // An answered entry ends in the store too; the opened one is not confirmed twice.
    control<QPlainTextEdit>(c.w(), "Text2")->setPlainText(u"了解"_s);
    c.click(control<QPushButton>(c.w(), "CmdCback"));
    c.sent();
    c.t.program.reset();
    QVERIFY(c.t.start());
    c.t.tray.press(TrayHost::Event::LeftButtonDown);
    QCOMPARE(control<QLabel>(c.w(), "panel4")->text(), QStringLiteral("受信件数：2"));
    QCOMPARE(c.w().windowTitle(), u" From Ni  TIME: 12:34:56"_s);
    c.click(control<QPushButton>(c.w(), "CmdDel")); // 閉じる ends them all
    c.sent();
    c.t.program.reset();
    QVERIFY(c.t.start());
    QVERIFY(!control<QAction>(part<TrayController>(c.p()).menu(), "mnuRecvMsg")->isEnabled());
    QCOMPARE(part<HistoryModel>(c.p()).row(3).receiveTime, u"10:15:00*"_s);
}

void ReceiveTest::fullStoreRefusesAndSaysSoOnce()
{
    Copy c;
    c.t.env.stateFolder = c.t.folder.filePath(QStringLiteral("state"));
    QVERIFY(c.t.start());
    part<KeptStore>(c.p()).store().setSizeLimit(0);
    const QStringList refused{u"127.0.9.1|OTHER送信"_s};
    c.arrive(QStringLiteral("127.0.9.1"), u"Ichi"_s + sp(16), u"7       "_s);
    QCOMPARE(c.sent(), refused);
    QTRY_COMPARE(c.t.dialogs.shown.size(), 1); // told after the batch
    c.arrive(QStringLiteral("127.0.9.1"), u"Ichi"_s + sp(16), u"7       "_s);
    QCOMPARE(c.sent(), refused);
    QTest::qWait(50);
    QCOMPARE(c.t.dialogs.shown.size(), 1);
    QVERIFY(c.t.dialogs.shown[0].text.startsWith(u"履歴と受信ﾒｯｾｰｼﾞの保存先がいっぱいです"_s));
    QCOMPARE(part<HistoryModel>(c.p()).rowCount(), 0);
    QVERIFY(!part<Receiver>(c.p()).alertUp());
}

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "ok" for a whole database; and how many history rows it has.
QString integrity(const QString &db, int *rows)
{
    QString result;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
        c.setDatabaseName(db);
        c.open();
        QSqlQuery q(c);
        q.exec(u"PRAGMA integrity_check"_s);
        result = q.next() ? q.value(0).toString() : u"unreadable"_s;
        q.exec(u"SELECT count(*) FROM history"_s);
        *rows = q.next() ? q.value(0).toInt() : -1;
    }
    QSqlDatabase::removeDatabase(u"check"_s);
    return result;
}

} // namespace

void ReceiveTest::storeChangedUnderTheProgram_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("told");        // in the one box
    QTest::addColumn<QStringList>("waiting"); // after a restart, in order
    const QString lost = u"が消されたか、別のファイルに置き換えられました。"_s;
    QTest::addRow("the state folder deleted: what was kept is kept again")
        << u"delete"_s << lost << QStringList{u"一通目"_s, u"二通目"_s, u"三通目"_s};
    QTest::addRow("the file replaced by an older copy: that copy is the store")
        << u"replace"_s << lost << QStringList{u"一通目"_s, u"三通目"_s};
    QTest::addRow("a read-only store: told, nothing written")
        << u"read-only"_s << u"は書き込めません。"_s << QStringList{};
    QTest::addRow("a newer store with its log: left as it was, log too")
        << u"newer"_s << u"は新しい版のぽるとな～のものです。"_s << QStringList{};
    QTest::addRow("a logout while the store's box is up ends the program")
        << u"logout"_s << u"は壊れています。"_s << QStringList{};
}

void ReceiveTest::storeChangedUnderTheProgram()
{
    QFETCH(QString, change);
    QFETCH(QString, told);
    QFETCH(QStringList, waiting);
    Copy c;
    std::unique_ptr<SmallDisk> disk;
    if (change == u"read-only"_s) {
        disk = std::make_unique<SmallDisk>(u"1m"_s);
        if (!disk->mounted())
            QSKIP("a read-only file system needs root");
        c.t.env.stateFolder = disk->path(u"state"_s);
    } else {
        c.t.env.stateFolder = c.t.folder.filePath(u"state"_s);
    }
    const QString db = c.t.env.stateFolder + u"/portana.db"_s;
    const auto arrive = [&c](int n, const QString &body) {
        c.arrive(u"127.0.9.%1"_s.arg(n), u"Peer"_s + sp(16), u"5       "_s, body);
        return c.sent();
    };
    const QStringList acked{u"127.0.9.1|送信         "_s + Taro};

    if (change == u"newer"_s) {
        // Another version's database, its latest change still in its log.
        QDir().mkpath(c.t.env.stateFolder);
        QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"newer"_s);
        other.setDatabaseName(db);
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec(u"PRAGMA journal_mode = WAL"_s) && q.exec(u"PRAGMA user_version = 3"_s));
        QVERIFY(q.exec(u"PRAGMA wal_autocheckpoint = 0"_s));
        QVERIFY(q.exec(u"CREATE TABLE later(x)"_s) && q.exec(u"INSERT INTO later VALUES(1)"_s));
        QFile::copy(db, db + u".main"_s);
        QFile::copy(db + u"-wal"_s, db + u".log"_s);
        q.finish();
        other.close();
        QFile::remove(db);
        QFile::rename(db + u".main"_s, db);
        QFile::rename(db + u".log"_s, db + u"-wal"_s);
    } else if (change == u"logout"_s) {
        QDir().mkpath(c.t.env.stateFolder);
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all");
    } else {
        QVERIFY(c.t.start());
        QCOMPARE(arrive(1, u"一通目"_s), acked);
        c.t.program.reset();
        if (change == u"read-only"_s)
            QVERIFY(disk->readOnly());
    }
    QSqlDatabase::removeDatabase(u"newer"_s);
    const QByteArray before = fileBytes(db);
    const QByteArray logBefore = fileBytes(db + u"-wal"_s);
    QFile::copy(db, c.t.folder.filePath(u"older.db"_s));

    if (change == u"logout"_s) {
        c.t.dialogs.whileShown = [&c](const Dialogs::Box &) { c.p().end(); };
        QCOMPARE(c.t.make().start(), Program::StartResult::Ended);
        QVERIFY(!c.t.tray.present);
        QCOMPARE(fileBytes(db), before);
        return;
    }
    QVERIFY(c.t.start());
    if (change == u"delete"_s || change == u"replace"_s) {
        QCOMPARE(arrive(2, u"二通目"_s).size(), 1);
        if (change == u"delete"_s) {
            QVERIFY(QDir(c.t.env.stateFolder).removeRecursively());
        } else {
            QFile::remove(db);
            QVERIFY(QFile::rename(c.t.folder.filePath(u"older.db"_s), db));
        }
        QCOMPARE(arrive(3, u"三通目"_s), QStringList{u"127.0.9.3|送信         "_s + Taro});
        QTRY_COMPARE(c.t.dialogs.shown.size(), 1);
        int rows = 0;
        QCOMPARE(integrity(db, &rows), u"ok"_s);
        QCOMPARE(rows, waiting.size());
    } else {
        QCOMPARE(c.t.dialogs.shown.size(), 1);
        // It runs on in memory: messages are acknowledged, the file is left.
        QCOMPARE(arrive(1, u"一通目"_s), acked);
    }
    QVERIFY2(c.t.dialogs.shown[0].text.contains(told), qPrintable(c.t.dialogs.shown[0].text));
    c.t.program.reset();
    if (change == u"read-only"_s || change == u"newer"_s) {
        QCOMPARE(fileBytes(db), before);
        QCOMPARE(fileBytes(db + u"-wal"_s), logBefore);
    }

    QVERIFY(c.t.start());
    QStringList bodies;
    for (int n = 1; n <= part<Inbox>(c.p()).recvCount(); ++n)
        bodies << part<Inbox>(c.p()).entry(n).body;
    QCOMPARE(bodies, waiting);
    QCOMPARE(part<HistoryModel>(c.p()).rowCount(), waiting.size());
}

QTEST_MAIN(ReceiveTest)
#include "receive_test.moc"
