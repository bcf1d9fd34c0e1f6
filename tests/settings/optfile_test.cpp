// optGFile.dat as other copies write and read it, byte for byte.
#include "cp932.h"
#include "fakes.h"
#include "optfile.h"
#include "placement.h"
#include "settingslocation.h"
#include "settingsstore.h"

#include "smalldisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QByteArray DefaultFile = "\"optGFile\"\r\n"
                               "\"0\"\r\n"
                               "1,0,1,0,0,0\r\n"
                               "0,\"\",\"\",\"\"\r\n"
                               "\"True\",\"False\",\"False\",\"False\",\"False\"\r\n"
                               "0\r\n"
                               "\"                    \",0\r\n"
                               "\"\",\"\",\"0\"\r\n"
                               "\"Noto Sans CJK JP\",\"9\",\"0\",\"False\",\"False\",\"False\","
                               "\"False\",\"16777215\"\r\n";

OptSettings defaults()
{
    OptSettings s;
    s.fontName = QStringLiteral("Noto Sans CJK JP");
    return s;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class OptFileTest : public QObject
{
    Q_OBJECT
private slots:
    void defaultsAreTheNineLines();
    void everyFieldInItsPlace();
    void parse_data();
    void parse();
    void storeMissingFileIsSilent();
    void storeForeignFileIsReportedAndKept();
    void storeSavesOwnerOnlyAndIdentically();
    void storeRandomIconIsSavedByTheNextSave();
    void storeOnAFullOrReadOnlyDisk();
    void settingsLocation_data();
    void settingsLocation();
    void placement_data();
    void placement();
};

void OptFileTest::defaultsAreTheNineLines()
{
    QCOMPARE(optfile::serialise(defaults()), DefaultFile);
}

void OptFileTest::everyFieldInItsPlace()
{
    // Text fields hold values no other field holds and on/off fields
    // alternate, so a swap shows.
    OptSettings s = defaults();
    s.iconNo = QStringLiteral("7");
    s.sndConfirm = false;
    s.sndConfirmMin = true;
    s.rcvConfirm = false;
    s.rcvConfirmMin = true;
    s.otherReject = true;
    s.rcvButton = false;
    s.pwCheck = true;
    s.pwStored = QStringLiteral("ﾊﾟｽ word");
    s.pwCurrent = QStringLiteral("a");
    s.pwNew = QStringLiteral("b");
    s.posCenter = false;
    s.posLeftUp = true;
    s.posLeftLow = false;
    s.posRightUp = true;
    s.posRightLow = false;
    s.iconRandom = true;
    s.setOptName(QStringLiteral("山田太郎ABCDEFGH")); // 12 characters
    s.autoErase = true;
    s.ipSetName = QStringLiteral("遠い人");
    s.ipSetAddr = QStringLiteral("198.18.5.5");
    s.blinkIcon = true;
    s.fontName = QStringLiteral("ＭＳ ゴシック");
    s.fontSize = QStringLiteral("10.5");
    s.fontColor = QStringLiteral("255");
    s.fontItalic = QStringLiteral("I");
    s.fontBold = QStringLiteral("B");
    s.fontUnderline = QStringLiteral("U");
    s.fontStrikethru = QStringLiteral("S");
    s.backColor = QStringLiteral("65280");

    const QByteArray expected =
        cp932::encode(u"\"optGFile\"\r\n\"7\"\r\n0,1,0,1,1,0\r\n1,\"ﾊﾟｽ word\",\"a\",\"b\"\r\n"
                      u"\"False\",\"True\",\"False\",\"True\",\"False\"\r\n1\r\n"
                      u"\"山田太郎ABCDEFGH        \",1\r\n\"遠い人\",\"198.18.5.5\",\"1\"\r\n"
                      u"\"ＭＳ ゴシック\",\"10.5\",\"255\",\"I\",\"B\",\"U\",\"S\","
                      u"\"65280\"\r\n");
    QCOMPARE(optfile::serialise(s), expected);

    // Read from the literal bytes, not from what the writer made.
    OptSettings back;
    QCOMPARE(optfile::parse(expected, back), optfile::ParseResult::Read);
    QCOMPARE(back, s);
}

void OptFileTest::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<OptSettings>("expected");

    const OptSettings d = defaults();
    QTest::addRow("defaults read back") << DefaultFile << false << d;
    QTest::addRow("identification only") << QByteArray("\"optGFile\"\r\n") << false << d;
    QTest::addRow("identification unquoted, no line end") << QByteArray("optGFile") << false << d;
    QTest::addRow("empty file") << QByteArray() << true << d;
    QTest::addRow("another program's file") << QByteArray("[Settings]\r\nx=1\r\n") << true << d;
    QTest::addRow("identification in other case") << QByteArray("\"OPTGFILE\"\r\n") << true << d;

    OptSettings longName = d;
    longName.optName = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    QByteArray longFile = DefaultFile;
    longFile.replace("\"                    \",0", "\"ABCDEFGHIJKLMNOPQRSTUVWXY\",0");
    QTest::addRow("25-character name read as 20") << longFile << false << longName;

    OptSettings shortName = d;
    shortName.optName = QStringLiteral("ab") + QString(18, u' ');
    QByteArray shortFile = DefaultFile;
    shortFile.replace("\"                    \",0", "\"ab\",0");
    QTest::addRow("short name padded to 20") << shortFile << false << shortName;

    QTest::addRow("lines after the ninth ignored")
        << DefaultFile + "\"more\"\r\n1,2,3\r\n\"optGFile\"\r\n"
        << false << d;

    OptSettings badInt = d;
    badInt.sndConfirm = 0;
    badInt.iconRandom = 1;
    QByteArray badIntFile = DefaultFile;
    badIntFile.replace("1,0,1,0,0,0", "0,x,0,1,1,1").replace("\r\n0\r\n", "\r\n1\r\n");
    QTest::addRow("not a number: rest of the record keeps its defaults")
        << badIntFile << false << badInt;

    OptSettings gate = d;
    gate.pwCheck = 1;
    gate.pwStored = QStringLiteral("pw");
    QTest::addRow("a grant an older copy saved (2) reads as the gate on")
        << QByteArray("\"optGFile\"\r\n\"0\"\r\n1,0,1,0,0,0\r\n2,\"pw\",\"\",\"\"\r\n") << false
        << gate;

    OptSettings comma = d;
    comma.ipSetName = QStringLiteral("a, b");
    QByteArray commaFile = DefaultFile;
    commaFile.replace("\"\",\"\",\"0\"", "\"a, b\",\"\",\"0\"");
    QTest::addRow("comma inside quotes") << commaFile << false << comma;

    OptSettings truncated = d;
    truncated.iconNo = QStringLiteral("4");
    truncated.sndConfirm = 0;
    QTest::addRow("cut off in the middle of a record")
        << QByteArray("\"optGFile\"\r\n\"4\"\r\n0,1") << false << [&] {
               OptSettings t = truncated;
               t.sndConfirmMin = 1;
               return t;
           }();

    OptSettings spaced = d;
    spaced.rcvConfirm = 0;
    QByteArray spacedFile = DefaultFile;
    spacedFile.replace("1,0,1,0,0,0", " 1, 0, 0 ,0,0,0");
    QTest::addRow("blanks around numbers") << spacedFile << false << spaced;

    QByteArray lfFile = DefaultFile;
    lfFile.replace("\r\n", "\n");
    QTest::addRow("LF line ends") << lfFile << false << d;
}

