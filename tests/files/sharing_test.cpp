// The running copy's side of files: offering after a message, what the
// received-message window reads of an offer and its saving, saving as it
// arrives, and what the send window attaches.
#include "attachments.h"
#include "autosave.h"
#include "filesharing.h"
#include "receivedfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint16 Port = 50319;

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every file under folder, by its relative path, with its bytes.
QMap<QString, QByteArray> tree(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            found.insert(QDir(folder).relativeFilePath(f.fileName()), f.readAll());
    }
    return found;
}

// Two copies' file sides on loopback, each at an address of its own.
struct Pair
{
    QTemporaryDir sent, saved;
    FileSharing a{QHostAddress(u"127.0.7.21"_s), Port};
    FileSharing b{QHostAddress(u"127.0.7.22"_s), Port};
    QElapsedTimer clock;
    ReceivedFiles received{b, [this] { return saved.path(); }, [this] { return clock.elapsed(); }};
    Pair()
    {
        clock.start();
        QObject::connect(&b, &FileSharing::offerReceived, &received, &ReceivedFiles::offerArrived);
    }
};

} // namespace

class SharingTest : public QObject
{
    Q_OBJECT
private slots:
    void anOfferShowsUnderItsMessageAndIsSaved();
    void aCopyThatDoesNotListenCannotTakeFiles();
    void stoppedWhileSaving_data();
    void stoppedWhileSaving();
    void savedAsItArrives_data();
    void savedAsItArrives();
    void attaching();
};

void SharingTest::anOfferShowsUnderItsMessageAndIsSaved()
{
    Pair p;
    QVERIFY(p.a.listen());
    QVERIFY(p.b.listen());
    const QByteArray report = QByteArray(1 << 20, 'r') + "end";
    write(p.sent.filePath(u"報告.bin"_s), report);
    write(p.sent.filePath(u"図面/詳細/a.txt"_s), "alpha\n");
    write(p.sent.filePath(u"図面/b.txt"_s), "");
    // The message from a to b was its row 7; b shows it before the offer comes.
    p.received.show(u"127.0.7.21"_s, u"7       "_s);
    QCOMPARE(p.received.state(), ReceivedFiles::State::None);
    QSignalSpy offered(&p.a, &FileSharing::offered);
    QSignalSpy shown(&p.received, &ReceivedFiles::changed);
    p.a.offer(u"127.0.7.22"_s, 7,
              {p.sent.filePath(u"報告.bin"_s), p.sent.filePath(u"図面"_s)});
    QTRY_COMPARE(offered.size(), 1);
    QCOMPARE(offered.at(0), (QVariantList{u"127.0.7.22"_s, 7, QString()}));
    QTRY_COMPARE(p.received.state(), ReceivedFiles::State::Offered);
    QVERIFY(shown.size() > 0);
    QCOMPARE(p.received.rows(),
             (QStringList{u"報告.bin  (1.0 MB)"_s, u"図面/  (2 個、6 B)"_s}));
    // Another message on display shows nothing of it.
    p.received.show(u"127.0.7.21"_s, u"8       "_s);
    QCOMPARE(p.received.rows(), QStringList());
    p.received.show(u"127.0.7.21"_s, u"7       "_s);
    p.received.save();
    QCOMPARE(p.received.state(), ReceivedFiles::State::Saving);
    QTRY_COMPARE(p.received.state(), ReceivedFiles::State::Saved);
    QCOMPARE(p.received.percent(), 100);
    QCOMPARE(p.received.statusText(), u"保存しました: "_s + QDir::toNativeSeparators(p.saved.path()));
    const QMap<QString, QByteArray> expected{{u"報告.bin"_s, report},
                                             {u"図面/詳細/a.txt"_s, "alpha\n"},
                                             {u"図面/b.txt"_s, ""}};
    QCOMPARE(tree(p.saved.path()), expected);
    QTemporaryDir again;
    // A name with an escape in it: shown with a space, and never saved.
    write(p.sent.filePath(u"a\x1b[2Jb.txt"_s), "x");
    p.received.show(u"127.0.7.21"_s, u"9       "_s);
    p.a.offer(u"127.0.7.22"_s, 9, {p.sent.filePath(u"a\x1b[2Jb.txt"_s)});
    QTRY_COMPARE(p.received.rows(), QStringList{u"a [2Jb.txt  (1 B)"_s});
    p.received.save(again.path());
    QTRY_COMPARE(p.received.state(), ReceivedFiles::State::Failed);
    QVERIFY2(p.received.statusText().startsWith(u"「a [2Jb.txt」: "_s),
             qPrintable(p.received.statusText()));
    QCOMPARE(tree(again.path()), (QMap<QString, QByteArray>{}));
}

