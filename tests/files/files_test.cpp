// The file channel's rules: the names a received file may take, and the
// frames as bytes on the wire.
#include "filesframe.h"
#include "receivedname.h"

#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace filesframe;

Q_DECLARE_METATYPE(filesframe::Frame)

class FilesTest : public QObject
{
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void nothingIsOverwritten_data();
    void nothingIsOverwritten();
    void framesAsBytes();
    void everyKindReadsBack_data();
    void everyKindReadsBack();
    void brokenStreams_data();
    void brokenStreams();
};

void FilesTest::names_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("problem");
    const QString ok;
    QTest::newRow("a file") << u"報告.xlsx"_s << ok;
    QTest::newRow("in folders") << u"図面/1階/平面図 (改).dxf"_s << ok;
    QTest::newRow("255 bytes") << QString(85, u'あ') << ok;
    QTest::newRow("a dot file") << u".profile"_s << ok;
    QTest::newRow("256 bytes") << QString(85, u'あ') + u'x'
                               << u"名前が長すぎます（255 ﾊﾞｲﾄまで）。"_s;
    QTest::newRow("empty") << QString() << u"名前がありません。"_s;
    QTest::newRow("absolute") << u"/etc/passwd"_s << u"絶対ﾊﾟｽです。"_s;
    QTest::newRow("up and out") << u"../.bashrc"_s << u"「..」は名前に使えません。"_s;
    QTest::newRow("up inside") << u"図面/../../x"_s << u"「..」は名前に使えません。"_s;
    QTest::newRow("a dot") << u"a/./b"_s << u"「.」は名前に使えません。"_s;
    QTest::newRow("an empty part") << u"a//b"_s << u"空の名前があります。"_s;
    QTest::newRow("a trailing slash") << u"a/"_s << u"空の名前があります。"_s;
    QTest::newRow("a backslash") << u"..\\..\\x"_s << u"名前の中に区切り文字があります。"_s;
    QTest::newRow("a line break") << u"a\nb.txt"_s << u"名前に制御文字があります。"_s;
    QTest::newRow("an escape") << u"\x1b[2Jx"_s << u"名前に制御文字があります。"_s;
    QTest::newRow("DEL") << u"a\x7f"_s << u"名前に制御文字があります。"_s;
    QTest::newRow("a C1 control") << u"a\u0085b"_s << u"名前に制御文字があります。"_s;
    QTest::newRow("33 folders deep")
        << QStringList(34, u"d"_s).join(u'/') << u"ﾌｫﾙﾀﾞが深すぎます。"_s;
}

void FilesTest::names()
{
    QFETCH(QString, path);
    QFETCH(QString, problem);
    QCOMPARE(receivedname::problem(path), problem);
}

void FilesTest::nothingIsOverwritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QStringList>("there");
    QTest::addColumn<QString>("saved");
    QTest::newRow("free") << u"報告.xlsx"_s << false << QStringList{u"報告.txt"_s}
                          << u"報告.xlsx"_s;
    QTest::newRow("a second") << u"報告.xlsx"_s << false << QStringList{u"報告.xlsx"_s}
                              << u"報告 (2).xlsx"_s;
    QTest::newRow("a third") << u"報告.xlsx"_s << false
                             << QStringList{u"報告.xlsx"_s, u"報告 (2).xlsx"_s}
                             << u"報告 (3).xlsx"_s;
    QTest::newRow("a dot file") << u".profile"_s << false << QStringList{u".profile"_s}
                                << u".profile (2)"_s;
    QTest::newRow("a folder with a dot")
        << u"図面.v2"_s << true << QStringList{u"図面.v2"_s} << u"図面.v2 (2)"_s;
    QTest::newRow("255 bytes: shortened for its number")
        << QString(83, u'あ') + u"xy.txt"_s << false
        << QStringList{QString(83, u'あ') + u"xy.txt"_s} << QString(82, u'あ') + u" (2).txt"_s;
}

void FilesTest::nothingIsOverwritten()
{
    QFETCH(QString, name);
    QFETCH(bool, folder);
    QFETCH(QStringList, there);
    QFETCH(QString, saved);
    const QSet<QString> taken(there.begin(), there.end());
    QCOMPARE(receivedname::free(name, folder, [&](const QString &n) { return taken.contains(n); }),
             saved);
    QVERIFY(receivedname::problem(saved).isEmpty());
}