void OptFileTest::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, foreign);
    QFETCH(OptSettings, expected);
    OptSettings s = defaults();
    const auto result = optfile::parse(bytes, s);
    QCOMPARE(result == optfile::ParseResult::Foreign, foreign);
    QCOMPARE(optfile::serialise(s), optfile::serialise(expected));
}

void OptFileTest::storeMissingFileIsSilent()
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SettingsStore store(dir.path(), dialogs);
    QCOMPARE(store.rdOptSub(QStringLiteral("Noto Sans CJK JP")), std::nullopt);
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(store.optWrite());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("optGFile.dat"))), DefaultFile);
}

void OptFileTest::storeForeignFileIsReportedAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("optGFile.dat"));
    writeFile(path, "not ours\r\n");
    ScriptedDialogs dialogs;
    SettingsStore store(dir.path(), dialogs);
    QCOMPARE(store.rdOptSub(QStringLiteral("Noto Sans CJK JP")), std::nullopt);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("ぽるとな～のﾌｧｲﾙではありません"));
    QCOMPARE(dialogs.shown[0].title, QStringLiteral("ｴﾗｰ確認"));
    QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::None);
    QCOMPARE(dialogs.shown[0].buttons, Dialogs::Buttons::Ok);
    QCOMPARE(store.settings(), defaults());
    // Reading changed nothing on disk; the first save keeps the foreign file aside.
    QCOMPARE(readFile(path), QByteArray("not ours\r\n"));
    QVERIFY(store.optWrite());
    QCOMPARE(readFile(path), DefaultFile);
    QCOMPARE(readFile(path + QStringLiteral(".bak")), QByteArray("not ours\r\n"));
}

