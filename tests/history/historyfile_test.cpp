// The history file byte for byte, the history window's detail view, and
// its file commands through the dialogs double.
#include "addrows.h"
#include "cp932.h"
#include "fakes.h"
#include "historybrowser.h"
#include "historyfile.h"
#include "historymodel.h"
#include "smalldisk.h"
#include "wiring.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime SavedAt(QDate(2026, 12, 8), QTime(9, 5, 7));

// Two rows as the program keeps them: a short name's blank, a discard mark,
// a two-line message, a double quote and a character with no code-page form.
void fill(HistoryModel &h)
{
    addRows(h, {{QStringLiteral("26/12/08"), QStringLiteral("山田 "), QStringLiteral("鈴木"),
                 QStringLiteral("10:15:00"), QStringLiteral("10:16:01*"),
                 QStringLiteral("一行目\r\n二行目")},
                {QStringLiteral("26/12/09"), QStringLiteral("Taro "), QString(),
                 QStringLiteral("11:00:02"), QString(), QStringLiteral("say \"hi\" 😀")}});
}

const QByteArray Saved = cp932::encode(
    u"\"FileName:dataFile\",#2026-12-08#,#09:05:07#,\"送受信件数： 2\"\r\n"
    u"\"26/12/08\",\"山田 \",\"鈴木\",\"10:15:00\",\"10:16:01*\",\"一行目\r\n二行目\"\r\n"
    u"\"26/12/09\",\"Taro \",\"\",\"11:00:02\",\"\",\"say 'hi' ?\"\r\n");

// The rows of Saved as they read back: the quote and the emoji as written.
const QStringList SavedRows{
    QStringLiteral("26/12/08|山田 |鈴木|10:15:00|10:16:01*|一行目\r\n二行目"),
    QStringLiteral("26/12/09|Taro ||11:00:02||say 'hi' ?")};

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList rows(const HistoryModel &h)
{
    QStringList out;
    for (int r = 1; r <= h.rowCount(); ++r) {
        const HistoryRow &x = h.row(r);
        out << QStringList{x.date, x.sender, x.recipient, x.sendTime, x.receiveTime, x.message}
                   .join(u'|');
    }
    return out;
}

} // namespace

class HistoryFileTest : public QObject
{
    Q_OBJECT
private slots:
    void writesAsOtherCopiesDo();
    void read_data();
    void read();
    void detailViewPaging();
    void saveAndLoadThroughTheDialogs();
    void saveOnAFullDiskKeepsTheEarlierFile();

private:
    FakeClock m_clock;
};

void HistoryFileTest::writesAsOtherCopiesDo()
{
    HistoryModel h(m_clock, [] { return QStringLiteral("山田 "); });
    fill(h);
    QCOMPARE(historyfile::write(h, SavedAt, QStringLiteral("送受信件数： 2")), Saved);
}

void HistoryFileTest::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isHistory");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("cut");
    const QStringList both = SavedRows;
    QTest::addRow("what was saved") << Saved << true << both << false;
    QTest::addRow("header only") << QByteArray(
                                        "\"FileName:dataFile\",#2026-12-08#,#09:05:07#,\"\"\r\n")
                                 << true << QStringList{} << false;
    QTest::addRow("not a history file")
        << QByteArray("\"optGFile\"\r\n\"0\"\r\n") << false << QStringList{} << false;
    QTest::addRow("other case") << QByteArray("\"filename:datafile\",1,2,3\r\n") << false
                                << QStringList{} << false;
    QTest::addRow("fields spread over lines, blanks, literals, unquoted")
        << QByteArray("\"FileName:dataFile\",#2026-12-08#\r\n#09:05:07#,\"\"\r\n"
                      "  \"a\",b ,\r\n\"c\",#10:00:00#,\"\"\r\n")
        << true << QStringList{QStringLiteral("a|b||c|#10:00:00#|")} << false;
    QTest::addRow("rows with every field empty skipped")
        << QByteArray("\"FileName:dataFile\",#2026-12-08#,#09:05:07#,\"\"\r\n"
                      ",,,,,\r\n\"\",\"\",\"\",\"\",\"\",\"\"\r\n\"d\",,,,,\r\n,,,,,,,,,,,\r\n")
        << true << QStringList{QStringLiteral("d|||||")} << false;
    QTest::addRow("cut inside the header")
        << QByteArray("\"FileName:dataFile\",#2025-01-01#") << true << QStringList{} << true;
    QTest::addRow("cut inside a record")
        << Saved + QByteArray("\"26/12/10\",\"x\",\"y\"\r\n") << true << QStringList{} << true;
    QTest::addRow("last record without its closing quote")
        << Saved.left(Saved.size() - 3) << true << QStringList{} << true;
}

void HistoryFileTest::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isHistory);
    QFETCH(QStringList, expected);
    QFETCH(bool, cut);
    const auto result = historyfile::read(bytes);
    QCOMPARE(result.isHistory, isHistory);
    QCOMPARE(result.cutShort, cut);
    HistoryModel h(m_clock, [] { return QString(); });
    QVERIFY(addRows(h, result.rows));
    QCOMPARE(rows(h), expected);
}

