// The file channel on loopback, both sides in one process and one event
// loop: a large file pulled through an offer against the same bytes over a
// plain TCP connection, the resident memory it costs, the longest the event
// loop stood still, and a folder of small files. Arguments: the file's size
// in MB (default 512) and the number of small files (default 10000).
#include "disk.h"
#include "fetch.h"
#include "fileslistener.h"
#include "offerbook.h"
#include "rss.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

const QHostAddress Here(QStringLiteral("127.0.7.21"));

// The longest gap between ticks of a 10 ms timer while it runs.
struct Stall
{
    QTimer tick;
    QElapsedTimer since;
    qint64 worst = 0;
    Stall()
    {
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout,
                         [this] { worst = std::max(worst, since.restart() - 10); });
        since.start();
        tick.start();
    }
};

double plainCopyMBps(qint64 bytes)
{
    QTcpServer server;
    server.listen(Here, 50320);
    QTcpSocket out;
    out.connectToHost(Here, 50320);
    QEventLoop loop;
    qint64 got = 0;
    QElapsedTimer t;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *in = server.nextPendingConnection();
        QObject::connect(in, &QTcpSocket::readyRead, [&, in] {
            got += in->readAll().size();
            if (got >= bytes)
                loop.quit();
        });
    });
    const QByteArray chunk(64 * 1024, 'x');
    qint64 sent = 0;
    const auto pump = [&] {
        while (sent < bytes && out.bytesToWrite() < 4 * chunk.size())
            sent += out.write(chunk);
    };
    QObject::connect(&out, &QTcpSocket::connected, pump);
    QObject::connect(&out, &QTcpSocket::bytesWritten, pump);
    t.start();
    loop.exec();
    return double(bytes) / 1e6 / (double(t.elapsed()) / 1000);
}

struct Result
{
    qint64 msecs = 0;
    QString problem;
};

Result pull(OfferBook &book, const QStringList &paths, const QString &into)
{
    QString problem;
    const auto offer = book.offer(paths, QStringLiteral("127.0.0.1"), Here.toString(), 1, &problem);
    if (!offer)
        return {0, problem};
    Disk disk;
    Fetch fetch(*offer, into, Here, 50319, disk);
    QEventLoop loop;
    Result r;
    QObject::connect(&fetch, &Fetch::finished, [&](const QStringList &, const QString &why) {
        r.problem = why;
        loop.quit();
    });
    QElapsedTimer t;
    t.start();
    fetch.start();
    loop.exec();
    r.msecs = t.elapsed();
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 mb = argc > 1 ? QByteArray(argv[1]).toLongLong() : 512;
    const int small = argc > 2 ? QByteArray(argv[2]).toInt() : 10000;
    QTemporaryDir out, in;
    {
        QFile big(out.filePath(QStringLiteral("big.bin")));
        big.open(QIODevice::WriteOnly);
        const QByteArray block(1 << 20, '\x5a');
        for (qint64 i = 0; i < mb; ++i)
            big.write(block);
    }
    qint64 clock = 0;
    OfferBook book([&clock] { return clock; });
    FilesListener listener(Here, 50319, {});
    QObject::connect(&listener, &FilesListener::connected, &book, &OfferBook::serve);
    if (!listener.listen()) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(listener.errorText()));
        return 1;
    }
    const double plain = plainCopyMBps(mb << 20);
    const qint64 idle = rssKb();
    resetPeak();
    Stall stall;
    const Result r = pull(book, {out.filePath(QStringLiteral("big.bin"))}, in.path());
    const double channel = double(mb << 20) / 1e6 / (double(r.msecs) / 1000);
    std::printf("a %lld MB file: %.0f MB/s through an offer, %.0f MB/s plain TCP (%.2fx); "
                "%lld kB resident above idle at most; the event loop stood still %lld ms at "
                "most%s%s\n",
                mb, channel, plain, channel / plain, peakRssKb() - idle, stall.worst,
                r.problem.isEmpty() ? "" : "; ", qPrintable(r.problem));

    QDir(out.path()).mkdir(QStringLiteral("many"));
    for (int i = 0; i < small; ++i) {
        QFile f(out.filePath(QStringLiteral("many/%1.txt").arg(i)));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray::number(i));
    }
    const Result many = pull(book, {out.filePath(QStringLiteral("many"))}, in.path());
    std::printf("a folder of %d small files: %.0f files a second%s%s\n", small,
                small / (double(many.msecs) / 1000), many.problem.isEmpty() ? "" : "; ",
                qPrintable(many.problem));
    return r.problem.isEmpty() && many.problem.isEmpty() ? 0 : 1;
}
