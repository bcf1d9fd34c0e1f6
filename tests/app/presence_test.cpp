// What peers see of this copy's presence, and what 接続確認 tells the user:
// the note left while the screen is locked, as a peer's search and fetch
// see it, and the one sentence a check ends with.
#include "cp932.h"
#include "frmsnd.h"
#include "testprogram.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Peer = u"127.0.3.9"_s;

// What a peer's search reads as the note mark, and the note it fetches.
QString seenByPeer(RecordingPort &port)
{
    port.sent.clear();
    port.feed(cp932::encode(u"GROUP検索"_s), Peer);
    if (port.sent.size() != 1 || port.sent[0].first != Peer)
        return u"<no answer>"_s;
    const QString mark = cp932::decode(port.sent[0].second).right(1);
    if (mark != u"○")
        return mark;
    port.sent.clear();
    port.feed(cp932::encode(u"LETTER GET "_s), Peer);
    // The kind, the name in its 20 bytes, the note.
    const QByteArray kind = cp932::encode(u"LETTER 置き手紙"_s);
    if (port.sent.size() != 1 || !port.sent[0].second.startsWith(kind))
        return u"○ <no note>"_s;
    return u"○ "_s + cp932::decode(port.sent[0].second.mid(kind.size() + 20));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class PresenceTest : public QObject
{
    Q_OBJECT
private slots:
    void awayWhileLocked_data();
    void awayWhileLocked();
    void theOptionSaysWhyItCannot();
    void connectionCheck_data();
    void connectionCheck();
};

void PresenceTest::awayWhileLocked_data()
{
    QTest::addColumn<QByteArray>("userIni");
    QTest::addColumn<QByteArray>("officeIni"); // the system-wide file
    // Steps: lock, unlock, note:TEXT (written in the note window), fetch
    // (a peer fetches the note); "=" what a peer sees then.
    QTest::addColumn<QStringList>("steps");
    const QByteArray on = "[away]\nonLock=true\n";
    QTest::newRow("no note: the usual one, fetched, withdrawn on unlock")
        << on << QByteArray() << QStringList{u"=－"_s,   u"lock"_s,   u"=○ 席を外しています。"_s,
                                             u"fetch"_s, u"unlock"_s, u"=－"_s};
    QTest::newRow("the user's own note: left alone")
        << on << QByteArray()
        << QStringList{u"note:会議中です"_s, u"lock"_s, u"=○ 会議中です"_s, u"unlock"_s,
                       u"=○ 会議中です"_s};
    QTest::newRow("a note written while locked stays")
        << on << QByteArray()
        << QStringList{u"lock"_s, u"note:15時に戻ります"_s, u"unlock"_s, u"=○ 15時に戻ります"_s};
    QTest::newRow("off: nothing left")
        << QByteArray() << QByteArray() << QStringList{u"lock"_s, u"=－"_s};
    QTest::newRow("the office turns it on, with its text")
        << QByteArray() << "[away]\nonLock=true\ntext=外出中、14時戻り\n"_ba
        << QStringList{u"lock"_s, u"=○ 外出中、14時戻り"_s, u"unlock"_s, u"=－"_s};
}

void PresenceTest::awayWhileLocked()
{
    QFETCH(QByteArray, userIni);
    QFETCH(QByteArray, officeIni);
    QFETCH(QStringList, steps);

    TestProgram t(u"127.0.2.9"_s, QString(), true);
    FakeScreenLock lock;
    t.env.screenLock = &lock;
    writeFile(t.folder.filePath(u"portana.ini"_s), userIni);
    const QString office = t.folder.filePath(u"office.ini"_s);
    writeFile(office, officeIni);
    t.env.systemSettingsFiles = {office};
    QVERIFY(t.start());
    Program &p = *t;
    for (const QString &step : steps) {
        if (step == u"lock" || step == u"unlock") {
            lock.set(step == u"lock");
        } else if (step.startsWith(u"note:")) {
            windows(p).openLetter();
            QWidget *letter = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == u"FrmLetter")
                    letter = w;
            QVERIFY(letter);
            control<QPlainTextEdit>(*letter, "TxtLetter")->setPlainText(step.mid(5));
            QTest::mouseClick(control<QPushButton>(*letter, "CmdOK"), Qt::LeftButton);
        } else if (step == u"fetch") {
            t.port->feed(cp932::encode(u"LETTER GET "_s), Peer);
        } else {
            QCOMPARE(seenByPeer(*t.port), step.mid(1));
        }
    }
}

