// A whole offer between the two sides of the file channel over loopback:
// what lands in the folder, byte for byte, and what never does.
#include "disk.h"
#include "fetch.h"
#include "fileschannel.h"
#include "fileslistener.h"
#include "offerbook.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QHostAddress Sender(u"127.0.7.11"_s);
constexpr quint16 Port = 50319;
const QString Recipient = u"127.0.0.1"_s; // where loopback connections come from

// Fails the step numbered failAt (1 the first), as a full disk would.
struct FaultyDisk final : Disk
{
    int failAt = 0;
    int steps = 0;
    qint64 free = -1; // -1: as the system says
    bool step()
    {
        if (++steps != failAt)
            return true;
        failure = u"デバイスに空き領域がありません"_s;
        return false;
    }
    bool append(QFile &file, QByteArrayView bytes) override
    {
        return step() && Disk::append(file, bytes);
    }
    bool makeFolder(const QString &path) override { return step() && Disk::makeFolder(path); }
    bool rename(const QString &from, const QString &to) override
    {
        return step() && Disk::rename(from, to);
    }
    qint64 freeBytes(const QString &folder) override
    {
        return free >= 0 ? free : Disk::freeBytes(folder);
    }
};

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// Every file under the folder but the parts, with its bytes.
QMap<QString, QByteArray> files(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.endsWith(u".part"))
            found.insert(QDir(folder).relativeFilePath(path), read(path));
    }
    return found;
}

QByteArray noise(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator(size).generate(bytes.begin(), bytes.end());
    return bytes;
}

struct Pair
{
    QTemporaryDir out, in;
    qint64 now = 0;
    OfferBook book{[this] { return now; }};
    FilesListener listener{Sender, Port, {}};
    FaultyDisk disk;
    // Serves the book alone, or routes through a channel.
    explicit Pair(bool served = true)
    {
        if (served)
            QObject::connect(&listener, &FilesListener::connected, &book, &OfferBook::serve);
        write(out.filePath(u"報告.xlsx"_s), noise(200000));
        write(out.filePath(u"図面/平面図.dxf"_s), noise(70000));
        write(out.filePath(u"図面/詳細/断面.txt"_s), "断面\n");
        write(out.filePath(u"図面/空.txt"_s), QByteArray());
    }
    filesframe::Offer offer(const QString &to = Recipient)
    {
        QString problem;
        return *book.offer({out.filePath(u"報告.xlsx"_s), out.filePath(u"図面"_s)}, to,
                           u"127.0.7.11"_s, 42, &problem);
    }
    // The problem it ended with; saved: the names saved; earlier: what an
    // earlier try saved.
    QString fetch(const filesframe::Offer &offer, QStringList *saved = nullptr,
                  const QStringList &earlier = {}, const QHostAddress &from = QHostAddress())
    {
        Fetch f(offer, in.path(), Sender, Port, disk, from);
        QSignalSpy done(&f, &Fetch::finished);
        f.start(earlier);
        if (done.isEmpty() && !done.wait(10000))
            return u"<no end>"_s;
        if (saved)
            *saved = done[0][0].toStringList();
        return done[0][1].toString();
    }
};

} // namespace

class TransferTest : public QObject
{
    Q_OBJECT
private slots:
    void aFileAndAFolderArrive();
    void whatIsRefused_data();
    void whatIsRefused();
    void failEachWriteInTurn();
    void offersGoOnlyToCopiesThatListen();
};

// Byte for byte, under free names, and a kept part taken up where it stopped.
void TransferTest::aFileAndAFolderArrive()
{
    Pair p;
    QVERIFY(p.listener.listen());
    write(p.in.filePath(u"報告.xlsx"_s), "earlier");
    const filesframe::Offer offer = p.offer();
    QCOMPARE(offer.entries.size(), 6);
    // An earlier try kept the first 100,000 bytes of the report.
    write(p.in.filePath(u".portana-"_s + QString::fromLatin1(offer.token.toHex().left(12)) +
                        u"-0.part"_s),
          read(p.out.filePath(u"報告.xlsx"_s)).left(100000));
    QStringList saved;
    QCOMPARE(p.fetch(offer, &saved), QString());
    QCOMPARE(saved.first(), u"報告 (2).xlsx"_s);
    QCOMPARE(files(p.in.path()),
             (QMap<QString, QByteArray>{
                 {u"報告.xlsx"_s, "earlier"},
                 {u"報告 (2).xlsx"_s, read(p.out.filePath(u"報告.xlsx"_s))},
                 {u"図面/平面図.dxf"_s, read(p.out.filePath(u"図面/平面図.dxf"_s))},
                 {u"図面/詳細/断面.txt"_s, "断面\n"},
                 {u"図面/空.txt"_s, QByteArray()}}));
    QCOMPARE(QDir(p.in.path()).entryList(QDir::Hidden | QDir::Files).filter(u".part"_s),
             QStringList());
    // All of it taken, the offer is served no more.
    QCOMPARE(p.fetch(offer), u"送られていないﾌｧｲﾙです。"_s);
    // Offered again, over a kept part longer than the file: no part of it, started over.
    const filesframe::Offer again = p.offer();
    write(p.in.filePath(u".portana-"_s + QString::fromLatin1(again.token.toHex().left(12)) +
                        u"-0.part"_s),
          QByteArray(300000, 'x'));
    QCOMPARE(p.fetch(again), QString());
    QCOMPARE(read(p.in.filePath(u"報告 (3).xlsx"_s)), read(p.out.filePath(u"報告.xlsx"_s)));
}