// Lengths, kinds and fields where the other copy looks for them.
void FilesTest::framesAsBytes()
{
    const QByteArray token = "0123456789abcdef";
    QCOMPARE(write(Get{token, 2, 0x0102030405ull}), "\x00\x00\x00\x1d\x03"
                                                    "0123456789abcdef"
                                                    "\x00\x00\x00\x02"
                                                    "\x00\x00\x00\x01\x02\x03\x04\x05"_ba);
    QCOMPARE(write(Hello{QString::fromLatin1(Version)}),
             "\x00\x00\x00\x14\x01\x00\x00\x00\x0fPORTANA-FILES/1"_ba);
    QCOMPARE(write(Offer{u"198.18.0.2"_s, 7, token, {{u"図/a"_s, false, 3, 1000}}}),
             "\x00\x00\x00\x41\x02"
             "\x00\x00\x00\x0a"
             "198.18.0.2"
             "\x00\x00\x00\x07"
             "0123456789abcdef"
             "\x00\x00\x00\x01"
             "\x00\x00\x00\x05\xe5\x9b\xb3/a"
             "\x00"
             "\x00\x00\x00\x00\x00\x00\x00\x03"
             "\x00\x00\x00\x00\x00\x00\x03\xe8"_ba);
}

void FilesTest::everyKindReadsBack_data()
{
    QTest::addColumn<Frame>("frame");
    const QByteArray token(TokenBytes, '\xa5');
    QTest::newRow("hello") << Frame(Hello{u"PORTANA-FILES/1"_s});
    QTest::newRow("offer") << Frame(Offer{
        u"198.18.0.2"_s,
        4000000000u,
        token,
        {{u"図面"_s, true, 0, -5}, {u"図面/平面図.dxf"_s, false, 1ull << 40, 1765400000000}}});
    QTest::newRow("get") << Frame(Get{token, 9, 1ull << 33});
    QTest::newRow("data") << Frame(Data{QByteArray(ChunkBytes, '\0')});
    QTest::newRow("end") << Frame(End{QByteArray(32, '\x5a')});
    QTest::newRow("refusal") << Frame(Refusal{Refusal::Changed, u"送った後に変更されました。"_s});
    QTest::newRow("cancel") << Frame(Cancel{token});
    QTest::newRow("taken") << Frame(Taken{});
}

// Read back whole, also a byte at a time, and one frame after another.
void FilesTest::everyKindReadsBack()
{
    QFETCH(Frame, frame);
    const QByteArray bytes = write(frame);
    Reader reader;
    for (char b : bytes) {
        QVERIFY(!reader.next());
        QVERIFY(reader.wanted() > 0);
        reader.feed(QByteArray(1, b));
    }
    QCOMPARE(reader.wanted(), 0);
    QCOMPARE(reader.next(), frame);
    reader.feed(bytes + bytes);
    QCOMPARE(reader.next(), frame);
    QCOMPARE(reader.next(), frame);
    QVERIFY(!reader.next());
    QVERIFY(!reader.broken());
}

void FilesTest::brokenStreams_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray token(TokenBytes, 't');
    QTest::newRow("garbage") << "GET / HTTP/1.1\r\n\r\n"_ba;
    QTest::newRow("a frame that claims 4 GB") << "\xff\xff\xff\xff\x04"_ba;
    QTest::newRow("one byte past the limit") << "\x00\x10\x00\x01\x04"_ba;
    QTest::newRow("an empty frame") << "\x00\x00\x00\x00"_ba;
    QTest::newRow("an unknown kind") << "\x00\x00\x00\x01\x09"_ba;
    QTest::newRow("a taken with a body") << "\x00\x00\x00\x02\x08\x00"_ba;
    QTest::newRow("a text longer than its frame") << "\x00\x00\x00\x09\x01\x00\x00\x01\x00"
                                                     "abcd"_ba;
    QTest::newRow("a short token") << "\x00\x00\x00\x05\x07"
                                      "abcd"_ba;
    QTest::newRow("a byte left over") << "\x00\x00\x00\x12\x07" + token + "x";
    QTest::newRow("not UTF-8") << "\x00\x00\x00\x07\x01\x00\x00\x00\x02\xff\xfe"_ba;
    QTest::newRow("a chunk too large")
        << "\x00\x01\x00\x02\x04"_ba + QByteArray(ChunkBytes + 1, 'd');
    QTest::newRow("a folder flag of 2") << write(Offer{u"a"_s, 1, token, {{u"x"_s, false, 0, 0}}})
                                               .replace(QByteArray("\x00\x00\x00\x01x\x00", 6),
                                                        QByteArray("\x00\x00\x00\x01x\x02", 6));
    QTest::newRow("more entries than an offer holds") << "\x00\x00\x00\x1e\x02\x00\x00\x00\x01"
                                                         "a"
                                                         "\x00\x00\x00\x01"_ba +
                                                             token + "\x00\x00\x4e\x21"_ba;
}

// Each is refused as it stands, and the stream stays refused: its
// connection is closed, and nothing after it is read.
void FilesTest::brokenStreams()
{
    QFETCH(QByteArray, bytes);
    Reader reader;
    reader.feed(bytes);
    QVERIFY(!reader.next());
    QVERIFY(reader.broken());
    QVERIFY(!reader.feed(write(Hello{u"PORTANA-FILES/1"_s})));
    QVERIFY(!reader.next());
}

QTEST_GUILESS_MAIN(FilesTest)
#include "files_test.moc"