void OptFileTest::storeSavesOwnerOnlyAndIdentically()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("optGFile.dat"));
    ScriptedDialogs dialogs;
    SettingsStore store(dir.path(), dialogs);
    store.rdOptSub(QStringLiteral("Noto Sans CJK JP"));
    store.settings().pwStored = QStringLiteral("se\"cret");
    store.settings().setOptName(QStringLiteral("鈴木"));
    QVERIFY(store.optWrite());
    const QByteArray first = readFile(path);
    QVERIFY(store.optWrite());
    QCOMPARE(readFile(path), first);
    // Owner only: no group or other bits.
    const auto perms = QFile::permissions(path);
    QVERIFY(perms.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(int(perms & 0x0077), 0);
    // The quote is not written raw: the file still reads back whole.
    QVERIFY(first.contains("0,\"se'cret\",\"\",\"\"\r\n"));
    SettingsStore again(dir.path(), dialogs);
    QCOMPARE(again.rdOptSub(QStringLiteral("x")), 0);
    QCOMPARE(again.settings().optName, QStringLiteral("鈴木") + QString(18, u' '));
    QCOMPARE(again.settings().pwStored, QStringLiteral("se'cret"));
    QCOMPARE(again.settings().fontName, QStringLiteral("Noto Sans CJK JP"));
    QVERIFY(dialogs.shown.isEmpty());
}

void OptFileTest::storeRandomIconIsSavedByTheNextSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("optGFile.dat"));
    QByteArray file = DefaultFile;
    file.replace("\"0\"\r\n1,0", "\"2\"\r\n1,0").replace("\r\n0\r\n", "\r\n1\r\n");
    writeFile(path, file);
    ScriptedDialogs dialogs;
    SettingsStore store(dir.path(), dialogs, [] { return 8; });
    QCOMPARE(store.rdOptSub(QStringLiteral("Noto Sans CJK JP")), 8);
    QCOMPARE(readFile(path), file); // nothing written yet
    QVERIFY(store.optWrite());
    QVERIFY(readFile(path).startsWith("\"optGFile\"\r\n\"8\"\r\n"));

    // A number that names no set is handed on as such.
    file.replace("\"2\"\r\n", "\"x\"\r\n").replace("\r\n1\r\n", "\r\n0\r\n");
    writeFile(path, file);
    SettingsStore other(dir.path(), dialogs);
    QCOMPARE(other.rdOptSub(QStringLiteral("f")), -1);
}

void OptFileTest::storeOnAFullOrReadOnlyDisk()
{
    SmallDisk disk;
    if (!disk.mounted())
        QSKIP("mounting a small file system needs root");
    const QString path = disk.path(QStringLiteral("optGFile.dat"));
    ScriptedDialogs dialogs;
    SettingsStore store(disk.folder(), dialogs);
    store.rdOptSub(QStringLiteral("Noto Sans CJK JP"));
    QVERIFY(store.optWrite());
    disk.fill();

    // Cancel: the earlier file stays whole.
    store.settings().setOptName(QStringLiteral("満杯"));
    dialogs.answerNext(Dialogs::Cancel);
    QVERIFY(!store.optWrite());
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("ﾃﾞｨｽｸの空き容量が不足しています。"));
    QCOMPARE(dialogs.shown[0].buttons, Dialogs::Buttons::RetryCancel);
    QCOMPARE(readFile(path), DefaultFile);
    // Retry once space has been freed: the new bytes.
    dialogs.whileShown = [&](const Dialogs::Box &) { disk.free(); };
    dialogs.answerNext(Dialogs::Retry);
    QVERIFY(store.optWrite());
    QCOMPARE(dialogs.shown.size(), 2);
    QVERIFY(readFile(path).contains(cp932::encode(u"\"満杯                  \",0\r\n")));

    // A file not ours that cannot be kept aside is not overwritten either.
    writeFile(path, "not ours\r\n");
    SettingsStore foreign(disk.folder(), dialogs);
    foreign.rdOptSub(QStringLiteral("x"));
    QVERIFY(disk.readOnly());
    QVERIFY(!foreign.optWrite());
    QCOMPARE(dialogs.shown.last().text,
             QStringLiteral("ぽるとな～のﾌｧｲﾙではない ") + path +
                 QStringLiteral(" を残せないため、設定を保存しませんでした。"));
    QCOMPARE(readFile(path), QByteArray("not ours\r\n"));
}