void SharingTest::aCopyThatDoesNotListenCannotTakeFiles()
{
    QTemporaryDir dir;
    write(dir.filePath(u"a.txt"_s), "a");
    FileSharing a(QHostAddress(u"127.0.7.31"_s), Port);
    QSignalSpy offered(&a, &FileSharing::offered);
    // Before it listens it cannot serve what it would offer.
    a.offer(u"127.0.7.32"_s, 3, {dir.filePath(u"a.txt"_s)});
    QCOMPARE(offered.size(), 1);
    QCOMPARE(offered.at(0).at(2).toString(), u"ファイルの受け渡し口 (TCP 50319) を開けていません。"_s);
    QVERIFY(a.listen());
    a.offer(u"127.0.7.32"_s, 4, {dir.filePath(u"a.txt"_s)});
    QTRY_COMPARE(offered.size(), 2);
    QCOMPARE(offered.at(1), (QVariantList{u"127.0.7.32"_s, 4, u"ファイルを受け取れません"_s}));
    // A path that went away is named, and nothing is offered.
    a.offer(u"127.0.7.32"_s, 5, {dir.filePath(u"gone.txt"_s)});
    QCOMPARE(offered.size(), 3);
    QCOMPARE(offered.at(2).at(2).toString(), u"「%1」を読めません。"_s.arg(dir.filePath(u"gone.txt"_s)));
}

void SharingTest::stoppedWhileSaving_data()
{
    QTest::addColumn<bool>("bySender");
    QTest::addColumn<QString>("told");
    QTest::newRow("中止, then 保存 again") << false << u"中止しました。"_s;
    QTest::newRow("taken back by the sender") << true << u"送信者が受け渡しをやめました。"_s;
}

void SharingTest::stoppedWhileSaving()
{
    QFETCH(bool, bySender);
    QFETCH(QString, told);
    Pair p;
    QVERIFY(p.a.listen());
    QVERIFY(p.b.listen());
    QByteArray big(24 << 20, '\0');
    for (qsizetype i = 0; i < big.size(); i += 4096)
        big[i] = char(i >> 12);
    write(p.sent.filePath(u"big.bin"_s), big);
    p.received.show(u"127.0.7.21"_s, u"2       "_s);
    p.a.offer(u"127.0.7.22"_s, 2, {p.sent.filePath(u"big.bin"_s)});
    QTRY_COMPARE(p.received.state(), ReceivedFiles::State::Offered);
    QCOMPARE(p.a.standing().size(), 1);
    QCOMPARE(p.a.standing().first().names, QStringList{u"big.bin"_s});
    QSignalSpy failed(&p.received, &ReceivedFiles::failed);
    // Stopped as the first bytes come in.
    bool stopped = false;
    connect(&p.received, &ReceivedFiles::changed, this, [&] {
        if (stopped || p.received.percent() == 0)
            return;
        stopped = true;
        if (bySender)
            p.a.withdraw(p.a.standing().first().token);
        else
            p.received.cancel();
    });
    p.received.save();
    QTRY_COMPARE(p.received.state(), ReceivedFiles::State::Failed);
    QCOMPARE(p.received.statusText(), told);
    QCOMPARE(failed.size(), bySender ? 1 : 0); // the user's own stop is not told back
    QVERIFY(!QFileInfo::exists(p.saved.filePath(u"big.bin"_s)));
    if (bySender) {
        // What came of it can never be finished: no part is kept.
        QCOMPARE(p.a.standing().size(), 0);
        QCOMPARE(tree(p.saved.path()), (QMap<QString, QByteArray>{}));
        return;
    }
    // 保存 again: into the same folder, from where it stopped.
    p.received.save();
    QTRY_COMPARE_WITH_TIMEOUT(p.received.state(), ReceivedFiles::State::Saved, 20000);
    QCOMPARE(tree(p.saved.path()), (QMap<QString, QByteArray>{{u"big.bin"_s, big}}));
}