// Where nothing tells of the lock, the option cannot be chosen and says
// why; where something does, choosing it is kept in portana.ini.
void PresenceTest::theOptionSaysWhyItCannot()
{
    for (const QString &why : {u"このデスクトップは画面のロックを知らせません。"_s, QString()}) {
        TestProgram t(u"127.0.2.9"_s, QString(), true);
        FakeScreenLock lock;
        lock.why = why;
        t.env.screenLock = &lock;
        QVERIFY(t.start());
        windows(*t).openOptions();
        QWidget *options = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == u"FrmOpt")
                options = w;
        QVERIFY(options);
        auto *box = control<QCheckBox>(*options, "ChkAwayLock");
        auto *text = control<QLineEdit>(*options, "TxtAwayLock");
        QCOMPARE(box->text(), u"画面のロック中は置き手紙を出す"_s);
        QCOMPARE(text->text(), u"席を外しています。"_s);
        QCOMPARE(box->isEnabled(), why.isEmpty());
        QCOMPARE(box->toolTip(), why);
        QVERIFY(!text->isEnabled());
        if (!why.isEmpty())
            continue;
        box->setChecked(true);
        QVERIFY(text->isEnabled());
        text->setText(u"昼休み, 13時まで"_s);
        QTest::mouseClick(control<QPushButton>(*options, "CmdOK"), Qt::LeftButton);
        QFile ini(t.folder.filePath(u"portana.ini"_s));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray bytes = ini.readAll();
        QVERIFY2(
            bytes.contains("[away]\nonLock=true\ntext=\"\xe6\x98\xbc\xe4\xbc\x91\xe3\x81\xbf, 13"
                           "\xe6\x99\x82\xe3\x81\xbe\xe3\x81\xa7\"\n"),
            bytes.constData());
    }
}

void PresenceTest::connectionCheck_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("asked");      // a search goes there, and is answered
    QTest::addColumn<QByteArray>("name"); // as the answer carries it
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<bool>("good"); // told as good news, not as a warning
    const QByteArray Sato = "\x8d\xb2\x93\xa1                "_ba; // 佐藤, in its 20 bytes
    // An escape sequence in a name would reach a script's terminal.
    QTest::newRow("a name with an escape, shown as spaces")
        << u"198.18.6.10"_s << true << "\x1b[2J\x1b]0;x\x07Z         "_ba
        << u"198.18.6.10 の  [2J ]0;x Z は応答し、一覧に載りました（前の検索の応答がなかったか、"
           u"届きませんでした）。"_s
        << true;
    QTest::newRow("listed now, in a search range")
        << u"198.18.6.9"_s << true << Sato
        << u"198.18.6.9 の 佐藤 は応答し、一覧に載りました（前の検索の応答がなかったか、"
           u"届きませんでした）。"_s
        << true;
    QTest::newRow("no search reaches it")
        << u"198.19.1.1"_s << true << Sato
        << u"198.19.1.1 の 佐藤 は応答しましたが、検索先にそのﾈｯﾄﾜｰｸがないため、再検索すると"
           u"一覧から消えます（ｵﾌﾟｼｮﾝの「ﾈｯﾄﾜｰｸ」で検索先に加えてください）。"_s
        << false;
    QTest::newRow("a broadcast: nothing sent")
        << u"198.18.5.255"_s << false << Sato
        << u"198.18.5.255 は一人の相手のIPｱﾄﾞﾚｽではありません（ﾌﾞﾛｰﾄﾞｷｬｽﾄやﾏﾙﾁｷｬｽﾄ）。"_s << false;
    QTest::newRow("a name: nothing sent")
        << u"sato"_s << false << Sato << u"「sato」はIPｱﾄﾞﾚｽではありません。"_s << false;
}

void PresenceTest::connectionCheck()
{
    QFETCH(QString, address);
    QFETCH(bool, asked);
    QFETCH(QByteArray, name);
    QFETCH(QString, sentence);
    QFETCH(bool, good);

    TestProgram t(u"127.0.2.9"_s, QString(), true);
    t.env.interfaces = [] {
        return std::vector<NetInterface>{
            {true, false, true, {u"198.18.5.255"_s}, {{0xc6120501u, 24}}}}; // 198.18.5.1/24
    };
    writeFile(t.folder.filePath(u"portana.ini"_s), "[search]\ntargets=198.18.6.0/24\n");
    QVERIFY(t.start());
    Program &p = *t;
    RecordingPort &port = *t.port;
    choose(p, "mnuSendMsg");
    const QByteArray reply = cp932::encode(u"GROUP  検索結果sato"_s) + QByteArray(16, ' ') +
                             QByteArray(40, ' ') + name + cp932::encode(u"－"_s);
    port.sent.clear();
    t.dialogs.text = address;
    control<QAction>(windows(p).frmSnd(), "mnuCheck")->trigger();
    QCOMPARE(t.dialogs.asked, QStringList{u"接続を確かめる相手のIPｱﾄﾞﾚｽ："_s});
    QList<QPair<QString, QByteArray>> search;
    if (asked)
        search = {{address, "GROUP\x8c\x9f\x8d\xf5"}};
    QCOMPARE(port.sent, search);
    if (asked)
        port.feed(reply, address);
    QTRY_COMPARE_WITH_TIMEOUT(t.dialogs.shown.size(), 1, 5000);
    QCOMPARE(t.dialogs.shown[0].title, u"接続確認"_s);
    QCOMPARE(t.dialogs.shown[0].text, sentence);
    QCOMPARE(t.dialogs.shown[0].icon,
             good ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
}

QTEST_MAIN(PresenceTest)
#include "presence_test.moc"