void OptFileTest::settingsLocation_data()
{
    QTest::addColumn<QString>("beside"); // what stands beside the executable
    QTest::addColumn<int>("iconSet");    // what was read (-1: nothing)
    QTest::addColumn<bool>("savedBeside");
    QTest::addColumn<QString>("box"); // the first box shown, from start to first save
    QTest::addRow("none") << "none" << -1 << false << "";
    QTest::addRow("in a writable folder: portable") << "writable" << 5 << true << "";
    QTest::addRow("in a read-only folder") << "read-only" << 5 << false << "には書き込めないため";
    QTest::addRow("under /usr") << "usr" << 5 << false << "には書き込めないため";
    QTest::addRow("unreadable") << "unreadable" << -1 << true << "設定ﾌｧｲﾙを読めません。";
}

void OptFileTest::settingsLocation()
{
    QFETCH(QString, beside);
    QFETCH(int, iconSet);
    QFETCH(bool, savedBeside);
    QFETCH(QString, box);
    QTemporaryDir config;
    std::unique_ptr<SmallDisk> disk;
    std::unique_ptr<QTemporaryDir> folder;
    if (beside == u"read-only") {
        disk = std::make_unique<SmallDisk>();
        if (!disk->mounted())
            QSKIP("mounting a small file system needs root");
    }
    folder = std::make_unique<QTemporaryDir>(
        beside == u"usr" ? QStringLiteral("/usr/local/portana-test-XXXXXX") : QString());
    if (!folder->isValid())
        QSKIP("cannot make a folder under /usr");
    const QString program = disk ? disk->folder() : folder->path();
    const QString file = QDir(program).filePath(QStringLiteral("optGFile.dat"));
    if (beside == u"unreadable")
        QVERIFY(QDir().mkpath(file)); // a folder where the file should be
    else if (beside != u"none")
        writeFile(file, "\"optGFile\"\r\n\"5\"\r\n");
    if (disk)
        QVERIFY(disk->readOnly());

    ScriptedDialogs dialogs;
    SettingsStore store(locateSettings(program, config.path()), dialogs);
    QCOMPARE(store.rdOptSub(QStringLiteral("F")).value_or(-1), iconSet);
    QVERIFY(store.optWrite());
    QVERIFY(store.optWrite()); // told once
    QCOMPARE(store.filePath(),
             QDir(savedBeside ? program : config.path()).filePath(QStringLiteral("optGFile.dat")));
    QVERIFY(readFile(store.filePath()).startsWith("\"optGFile\""));
    QCOMPARE(dialogs.shown.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(dialogs.shown[0].text.contains(box), qPrintable(dialogs.shown[0].text));
    if (beside == u"unreadable") // kept aside, not replaced
        QVERIFY(QFileInfo(file + QStringLiteral(".bak")).isDir());
}

void OptFileTest::placement_data()
{
    QTest::addColumn<QString>("trueFlags");
    QTest::addColumn<QPointF>("expected"); // left, top; (-1,-1) for none
    QTest::addRow("centre") << QStringLiteral("center") << QPointF(5000 - 1500, 4000 - 1000.5);
    QTest::addRow("right up") << QStringLiteral("rightup") << QPointF(10000 - 3000, 0);
    QTest::addRow("right low") << QStringLiteral("rightlow") << QPointF(7000, 8000 - 2001 - 400);
    QTest::addRow("left up") << QStringLiteral("leftup") << QPointF(0, 0);
    QTest::addRow("left low") << QStringLiteral("leftlow") << QPointF(0, 5599);
    QTest::addRow("hand-edited: last in order wins")
        << QStringLiteral("center,leftup,rightlow") << QPointF(0, 0);
    QTest::addRow("none keeps its place") << QStringLiteral("") << QPointF(-1, -1);
}

void OptFileTest::placement()
{
    QFETCH(QString, trueFlags);
    const QStringList flags = trueFlags.split(u',');
    QFETCH(QPointF, expected);
    OptSettings s;
    const auto flag = [&](const char *name) { return flags.contains(QLatin1String(name)); };
    s.posCenter = flag("center");
    s.posRightUp = flag("rightup");
    s.posRightLow = flag("rightlow");
    s.posLeftUp = flag("leftup");
    s.posLeftLow = flag("leftlow");
    const auto at = placeWindow(s, QSizeF(3000, 2001), QSizeF(10000, 8000));
    QCOMPARE(at.value_or(QPointF(-1, -1)), expected);
}

QTEST_GUILESS_MAIN(OptFileTest)
#include "optfile_test.moc"
