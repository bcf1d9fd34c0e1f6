// The away note, the options dialog and the splitters of a whole copy.
#include "awaynote.h"
#include "composer.h"
#include "control.h"
#include "cp932.h"
#include "frmletter.h"
#include "frmopt.h"
#include "frmsnd.h"
#include "optsettings.h"
#include "peersearch.h"
#include "recvwindowlayout.h"
#include "sendwindowlayout.h"
#include "settingsstore.h"
#include "testprogram.h"
#include "traycontroller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString A = QStringLiteral("127.0.4.2");
const QString Peer = QStringLiteral("127.0.9.7");

struct Copy
{
    TestProgram t{A, QString(), true};
    Program &p() { return *t; }
    QStringList sent()
    {
        QStringList out;
        for (const auto &[to, bytes] : t.port->sent)
            out << cp932::decode(bytes);
        t.port->sent.clear();
        return out;
    }
    void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
};
} // namespace

class OptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void awayNoteStatesAndExchange();
    void dropOnTheNote_data();
    void dropOnTheNote();
    void optionsDialog();
    void cancelDropsAColour();
    void startAtLogin();
    void searchTargetsFromTheNetworkPage();
    void desktopNotificationAlsoWithATray();
    void noticeWordsAreNoNames_data();
    void noticeWordsAreNoNames();
    void splitterClamps_data();
    void splitterClamps();
};

void OptionsTest::awayNoteStatesAndExchange()
{
    Copy c;
    c.t.writeSettings(cp932::encode(u"\"optGFile\"\r\n\"0\"\r\n1,0,1,0,0,0\r\n0,\"\",\"\",\"\"\r\n"
                                    u"\"True\",\"False\",\"False\",\"False\",\"False\"\r\n0\r\n"
                                    u"\"山田                \",0\r\n"));
    QVERIFY(c.t.start());
    const QByteArray get = cp932::encode(u"LETTER GET ");
    const QByteArray search = cp932::encode(u"GROUP検索");
    const QString reply = QStringLiteral("LETTER 置き手紙山田") + sp(18);
    // No note: an empty answer, and no note announced afterwards either.
    c.t.port->feed(get, Peer);
    c.t.port->feed(search, Peer);
    QStringList out = c.sent();
    QCOMPARE(out[0], reply);
    QVERIFY(out[1].endsWith(QStringLiteral("－")));

    control<QAction>(part<TrayController>(c.p()).menu(), "mnuLetter")->trigger();
    FrmLetter *w = windows(c.p()).frmLetter();
    QVERIFY(w && w->isVisible());
    QCOMPARE(control<QLabel>(w, "panel1")->text(), QStringLiteral("未確認"));
    c.click(control<QPushButton>(w, "CmdOK"));
    QCOMPARE(c.t.dialogs.shown.last().text, QStringLiteral("内容を入力してください。"));
    control<QPlainTextEdit>(w, "TxtLetter")->setPlainText(QStringLiteral("15時に\n戻ります"));
    c.click(control<QPushButton>(w, "CmdOK"));
    QVERIFY(!w->isVisible());
    c.t.clock.setTime(QStringLiteral("14:03:05"));
    c.t.port->feed(search, Peer);
    c.t.port->feed(get, Peer);
    c.t.port->feed(get, Peer);
    out = c.sent();
    QVERIFY(out[0].endsWith(QStringLiteral("○")));
    QCOMPARE(out[1], reply + QStringLiteral("15時に\r\n戻ります"));
    QCOMPARE(out[2], out[1]);
    QCOMPARE(control<QLabel>(w, "panel1")->text(),
             QStringLiteral("確認されました...  ") +
                 QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat) +
                 QStringLiteral(" / 14:03:05>"));
    // Shown again after a fetch, OK ends the note.
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuLetter")->trigger();
    c.click(control<QPushButton>(w, "CmdOK"));
    QTRY_VERIFY(!windows(c.p()).frmLetter());
    c.t.port->feed(get, Peer);
    QCOMPARE(c.sent(), QStringList{reply});
    QVERIFY(!part<AwayNote>(c.p()).isSet());
}

void OptionsTest::dropOnTheNote_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("box");
    QTest::addRow("txt") << "memo.txt" << true << "abc"
                         << "";
    QTest::addRow("upper-case TXT") << "memo.TXT" << true << ""
                                    << "";
    QTest::addRow("doc") << "memo.doc" << true << ""
                         << "";
    QTest::addRow("unreadable") << "gone.txt" << false << ""
                                << "ﾌｧｲﾙ読込ｴﾗｰ:";
    QTest::addRow("no file at all") << "" << false << ""
                                    << "対象外ﾌｧｲﾙ";
}