void HistoryFileTest::detailViewPaging()
{
    ScriptedDialogs dialogs;
    HistoryModel h(m_clock, [] { return QStringLiteral("山田 "); });
    HistoryBrowser b(h, m_clock, dialogs);
    wiring::historyToBrowser(h, b);
    for (int i = 1; i <= 5; ++i)
        h.logAddRecv(QStringLiteral("p%1 ").arg(i), QStringLiteral("m%1").arg(i));
    b.openRow(3);
    QCOMPARE(b.statusText(), QStringLiteral("送信履歴： 3/5"));
    QVERIFY(b.nextEnabled() && b.backEnabled());
    QCOMPARE(b.fromText(), QStringLiteral("From： p3 "));
    b.next();
    b.next();
    QCOMPARE(b.statusText(), QStringLiteral("送受信履歴： 5/5"));
    QCOMPARE(b.messageText(), QStringLiteral("m5"));
    QVERIFY(!b.nextEnabled());
    // A row that comes meanwhile: reached after one step back.
    h.logAddSend(QStringLiteral("q"), QStringLiteral("m6"));
    QVERIFY(!b.nextEnabled());
    b.back();
    b.next();
    b.next();
    QCOMPARE(b.currentRow(), 6);
    QCOMPARE(b.receiveTimeText(), QStringLiteral("受信時間： "));
    // Cleared under the detail view: back to the list, never a row that is gone.
    b.clear();
    QVERIFY(!b.detailOpen());
    b.back();
    QVERIFY(b.messageText().isEmpty());
    b.shown();
    QCOMPARE(b.statusText(), QStringLiteral("送受信件数： 0"));
    h.logAddRecv(QStringLiteral("only "), QStringLiteral("x"));
    b.openRow(1);
    QVERIFY(!b.nextEnabled() && !b.backEnabled());
    QVERIFY(!b.ok()); // the detail view closes; the window stays
    QVERIFY(b.ok());
}

void HistoryFileTest::saveAndLoadThroughTheDialogs()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    ScriptedDialogs dialogs;
    HistoryModel h(m_clock, [] { return QString(); });
    m_clock.set(SavedAt);
    HistoryBrowser b(h, m_clock, dialogs);
    wiring::historyToBrowser(h, b);
    b.save();
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("保存するﾃﾞｰﾀはありません。"));
    fill(h);
    b.shown();
    b.save(); // the dialog is cancelled
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("保存するﾌｧｲﾙを指定してください。"));
    dialogs.fileNames << path;
    b.save();
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("保存しました。"));
    QCOMPARE(dialogs.shown.last().title, QStringLiteral("送受信履歴"));
    QCOMPARE(readFile(path), Saved);

    const QStringList saved = rows(h);
    QFile foreign(dir.filePath(QStringLiteral("other.txt")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("\"optGFile\"\r\n");
    foreign.close();
    dialogs.fileNames << foreign.fileName() << path << path;
    QSignalSpy loaded(&b, &HistoryBrowser::loaded);
    const auto load = [&](bool append) {
        b.load(append);
        QVERIFY(loaded.wait(5000));
    };
    load(false);
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("履歴ﾌｧｲﾙではありません"));
    QCOMPARE(rows(h), saved);
    // A file cut short changes nothing, and says so.
    QFile cut(dir.filePath(QStringLiteral("cut.txt")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write("\"FileName:dataFile\",#2025-01-01#");
    cut.close();
    dialogs.fileNames.prepend(cut.fileName());
    load(false);
    QCOMPARE(dialogs.shown.last().text,
             QStringLiteral("履歴ﾌｧｲﾙが途中で切れているため、読み込みませんでした。\r") +
                 cut.fileName());
    QCOMPARE(rows(h), saved);
    // Cut after more rows than one step stores: those steps are undone too.
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(Saved.left(Saved.indexOf('\n') + 1) +
              Saved.mid(Saved.indexOf('\n') + 1).repeated(1500) + "\"26/12/10\",\"open");
    cut.close();
    dialogs.fileNames.prepend(cut.fileName());
    load(true);
    QCOMPARE(rows(h), saved);
    load(true); // 追加読込 appends
    QCOMPARE(rows(h), saved + SavedRows);
    load(false); // 読込 replaces
    QCOMPARE(rows(h), SavedRows);
    QCOMPARE(b.statusText(), QStringLiteral("送受信件数： 2"));
    // Each dialog starts from the name chosen last in either.
    QCOMPARE(dialogs.fileDialogStarts.last(), path);
}

void HistoryFileTest::saveOnAFullDiskKeepsTheEarlierFile()
{
    SmallDisk disk;
    if (!disk.mounted())
        QSKIP("mounting a small file system needs root");
    const QString path = disk.path(QStringLiteral("log.txt"));
    ScriptedDialogs dialogs;
    HistoryModel h(m_clock, [] { return QString(); });
    m_clock.set(SavedAt);
    HistoryBrowser b(h, m_clock, dialogs);
    wiring::historyToBrowser(h, b);
    fill(h);
    b.shown();
    dialogs.fileNames << path << path;
    b.save();
    disk.fill();
    for (int i = 0; i < 200; ++i)
        h.logAddRecv(QStringLiteral("x "), QString(300, u'x'));
    dialogs.answerNext(Dialogs::Cancel);
    b.save();
    QCOMPARE(dialogs.shown.last().text, QStringLiteral("ディスクの空き容量が不足しています。"));
    QCOMPARE(dialogs.shown.last().buttons, Dialogs::Buttons::RetryCancel);
    QCOMPARE(readFile(path), Saved);
}

QTEST_MAIN(HistoryFileTest)
#include "historyfile_test.moc"