void TransferTest::whatIsRefused_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("problem");
    QTest::newRow("another host's offer") << u"recipient"_s << u"送られていないﾌｧｲﾙです。"_s;
    QTest::newRow("a token not offered") << u"token"_s << u"送られていないﾌｧｲﾙです。"_s;
    QTest::newRow("changed since offered")
        << u"changed"_s << u"「報告.xlsx」は送った後に変更されました。"_s;
    QTest::newRow("past its day") << u"expired"_s << u"送られてから 24 時間が過ぎました。"_s;
    QTest::newRow("a name that leaves the folder")
        << u"name"_s << u"「../報告.xlsx」: 「..」は名前に使えません。"_s;
    QTest::newRow("a full disk") << u"full"_s << u"空き容量が足りません（1 MB 要ります）。"_s;
    QTest::newRow("a wrong part kept")
        << u"part"_s << u"「報告.xlsx」が正しく届きませんでした（SHA-256 が違います）。"_s;
}

// Told in a sentence, and nothing of the refused entry is kept.
void TransferTest::whatIsRefused()
{
    QFETCH(QString, what);
    QFETCH(QString, problem);
    Pair p;
    QVERIFY(p.listener.listen());
    filesframe::Offer offer = p.offer(what == u"recipient" ? u"127.0.0.9"_s : Recipient);
    if (what == u"token")
        offer.token[0] = char(offer.token[0] ^ 1);
    if (what == u"changed")
        write(p.out.filePath(u"報告.xlsx"_s), "changed");
    if (what == u"expired")
        p.now += OfferBook::LifeMsecs + 1;
    if (what == u"name")
        offer.entries[0].path = u"../報告.xlsx"_s;
    if (what == u"full")
        p.disk.free = 1000;
    if (what == u"part")
        write(p.in.filePath(u".portana-"_s + QString::fromLatin1(offer.token.toHex().left(12)) +
                            u"-0.part"_s),
              "not the report's first bytes");
    QCOMPARE(p.fetch(offer), problem);
    QCOMPARE(files(p.in.path()), (QMap<QString, QByteArray>()));
}

// Each step fails in turn: what stands under a final name is whole, the
// failure is told, and a later try completes.
void TransferTest::failEachWriteInTurn()
{
    for (int failAt = 1;; ++failAt) {
        Pair p;
        QVERIFY(p.listener.listen());
        const filesframe::Offer offer = p.offer();
        p.disk.failAt = failAt;
        QStringList saved;
        const QString problem = p.fetch(offer, &saved);
        for (const auto &[name, bytes] : files(p.in.path()).asKeyValueRange())
            QCOMPARE(bytes, read(p.out.filePath(name)));
        if (problem.isEmpty()) {
            QVERIFY2(failAt > 6, qPrintable(QString::number(failAt))); // every step was failed
            break;
        }
        QCOMPARE(problem, u"デバイスに空き領域がありません"_s);
        // The next try takes up where this one stopped.
        p.disk.failAt = 0;
        QCOMPARE(p.fetch(offer, nullptr, saved), QString());
        QCOMPARE(files(p.in.path()).keys(), (QStringList{u"図面/平面図.dxf"_s, u"図面/空.txt"_s,
                                                         u"図面/詳細/断面.txt"_s, u"報告.xlsx"_s}));
    }
}

// The offer reaches a copy that listens, naming the message; then the
// recipient pulls through the sender's channel. A host where no copy
// listens cannot take files, and an offer naming another sender is refused.
void TransferTest::offersGoOnlyToCopiesThatListen()
{
    Pair p(false);
    QVERIFY(p.listener.listen());
    FilesChannel sending(p.listener, p.book, Port);
    const QHostAddress other(u"127.0.7.12"_s);
    OfferBook theirBook([] { return 0; });
    FilesListener theirs(other, Port, {});
    FilesChannel receiving(theirs, theirBook, Port);
    QVERIFY(theirs.listen());
    const auto post = [&](const QHostAddress &to, const filesframe::Offer &offer) {
        std::optional<bool> taken;
        sending.post(to, offer, [&taken](bool t) { taken = t; });
        [&] { QTRY_VERIFY(taken.has_value()); }();
        return taken.value_or(false);
    };
    const filesframe::Offer offer = p.offer(u"127.0.7.12"_s);
    QVERIFY(post(other, offer));
    const FilesChannel::Received *got = receiving.received(u"127.0.7.11"_s, 42);
    QVERIFY(got);
    QCOMPARE(got->offer, offer);
    QCOMPARE(p.fetch(got->offer, nullptr, {}, other), QString());
    QCOMPARE(files(p.in.path()).size(), 4);

    QVERIFY(!post(QHostAddress(u"127.0.7.13"_s), offer));
    filesframe::Offer forged = offer;
    forged.sender = u"127.0.7.99"_s;
    forged.message = 43;
    QVERIFY(!post(other, forged));
    QVERIFY(!receiving.received(u"127.0.7.99"_s, 43));

    // Offers of a megabyte each, one after another: the oldest go, and what
    // is kept stays within its size.
    filesframe::Offer big = offer;
    big.entries = QList<filesframe::Entry>(3800, {QString(250, u'a'), false, 1, 1});
    for (quint32 n = 100; n < 110; ++n) {
        big.message = n;
        QVERIFY(post(other, big));
    }
    QVERIFY(!receiving.received(u"127.0.7.11"_s, 100));
    QVERIFY(receiving.received(u"127.0.7.11"_s, 109));
    QVERIFY(!receiving.received(u"127.0.7.11"_s, 42));
}

QTEST_GUILESS_MAIN(TransferTest)
#include "transfer_test.moc"