void OptionsTest::dropOnTheNote()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(QString, note);
    QFETCH(QString, box);
    Copy c;
    QVERIFY(c.t.start());
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuLetter")->trigger();
    FrmLetter *w = windows(c.p()).frmLetter();
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a,b\r\n\"c\"\r\n");
    }
    QMimeData data;
    if (name.isEmpty())
        data.setText(QStringLiteral("selected text"));
    else
        data.setUrls({QUrl::fromLocalFile(path)});
    w->dropped(&data);
    QCOMPARE(control<QPlainTextEdit>(w, "TxtLetter")->toPlainText(), note);
    if (box.isEmpty())
        QVERIFY(c.t.dialogs.shown.isEmpty());
    else
        QCOMPARE(c.t.dialogs.shown.last().text, name.isEmpty() ? box : box + path);
}

void OptionsTest::optionsDialog()
{
    Copy c;
    c.t.writeSettings(
        cp932::encode(u"\"optGFile\"\r\n\"0\"\r\n1,1,1,0,0,0\r\n2,\"pw\",\"\",\"\"\r\n"));
    QVERIFY(c.t.start());
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuOther")->trigger();
    FrmOpt *o = windows(c.p()).frmOpt();
    QVERIFY(o && o->isVisible());
    QCOMPARE(o->windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ指定"));
    QCOMPARE(control<QTabBar>(o, "TabStrip1")->tabText(0), QStringLiteral("送受信 "));
    // 2 (a grant older copies saved) reads as the gate on, and is saved as 1.
    QCOMPARE(control<QCheckBox>(o, "ChkPw1")->checkState(), Qt::Checked);
    // Leaving the page puts the settings back, and the boxes follow the tick.
    control<QTabBar>(o, "TabStrip1")->setCurrentIndex(FrmOpt::Password);
    control<QCheckBox>(o, "ChkPw1")->click();
    QVERIFY(control<QLineEdit>(o, "TxtPw2")->isEnabled() &&
            !control<QLineEdit>(o, "TxtPw3")->isEnabled());
    control<QTabBar>(o, "TabStrip1")->setCurrentIndex(FrmOpt::Display);
    control<QTabBar>(o, "TabStrip1")->setCurrentIndex(FrmOpt::Password);
    QVERIFY(control<QCheckBox>(o, "ChkPw1")->isChecked() &&
            control<QLineEdit>(o, "TxtPw3")->isEnabled());
    // Unticking 送信完了確認 grays its dependant, whose tick is kept and saved.
    control<QCheckBox>(o, "ChkSend")->click();
    QVERIFY(!control<QCheckBox>(o, "ChkSndMin")->isEnabled() &&
            control<QCheckBox>(o, "ChkSndMin")->isChecked());
    control<QLineEdit>(o, "TxtName")->setText(QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    // OK on the password page saves nothing of the other pages.
    control<QTabBar>(o, "TabStrip1")->setCurrentIndex(FrmOpt::Password);
    control<QLineEdit>(o, "TxtPw2")->setText(QStringLiteral("wrong"));
    c.click(control<QPushButton>(o, "CmdOK"));
    QCOMPARE(c.t.dialogs.shown.last().text, QStringLiteral("現ﾊﾟｽﾜｰﾄﾞが誤っています。"));
    QTRY_VERIFY(!windows(c.p()).frmOpt());
    QCOMPARE(part<SettingsStore>(c.p()).settings().sndConfirm, 1);

    control<QAction>(part<TrayController>(c.p()).menu(), "mnuOther")->trigger();
    o = windows(c.p()).frmOpt();
    control<QCheckBox>(o, "ChkSend")->click();
    control<QLineEdit>(o, "TxtName")->setText(QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    // A font chosen shows in the message box at once.
    c.t.dialogs.font = Dialogs::Font{QStringLiteral("Noto Serif CJK JP"), 14, false, true};
    control<QTabBar>(o, "TabStrip1")->setCurrentIndex(FrmOpt::Display);
    c.click(control<QPushButton>(o, "CmdFont"));
    QCOMPARE(control<QLineEdit>(o, "TxtSize")->text(), QStringLiteral("14"));
    QCOMPARE(control<QPlainTextEdit>(windows(c.p()).frmSnd(), "TxtMsg")->font().pointSizeF(), 14.0);
    QVERIFY(control<QPlainTextEdit>(windows(c.p()).frmSnd(), "TxtMsg")->font().bold());
    c.click(control<QPushButton>(o, "CmdWrite"));
    QVERIFY(o->isVisible());
    QFile file(c.t.folder.filePath(QStringLiteral("optGFile.dat")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.at(2), QByteArray("0,1,1,0,0,0\r"));
    QCOMPARE(lines.at(3), QByteArray("1,\"pw\",\"\",\"\"\r"));
    QCOMPARE(lines.at(6), QByteArray("\"abcdefghijklmnopqrst\",0\r"));
    QVERIFY(lines.at(8).startsWith("\"Noto Serif CJK JP\",\"14\",\"0\",\"False\",\"True\""));
}

// A colour shows in the windows at once; ｷｬﾝｾﾙ takes it back, and only
// 更新 or OK puts it in force and in the file.
void OptionsTest::cancelDropsAColour()
{
    Copy c;
    QVERIFY(c.t.start());
    const auto *message =
        windows(c.p()).frmSnd().findChild<QPlainTextEdit *>(QStringLiteral("TxtMsg"));
    const QColor before = message->palette().color(QPalette::Base);
    const QColor chosen(0xFF, 0xC0, 0x00);
    c.t.dialogs.color = 0x00C0FF; // as the settings file holds colours: blue, green, red
    const auto choose = [&c] {
        control<QAction>(part<TrayController>(c.p()).menu(), "mnuOther")->trigger();
        QWidget *o = windows(c.p()).frmOpt();
        o->findChild<QTabBar *>(QStringLiteral("TabStrip1"))->setCurrentIndex(FrmOpt::Display);
        c.click(o->findChild<QPushButton *>(QStringLiteral("CmdColor")));
        return o;
    };
    QWidget *o = choose();
    QCOMPARE(message->palette().color(QPalette::Base), chosen);
    c.click(o->findChild<QPushButton *>(QStringLiteral("CmdCancel")));
    QTRY_VERIFY(!windows(c.p()).frmOpt());
    QCOMPARE(message->palette().color(QPalette::Base), before);
    QCOMPARE(part<SettingsStore>(c.p()).settings().backColor, QStringLiteral("16777215"));
    QVERIFY(!QFile::exists(c.t.folder.filePath(QStringLiteral("optGFile.dat"))));

    o = choose();
    c.click(o->findChild<QPushButton *>(QStringLiteral("CmdWrite")));
    c.click(o->findChild<QPushButton *>(QStringLiteral("CmdCancel")));
    QTRY_VERIFY(!windows(c.p()).frmOpt());
    QCOMPARE(message->palette().color(QPalette::Base), chosen);
    QFile file(c.t.folder.filePath(QStringLiteral("optGFile.dat")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains(",\"49407\""));
}

void OptionsTest::startAtLogin()
{
    Copy c;
    QVERIFY(c.t.start());
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuOther")->trigger();
    FrmOpt *o = windows(c.p()).frmOpt();
    const QString entry =
        c.t.folder.filePath(QStringLiteral("autostart/jp.portana.Portana.desktop"));
    QVERIFY(!control<QCheckBox>(o, "ChkStartup")->isChecked());
    control<QCheckBox>(o, "ChkStartup")->click();
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    file.close();
    QVERIFY(text.startsWith("[Desktop Entry]\nType=Application\n"));
    QVERIFY(text.contains(QStringLiteral("\nExec=\"/opt/ぽるとな～ 1/portana\"\n").toUtf8()));
    if (!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        QCOMPARE(QProcess::execute(QStringLiteral("desktop-file-validate"), {entry}), 0);
    // Not a setting: the settings file never hears of it.
    QVERIFY(!QFile::exists(c.t.folder.filePath(QStringLiteral("optGFile.dat"))));
    o->close();
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuOther")->trigger();
    QVERIFY(control<QCheckBox>(windows(c.p()).frmOpt(), "ChkStartup")->isChecked());
    control<QCheckBox>(windows(c.p()).frmOpt(), "ChkStartup")->click();
    QVERIFY(!QFile::exists(entry));
}

void OptionsTest::searchTargetsFromTheNetworkPage()
{
    Copy c;
    // What the office handed out is the list until the user saves one.
    QTemporaryDir system;
    QFile office(system.filePath(u"portana.ini"_s));
    QVERIFY(office.open(QIODevice::WriteOnly));
    office.write("[search]\ntargets=198.18.6.0/24, server.office.example\n");
    office.close();
    c.t.env.systemSettingsFiles = {office.fileName()};
    QVERIFY(c.t.start());
    choose(c.p(), "mnuOther");
    FrmOpt *o = windows(c.p()).frmOpt();
    control<QTabBar>(o, "TabStrip1")->setCurrentIndex(FrmOpt::Network);
    auto *targets = control<QPlainTextEdit>(o, "TxtTargets");
    QCOMPARE(targets->toPlainText(), u"198.18.6.0/24\nserver.office.example"_s);
    auto *check = control<QLabel>(o, "LblTargetCheck");
    // Checked as typed; OK refuses a line that cannot be a target.
    targets->setPlainText(u"pc-suzuki\n10.20.0.0/19"_s);
    QCOMPARE(check->text(),
             u"2行目「10.20.0.0/19」：\n範囲が広すぎます（4096 ｱﾄﾞﾚｽ、/20 まで）。"_s);
    c.click(control<QPushButton>(o, "CmdOK"));
    QCOMPARE(c.t.dialogs.shown.last().text,
             u"2行目「10.20.0.0/19」：\r範囲が広すぎます（4096 ｱﾄﾞﾚｽ、/20 まで）。"_s);
    QVERIFY(o->isVisible());
    QVERIFY(!QFile::exists(c.t.folder.filePath(u"portana.ini"_s)));

    // Every line may be a target, and still too many together for one search.
    targets->setPlainText(u"10.20.16.0/20\n10.30.16.0/20\nserver.office.example"_s);
    QCOMPARE(check->text(), u"検索先が多すぎます（合わせて 8189 ｱﾄﾞﾚｽ、4096 まで）。"_s);
    c.click(control<QPushButton>(o, "CmdOK"));
    QCOMPARE(c.t.dialogs.shown.last().text, check->text());
    QVERIFY(o->isVisible());

    targets->setPlainText(u" 198.18.7.0/30 \n\n198.18.8.255"_s);
    QCOMPARE(check->text(), QString());
    // A file that cannot be written is told; OK writes it again.
    QVERIFY(QDir(c.t.folder.path()).mkdir(u"portana.ini"_s));
    c.click(control<QPushButton>(o, "CmdWrite"));
    QCOMPARE(c.t.dialogs.shown.last().text, u"検索先を保存できませんでした。"_s);
    QVERIFY(QDir(c.t.folder.path()).rmdir(u"portana.ini"_s));
    c.click(control<QPushButton>(o, "CmdOK"));
    QVERIFY(!o->isVisible());
    QFile ini(c.t.folder.filePath(u"portana.ini"_s));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), QByteArray("[search]\ntargets=198.18.7.0/30, 198.18.8.255\n"));

    // The next search goes to each address of the range, and to the broadcast listed.
    c.sent();
    choose(c.p(), "mnuSendMsg");
    QStringList to;
    for (const auto &[address, bytes] : c.t.port->sent)
        if (bytes == cp932::encode(u"GROUP検索"_s))
            to << address;
    QVERIFY(!to.join(u' ').contains(u"198.18.6."_s)); // the user's list won
    QCOMPARE(to.mid(to.size() - 3),
             (QStringList{u"198.18.7.1"_s, u"198.18.7.2"_s, u"198.18.8.255"_s}));
    auto *status = control<QLabel>(windows(c.p()).frmSnd(), "panel2");
    QCOMPARE(status->text(), u"検索 10:15:00"_s);
    // Where the network refuses a target, the status bar names it, once.
    c.t.port->refuse = true;
    c.t.clock.setTime(u"10:16:30"_s);
    c.t.clock.elapsed += PeerSearch::GapMsecs;
    c.click(control<QPushButton>(windows(c.p()).frmSnd(), "CmdKensaku"));
    QCOMPARE(status->text(), u"検索 10:16:30（届かない検索先：198.18.7.0/30、198.18.8.255）"_s);
}

void OptionsTest::desktopNotificationAlsoWithATray()
{
    Copy c;
    QVERIFY(c.t.start());
    const QByteArray message = cp932::encode(u"鈴木 "_s + sp(15) + u"09:08:073       本文"_s);
    // With a tray, the tray alone tells of an arrival.
    c.t.port->feed(message, Peer);
    QVERIFY(c.t.notifier.shown.isEmpty());

    choose(c.p(), "mnuOther");
    FrmOpt *o = windows(c.p()).frmOpt();
    auto *notify = control<QCheckBox>(o, "ChkNotify");
    QCOMPARE(notify->text(), u"デスクトップ通知も表示する"_s);
    QVERIFY(!notify->isChecked());
    notify->click();
    // On the same page: how long the history is kept (everything, unless chosen).
    auto *keep = control<QComboBox>(o, "CboKeep");
    QCOMPARE(keep->currentText(), u"すべて保存する"_s);
    QVERIFY(!control<QSpinBox>(o, "TxtKeep")->isEnabled());
    keep->setCurrentIndex(2);
    QCOMPARE(keep->currentText(), u"最近の件数分だけ保存する"_s);
    control<QSpinBox>(o, "TxtKeep")->setValue(500);
    // A file that cannot be written is told; the next OK writes it.
    QVERIFY(QDir(c.t.folder.path()).mkdir(u"portana.ini"_s));
    c.click(control<QPushButton>(o, "CmdWrite"));
    QCOMPARE(c.t.dialogs.shown.size(), 2);
    QCOMPARE(c.t.dialogs.shown[0].text, u"通知の設定を保存できませんでした。"_s);
    QCOMPARE(c.t.dialogs.shown[1].text, u"履歴の保存の設定を保存できませんでした。"_s);
    QVERIFY(QDir(c.t.folder.path()).rmdir(u"portana.ini"_s));
    c.click(control<QPushButton>(o, "CmdOK"));
    QFile ini(c.t.folder.filePath(u"portana.ini"_s));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(),
             QByteArray("[history]\ncount=500\nkeep=rows\n\n[notify]\nwithTray=true\n"));

    c.t.port->feed(message, u"127.0.9.8"_s);
    QCOMPARE(c.t.notifier.shown, QStringList{u"ぽるとな～|鈴木 からメッセージが届きました"_s});
}

void OptionsTest::noticeWordsAreNoNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");
    QTest::addRow("送信") << QStringLiteral("送信") << true;
    QTest::addRow("Open確認") << QStringLiteral("Open確認") << true;
    QTest::addRow("LETTER GET x") << QStringLiteral("LETTER GET x") << true;
    QTest::addRow("送信者") << QStringLiteral("送信者") << false;
}

void OptionsTest::noticeWordsAreNoNames()
{
    QFETCH(QString, name);
    QFETCH(bool, refused);
    Copy c;
    QVERIFY(c.t.start());
    control<QAction>(part<TrayController>(c.p()).menu(), "mnuOther")->trigger();
    FrmOpt *o = windows(c.p()).frmOpt();
    control<QLineEdit>(o, "TxtName")->setText(name);
    c.click(control<QPushButton>(o, "CmdOK"));
    QCOMPARE(part<SettingsStore>(c.p()).settings().optName.trimmed(), refused ? QString() : name);
    QCOMPARE(o->isVisible(), refused);
    if (refused) {
        QCOMPARE(c.t.dialogs.shown.last().text,
                 QStringLiteral("「") + name +
                     QStringLiteral("」は通知の言葉と同じため、名前に使えません。"));
        QCOMPARE(control<QTabBar>(o, "TabStrip1")->currentIndex(), int(FrmOpt::UserInfo));
    }
}

void OptionsTest::splitterClamps_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("inner");
    QTest::addColumn<double>("bar");
    QTest::addRow("send: far left") << true << 100.0 << 6000.0 << 600.0;
    QTest::addRow("send: free") << true << 2000.5 << 6000.0 << 2000.0;
    QTest::addRow("send: far right") << true << 5000.0 << 6000.0 << 4200.0;
    QTest::addRow("recv: top") << false << 12.0 << 4000.0 << 500.0;
    QTest::addRow("recv: free") << false << 1501.5 << 4000.0 << 1502.0;
    QTest::addRow("recv: bottom") << false << 3900.0 << 4000.0 << 3100.0;
    QTest::addRow("recv: short window, above 500") << false << 450.0 << 1200.0 << 500.0;
    QTest::addRow("recv: short window, below 500") << false << 700.0 << 1200.0 << 300.0;
}

void OptionsTest::splitterClamps()
{
    QFETCH(bool, send);
    QFETCH(double, p);
    QFETCH(double, inner);
    QFETCH(double, bar);
    QCOMPARE(send ? dragSendSplitter(p, inner) : dragRecvSplitter(p, inner), bar);
}

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
