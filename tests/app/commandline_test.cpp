// The command line as a script uses it: what it asks of the running copy,
// what it prints and its exit status, against a bus the test plays.
#include "commandline.h"
#include "scripting.h"

#include <QDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

// The running copy as the test plays it; every call is noted.
struct FakeClient final : ScriptClient
{
    bool up = true;
    std::optional<QString> result;
    QStringList calls;

    bool running() override
    {
        calls << u"running"_s;
        return up;
    }
    std::optional<QString> send(const QString &peer, const QString &text,
                                const QStringList &files) override
    {
        calls << u"send "_s + peer + u'|' + text + (files.isEmpty() ? QString() : u'|' + files.join(u'|'));
        if (result == u"<hung>") { // stopped: the call's wait ran out
            hung = true;
            error = u"Did not receive a reply."_s;
            return std::nullopt;
        }
        if (!result)
            error = u"送れないﾒｯｾｰｼﾞです（空か、長すぎます）。"_s;
        return result;
    }
    std::optional<QList<PeerEntry>> peers() override
    {
        calls << u"peers"_s;
        // One login on two machines; a name with what would fake fields and lines.
        return QList<PeerEntry>{{u"鈴木 一郎"_s, u"suzuki"_s, u"198.18.0.5"_s},
                                {u"鈴木"_s, u"suzuki"_s, u"198.18.0.6"_s},
                                {u"山田\t課長\r\n"_s, u"ya\\mada"_s, u"198.18.0.7"_s}};
    }
    bool search() override
    {
        calls << u"search"_s;
        return true;
    }
    // result is the outcome; the sentence names it with the address.
    std::optional<std::pair<QString, QString>> check(const QString &address) override
    {
        calls << u"check "_s + address;
        if (!result) {
            error = u"「"_s + address + u"」はIPｱﾄﾞﾚｽではありません。"_s;
            return std::nullopt;
        }
        return std::pair{*result, address + u" は "_s + *result + u"。"_s};
    }
};

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT
private slots:
    void statuses_data();
    void statuses();
};