void SharingTest::savedAsItArrives_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("gated");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<quint64>("second");
    QTest::addColumn<bool>("saves");
    const quint64 mb = 1 << 20;
    QTest::newRow("on, within the size") << true << false << true << quint64(mb) << true;
    QTest::newRow("exactly the size") << true << false << true << 2 * mb << true;
    QTest::newRow("a byte over") << true << false << true << 2 * mb + 1 << false;
    QTest::newRow("off") << false << false << true << quint64(0) << false;
    QTest::newRow("behind the password") << true << true << true << quint64(0) << false;
    QTest::newRow("not in the list") << true << false << false << quint64(0) << false;
    QTest::newRow("sizes that add past 2^64") << true << false << true << ~quint64(0) << false;
}

void SharingTest::savedAsItArrives()
{
    QFETCH(bool, on);
    QFETCH(bool, gated);
    QFETCH(bool, listed);
    QFETCH(quint64, second);
    QFETCH(bool, saves);
    // 3 MB allowed: 1 MB, a folder (no size of its own), and the second.
    filesframe::Offer offer;
    offer.entries = {{u"a.bin"_s, false, quint64(1) << 20, 0},
                     {u"図面"_s, true, quint64(1) << 40, 0},
                     {u"図面/b.bin"_s, false, second, 0}};
    QCOMPARE((AutoSave{on, gated, listed, 3}.saves(offer)), saves);
}

void SharingTest::attaching()
{
    QTemporaryDir dir;
    write(dir.filePath(u"a.txt"_s), "a");
    QVERIFY(QDir().mkpath(dir.filePath(u"図面"_s)));
    QVERIFY(QFile::link(dir.filePath(u"a.txt"_s), dir.filePath(u"link.txt"_s)));
    Attachments attachments(dir.filePath(u"pasted"_s));
    QString problem;
    attachments.add({dir.filePath(u"a.txt"_s), dir.filePath(u"図面"_s), dir.filePath(u"a.txt"_s),
                     dir.filePath(u"link.txt"_s), dir.filePath(u"gone.txt"_s)},
                    &problem);
    QCOMPARE(attachments.names(), (QStringList{u"a.txt"_s, u"図面/"_s}));
    QCOMPARE(problem, u"添付できません（読めないか、ﾘﾝｸです）: %1、%2"_s.arg(
                          dir.filePath(u"link.txt"_s), dir.filePath(u"gone.txt"_s)));
    // Pasted pictures are named by the time; two in one second apart.
    const QDateTime at(QDate(2026, 12, 11), QTime(9, 8, 7));
    QVERIFY(attachments.addPicture("\x89PNG one", at, &problem));
    QVERIFY(attachments.addPicture("\x89PNG two", at, &problem));
    QCOMPARE(attachments.names().mid(2), (QStringList{u"貼り付け 2026-12-11 09.08.07.png"_s,
                                                      u"貼り付け 2026-12-11 09.08.07 (2).png"_s}));
    QCOMPARE(tree(dir.filePath(u"pasted"_s)),
             (QMap<QString, QByteArray>{{u"貼り付け 2026-12-11 09.08.07.png"_s, "\x89PNG one"},
                                        {u"貼り付け 2026-12-11 09.08.07 (2).png"_s, "\x89PNG two"}}));
    attachments.remove(0);
    QCOMPARE(attachments.names().first(), u"図面/"_s);
    // Where a picture cannot be kept, it is not attached.
    write(dir.filePath(u"file"_s), "");
    Attachments blocked(dir.filePath(u"file/pasted"_s));
    QVERIFY(!blocked.addPicture("\x89PNG", at, &problem));
    QVERIFY(problem.startsWith(u"貼り付けた画像を保存できません: "_s));
    QCOMPARE(blocked.paths(), QStringList());
}

QTEST_GUILESS_MAIN(SharingTest)
#include "sharing_test.moc"