void CommandLineTest::statuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("result"); // the copy's answer to Send; empty: an error
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // how it begins

    const QString send = u"send 鈴木|ビルド完了"_s;
    const QStringList sendArgs{u"--send"_s, u"鈴木"_s, u"ビルド完了"_s};
    QTest::newRow("delivered") << sendArgs << QString() << true << u"delivered"_s << 0
                               << QStringList{u"running"_s, send} << QString() << QString();
    QTest::newRow("refused") << sendArgs << QString() << true << u"refused"_s << 1
                             << QStringList{u"running"_s, send} << QString()
                             << u"portana: 拒否されました\n"_s;
    QTest::newRow("no answer") << sendArgs << QString() << true << u"no-answer"_s << 4
                               << QStringList{u"running"_s, send} << QString()
                               << u"portana: 応答がありません\n"_s;
    QTest::newRow("unknown peer") << sendArgs << QString() << true << u"unknown-peer"_s << 5
                                  << QStringList{u"running"_s, send} << QString()
                                  << u"portana: 相手が見つかりません: 鈴木\n"_s;
    QTest::newRow("text the copy refuses")
        << sendArgs << QString() << true << QString() << 2 << QStringList{u"running"_s, send}
        << QString() << u"portana: 送れないﾒｯｾｰｼﾞです"_s;
    // Files by whole paths: the copy does not stand in the shell's folder.
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList attachArgs = sendArgs + QStringList{u"--attach"_s, QDir::current().relativeFilePath(self)};
    QTest::newRow("files the peer cannot take")
        << attachArgs << QString() << true << u"no-files"_s << 8
        << QStringList{u"running"_s, send + u'|' + self} << QString()
        << u"portana: 本文は届きましたが、相手はﾌｧｲﾙを受け取れません\n"_s;
    QTest::newRow("files delivered") << attachArgs << QString() << true << u"delivered"_s << 0
                                     << QStringList{u"running"_s, send + u'|' + self} << QString()
                                     << QString();
    QTest::newRow("a file that is not there: nothing is sent")
        << sendArgs + QStringList{u"--attach"_s, u"/nonexistent/報告.xlsx"_s} << QString() << true
        << QString() << 2 << QStringList() << QString()
        << u"portana: 読めないﾌｧｲﾙです: /nonexistent/報告.xlsx\n"_s;
    QTest::newRow("--attach without files")
        << sendArgs + QStringList{u"--attach"_s} << QString() << true << QString() << 2
        << QStringList() << QString() << u"portana: --attach には添えるﾌｧｲﾙが要ります\n"_s;
    QTest::newRow("no running copy: nothing is sent")
        << sendArgs << QString() << false << u"delivered"_s << 3 << QStringList{u"running"_s}
        << QString() << u"portana: 起動中のぽるとな～がありません\n"_s;
    QTest::newRow("text from standard input")
        << QStringList{u"--send"_s, u"198.18.0.9"_s, u"-"_s} << u"一行目\n二行目\n"_s << true
        << u"delivered"_s << 0 << QStringList{u"running"_s, u"send 198.18.0.9|一行目\n二行目"_s}
        << QString() << QString();
    QTest::newRow("peers, tab-separated, fields escaped")
        << QStringList{u"--peers"_s} << QString() << true << QString() << 0
        << QStringList{u"running"_s, u"peers"_s}
        << u"鈴木 一郎\tsuzuki\t198.18.0.5\n鈴木\tsuzuki\t198.18.0.6\n"
           u"山田\\t課長\\r\\n\tya\\\\mada\t198.18.0.7\n"_s
        << QString();
    QTest::newRow("a login of several: the candidates")
        << QStringList{u"--send"_s, u"suzuki"_s, u"x"_s} << QString() << true << u"ambiguous-peer"_s
        << 5 << QStringList{u"running"_s, u"send suzuki|x"_s, u"peers"_s} << QString()
        << u"portana: 同じ名前の相手が何人もいます: suzuki\n"
           u"鈴木 一郎\tsuzuki\t198.18.0.5\n鈴木\tsuzuki\t198.18.0.6\n"_s;
    QTest::newRow("a stopped copy")
        << sendArgs << QString() << true << u"<hung>"_s << 6 << QStringList{u"running"_s, send}
        << QString() << u"portana: 起動中のぽるとな～が応答しません\n"_s;
    // A NUL would cut the text on the bus; an escape is nothing a person typed.
    QTest::newRow("NUL in standard input")
        << QStringList{u"--send"_s, u"suzuki"_s, u"-"_s} << u"abc\0def"_s << true << u"delivered"_s
        << 2 << QStringList() << QString() << u"portana: 本文に制御文字があります"_s;
    QTest::newRow("escape in the text")
        << QStringList{u"--send"_s, u"suzuki"_s, u"\x1b[31m赤\x1b[0m"_s} << QString() << true
        << u"delivered"_s << 2 << QStringList() << QString()
        << u"portana: 本文に制御文字があります"_s;
    QTest::newRow("search") << QStringList{u"--search"_s} << QString() << true << QString() << 0
                            << QStringList{u"running"_s, u"search"_s} << QString() << QString();
    QTest::newRow("help lists the statuses")
        << QStringList{u"--help"_s} << QString() << false << QString() << 0 << QStringList()
        << u"使い方: portana [--help | --version | --send 相手 本文 [--attach ﾊﾟｽ...] |\n"
           u"                --peers | --search | --check IPｱﾄﾞﾚｽ]\n"_s
        << QString();
    QTest::newRow("version") << QStringList{u"--version"_s} << QString() << false << QString() << 0
                             << QStringList() << u"portana 1.2.3\n"_s << QString();
    // 接続確認: the sentence, on standard output when the peer answered.
    const QString check = u"check 198.18.0.9"_s;
    const QStringList checkArgs{u"--check"_s, u"198.18.0.9"_s};
    QTest::newRow("check: answered, not searched")
        << checkArgs << QString() << true << u"not-searched"_s << 0
        << QStringList{u"running"_s, check} << u"198.18.0.9 は not-searched。\n"_s << QString();
    QTest::newRow("check: unreachable")
        << checkArgs << QString() << true << u"unreachable"_s << 7
        << QStringList{u"running"_s, check} << QString() << u"198.18.0.9 は unreachable。\n"_s;
    QTest::newRow("check: no address the copy takes")
        << QStringList{u"--check"_s, u"sato"_s} << QString() << true << QString() << 2
        << QStringList{u"running"_s, u"check sato"_s} << QString()
        << u"portana: 「sato」はIPｱﾄﾞﾚｽではありません。\n"_s;
    QTest::newRow("check without an address")
        << QStringList{u"--check"_s} << QString() << true << QString() << 2 << QStringList()
        << QString() << u"portana: --check には相手のIPｱﾄﾞﾚｽが要ります\n"_s;
    // Usage errors never reach the copy.
    QTest::newRow("send without text")
        << QStringList{u"--send"_s, u"鈴木"_s} << QString() << true << QString() << 2
        << QStringList() << QString() << u"portana: --send には相手と本文が要ります\n"_s;
    QTest::newRow("empty text from input")
        << QStringList{u"--send"_s, u"鈴木"_s, u"-"_s} << u"\n"_s << true << QString() << 2
        << QStringList() << QString() << u"portana: 本文が空です\n"_s;
    QTest::newRow("one too many") << QStringList{u"--peers"_s, u"x"_s} << QString() << true
                                  << QString() << 2 << QStringList() << QString()
                                  << u"portana: 不明な引数です: x\n"_s;
    QTest::newRow("unknown option")
        << QStringList{u"--bogus"_s} << QString() << true << QString() << 2 << QStringList()
        << QString() << u"portana: 不明な引数です: --bogus\n"_s;
}

void CommandLineTest::statuses()
{
    QFETCH(QStringList, args);
    QFETCH(QString, input);
    QFETCH(bool, running);
    QFETCH(QString, result);
    QFETCH(int, status);
    QFETCH(QStringList, calls);
    QFETCH(QString, out);
    QFETCH(QString, err);

    FakeClient client;
    client.up = running;
    if (!result.isEmpty())
        client.result = result;
    QString inText = input, outText, errText;
    QTextStream in(&inText), o(&outText), e(&errText);
    const commandline::Command command = commandline::parse(args);
    QCOMPARE(commandline::run(command, &client, in, o, e, u"1.2.3"_s), status);
    o.flush();
    e.flush();
    QCOMPARE(client.calls, calls);
    if (QByteArray(QTest::currentDataTag()) == "help lists the statuses") {
        QVERIFY(outText.startsWith(out));
        QVERIFY(outText.contains(u"終了ｽﾃｰﾀｽ: 0 届いた (--check: 応答があった)  1 拒否された\n"_s));
        QVERIFY(outText.contains(u"           6 起動中のぽるとな～が応答しません\n"_s));
        QVERIFY(outText.contains(
            u"           7 このコンピューターからその相手に届かない (--check)\n"_s));
        QVERIFY(outText.contains(
            u"           8 本文は届いたが、相手はﾌｧｲﾙを受け取れない (--attach)\n"_s));
    } else {
        QCOMPARE(outText, out);
    }
    QVERIFY2(errText.startsWith(err), qPrintable(errText));
    QCOMPARE(errText.isEmpty(), err.isEmpty());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "commandline_test.moc"
