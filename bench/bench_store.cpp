// A whole copy keeping what arrives in its store: what storing a message
// adds to its acknowledgement, alone and while one host floods, and the
// copy's memory through a flood. `bench_store fill DIR ROWS` instead
// leaves a store of ROWS history rows in DIR (for the start-up benchmark);
// `bench_store acks N` only keeps N messages (for durability.py); `bench_store
// flood` and `bench_store worker` run one benchmark each.
#include "addrows.h"
#include "cp932.h"
#include "historymodel.h"
#include "keptstore.h"
#include "rss.h"
#include "store.h"
#include "testprogram.h"
#include "wiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray message(const QString &name, const QString &body)
{
    return cp932::encode(name.leftJustified(20) + QStringLiteral("12:34:56") +
                         QStringLiteral("1       ") + body);
}

QString host(int i)
{
    return QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255);
}

void report(const char *what, std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    std::printf("%s: median %.0f µs, 99th percentile %.0f µs (%zu samples)\n", what,
                ns[ns.size() / 2] / 1e3, ns[ns.size() * 99 / 100] / 1e3, ns.size());
}

bool acknowledged(RecordingPort &port, const QString &to)
{
    for (const auto &[address, bytes] : port.sent)
        if (address == to && bytes.startsWith(cp932::encode(u"送信")))
            return true;
    return false;
}

// One message per batch from hosts that never reach their rate.
void alone(bool kept)
{
    TestProgram t(QStringLiteral("127.0.5.1"), {}, true);
    if (kept)
        t.env.stateFolder = t.folder.filePath(QStringLiteral("state"));
    t.start();
    std::vector<qint64> ns;
    const QByteArray bytes = message(QStringLiteral("bench"), QString(200, u'あ'));
    for (int i = 0; i < 3000; ++i) {
        QElapsedTimer e;
        e.start();
        t.port->feed(bytes, host(i));
        ns.push_back(e.nsecsElapsed());
        if (!acknowledged(*t.port, host(i)))
            std::printf("not acknowledged!\n");
        t.port->sent.clear();
    }
    report(kept ? "acknowledgement of one message, kept in the store"
                : "acknowledgement of one message, kept in memory only",
           ns);
}

// Batches of 40 flood datagrams of 60 KB from one host and one message
// from another: how long the other's acknowledgement waits.
void duringFlood()
{
    TestProgram t(QStringLiteral("127.0.5.1"), {}, true);
    t.env.stateFolder = t.folder.filePath(QStringLiteral("state"));
    t.start();
    const QByteArray flood = message(QStringLiteral("flood"), QString(60000, u'x'));
    const QByteArray one = message(QStringLiteral("other"), QStringLiteral("大丈夫？"));
    std::vector<qint64> ns;
    for (int i = 0; i < 500; ++i) {
        QElapsedTimer e;
        e.start();
        for (int k = 0; k < 40; ++k)
            emit t.port->arrived(flood, QStringLiteral("10.99.0.1"));
        emit t.port->arrived(one, host(i));
        emit t.port->drained();
        ns.push_back(e.nsecsElapsed());
        if (!acknowledged(*t.port, host(i)))
            std::printf("not acknowledged!\n");
        t.port->sent.clear();
    }
    report("another host's acknowledgement in a batch of 40 flood messages of 60 KB", ns);
}

// 800 messages of 60 KB a second from one host for 20 s, and one a second
// from another; the copy's resident memory over its idle figure.
void floodMemory()
{
    TestProgram t(QStringLiteral("127.0.5.1"), {}, true);
    t.env.stateFolder = t.folder.filePath(QStringLiteral("state"));
    t.start();
    const QByteArray flood = message(QStringLiteral("flood"), QString(60000, u'x'));
    const QByteArray one = message(QStringLiteral("other"), QStringLiteral("大丈夫？"));
    const qint64 idle = rssKb();
    qint64 most = idle;
    int others = 0, otherAcks = 0, floodSent = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        // Catch up to 800 a second.
        while (floodSent < clock.elapsed() * 800 / 1000) {
            t.port->feed(flood, QStringLiteral("10.99.0.1"));
            ++floodSent;
        }
        if (others < clock.elapsed() / 1000) {
            t.port->feed(one, QStringLiteral("10.98.0.%1").arg(others % 250 + 1));
            otherAcks += acknowledged(*t.port, QStringLiteral("10.98.0.%1").arg(others % 250 + 1));
            ++others;
        }
        t.port->sent.clear();
        most = std::max(most, rssKb());
        if (clock.elapsed() > 20000)
            QCoreApplication::quit();
    });
    pace.start(10);
    QCoreApplication::exec();
    std::printf("flood of %d messages of 60 KB in 20 s: resident %.1f MB idle, at most %.1f MB "
                "(+%.1f MB); the other host's messages acknowledged: %d of %d; history rows %d\n",
                floodSent, idle / 1024.0, most / 1024.0, (most - idle) / 1024.0, otherAcks, others,
                part<HistoryModel>(*t.program).rowCount());
}

// Over real loopback sockets: one host floods small messages as fast as one
// thread can send them for 10 s; another sends one every 200 ms and times
// each acknowledgement. A batch ends after 256 datagrams or 50 ms, so the
// other's answer never waits for the flood to stop.
void floodSmall()
{
    TestProgram t(QStringLiteral("127.0.8.2"));
    t.env.stateFolder = t.folder.filePath(QStringLiteral("state"));
    if (!t.start()) {
        std::printf("flood of small messages: port not bound\n");
        return;
    }
    // Answers go to port 50319 of the sender's address, as between copies.
    const auto socketAt = [](const char *address) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(50319);
        ::inet_pton(AF_INET, address, &a.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        return fd;
    };
    sockaddr_in copy{};
    copy.sin_family = AF_INET;
    copy.sin_port = htons(50319);
    ::inet_pton(AF_INET, "127.0.8.2", &copy.sin_addr);
    std::atomic<bool> stop{false};
    std::atomic<long> flooded{0};
    std::thread flooder([&] {
        const int fd = socketAt("127.0.8.3");
        const QByteArray m = message(QStringLiteral("flood"), QStringLiteral("x"));
        while (!stop) {
            if (::sendto(fd, m.constData(), size_t(m.size()), 0,
                         reinterpret_cast<sockaddr *>(&copy), sizeof copy) > 0)
                ++flooded;
        }
        ::close(fd);
    });
    // The other host, on the window thread's event loop: one message every
    // 200 ms, each from an address of its own, so a late answer is never
    // taken for the next one's; an answer later than 1 s counts as none.
    std::vector<qint64> ns;
    int sent = 0;
    const QByteArray m = message(QStringLiteral("other"), QStringLiteral("大丈夫？"));
    QEventLoop done;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, &done, [&] {
        if (sent == 45) {
            pace.stop();
            QTimer::singleShot(1000, &done, &QEventLoop::quit);
            return;
        }
        auto *socket = new QUdpSocket(&done);
        socket->bind(QHostAddress(QStringLiteral("127.0.9.%1").arg(10 + sent)), 50319);
        auto *clock = new QElapsedTimer;
        clock->start();
        QObject::connect(socket, &QUdpSocket::readyRead, socket, [&ns, socket, clock] {
            if (clock->elapsed() < 1000)
                ns.push_back(clock->nsecsElapsed());
            socket->close();
            delete clock;
        });
        socket->writeDatagram(m, QHostAddress(QStringLiteral("127.0.8.2")), 50319);
        ++sent;
    });
    pace.start(200);
    done.exec();
    stop = true;
    flooder.join();
    // What the kernel dropped from the copy's full receive buffer.
    long drops = 0;
    QFile udp(QStringLiteral("/proc/net/udp"));
    if (udp.open(QIODevice::ReadOnly))
        for (const QByteArray &line : udp.readAll().split('\n'))
            if (line.contains(" 0208007F:C48F "))
                drops = line.simplified().split(' ').last().toLong();
    std::printf("one host floods %ld small messages in 10 s (as fast as one thread sends; %ld "
                "dropped by the kernel, the copy's receive buffer full); the other host's %d "
                "messages: %zu acknowledged within 1 s",
                flooded.load(), drops, sent, ns.size());
    if (!ns.empty()) {
        std::sort(ns.begin(), ns.end());
        std::printf(", median %.1f ms, slowest %.1f ms", ns[ns.size() / 2] / 1e6, ns.back() / 1e6);
    }
    std::printf("\n");
}

// A pasted log as long as one datagram holds: 32,000 kanji.
QString pasted(quint32 seed)
{
    QString text;
    text.reserve(32000);
    for (int i = 0; i < 32000; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += QChar(char16_t(0x4E00 + (seed >> 8) % 0x5000));
    }
    return text;
}

// The store's worker at its heaviest, each phase while another host sends
// a message every 100 ms: giving a million ordinary rows and 250 pasted
// logs their terms (as for a file read in, or an older store), keeping the
// last 1,000, reading in 200 more pasted logs, and 履歴ｸﾘｱ. For each: the
// longest the window thread stood still (a 1 ms timer's longest gap), the
// slowest acknowledgement, and any message refused.
void worker()
{
    TestProgram t(QStringLiteral("127.0.5.1"), {}, true);
    t.env.stateFolder = t.folder.filePath(QStringLiteral("state"));
    t.start();
    HistoryModel &history = part<HistoryModel>(*t.program);
    Store &store = part<KeptStore>(*t.program).store();
    const auto load = [&history](int ordinary, int logs, quint32 seed) {
        std::vector<HistoryRow> chunk;
        for (int i = 0; i < ordinary + logs; ++i) {
            chunk.push_back({QStringLiteral("26/12/08"), QStringLiteral("鈴木 "),
                             QStringLiteral("山田 "), QStringLiteral("10:15:00"),
                             QStringLiteral("10:16:01"),
                             i < ordinary ? QStringLiteral("明日の会議は十時からです。%1").arg(i)
                                          : pasted(seed + quint32(i))});
            if (chunk.size() == 100'000 || i == ordinary + logs - 1)
                addRows(history, std::exchange(chunk, {}));
        }
    };
    const QByteArray one = message(QStringLiteral("other"), QStringLiteral("大丈夫？"));
    int sent = 0;
    // Runs the event loop until done() says so, measuring.
    const auto phase = [&](const char *what, const std::function<bool()> &done) {
        QElapsedTimer phaseClock, tick;
        phaseClock.start();
        tick.start();
        qint64 stood = 0, slowest = 0;
        int refused = 0, messages = 0;
        QEventLoop loop;
        QTimer ticker, pace;
        QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
            stood = std::max(stood, tick.restart());
            if (done())
                loop.quit();
        });
        QObject::connect(&pace, &QTimer::timeout, &loop, [&] {
            QElapsedTimer e;
            e.start();
            const QString from = host(sent++ % 200 + 1);
            t.port->feed(one, from);
            slowest = std::max(slowest, e.nsecsElapsed());
            ++messages;
            refused += !acknowledged(*t.port, from);
            t.port->sent.clear();
            tick.restart(); // the message's own time is the acknowledgement's
        });
        ticker.start(1);
        pace.start(100);
        loop.exec();
        std::printf("%s: %.1f s, %d messages; the window thread stood still at most %lld ms, "
                    "slowest acknowledgement %.1f ms, %d refused, %zu boxes\n",
                    what, phaseClock.elapsed() / 1000.0, messages, stood, slowest / 1e6, refused,
                    size_t(t.dialogs.shown.size()));
    };
    // Done: no row waits for its terms, no sweep is asked for.
    const auto indexed = [&store] {
        QSqlQuery q(store.db());
        return q.exec(QStringLiteral("SELECT count(*) FROM find_pending")) && q.next() &&
               q.value(0).toInt() == 0;
    };
    const auto swept = [&store] { return store.meta(QStringLiteral("sweep")) == 0; };
    load(1'000'000, 250, 1);
    phase("terms for 1,000,000 rows and 250 pasted logs", indexed);
    history.unlist(0, history.rowCount() - 1000, [](qint64) { return false; });
    phase("keeping the last 1,000 rows", swept);
    load(0, 200, 7);
    phase("reading in 200 pasted logs", indexed);
    history.clear();
    phase("履歴ｸﾘｱ", swept);
}

int fill(const QString &folder, int rows)
{
    Store store;
    if (store.open(folder + QStringLiteral("/portana.db")) != Store::Problem::None)
        return 1;
    FakeClock clock;
    HistoryModel history(store, clock, [] { return QStringLiteral("山田 "); });
    wiring::storeToHistory(store, history);
    std::vector<HistoryRow> chunk;
    for (int i = 0; i < rows; ++i) {
        chunk.push_back({QStringLiteral("26/12/08"), QStringLiteral("鈴木 "),
                         QStringLiteral("山田 "), QStringLiteral("10:15:00"),
                         QStringLiteral("10:16:01"),
                         QStringLiteral("はい、元気です。明日の会議は十時からです。%1").arg(i)});
        if (chunk.size() == 100'000 || i == rows - 1)
            addRows(history, std::exchange(chunk, {}));
    }
    std::printf("%d rows in %s\n", history.rowCount(), qPrintable(store.path()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "fill") == 0)
        return fill(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    if (argc == 2 && qstrcmp(argv[1], "flood") == 0) {
        floodSmall();
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "worker") == 0) {
        worker();
        return 0;
    }
    // `bench_store acks N`: N messages kept one batch each (for durability.py).
    if (argc == 3 && qstrcmp(argv[1], "acks") == 0) {
        TestProgram t(QStringLiteral("127.0.5.1"), {}, true);
        t.env.stateFolder = t.folder.filePath(QStringLiteral("state"));
        t.start();
        // What is between the two lines is counted: not opening, not closing.
        std::printf("window thread %lld\n", QCoreApplication::applicationPid());
        std::fflush(stdout);
        const QByteArray bytes = message(QStringLiteral("bench"), QString(200, u'あ'));
        const int n = QByteArray(argv[2]).toInt();
        for (int i = 0; i < n; ++i)
            t.port->feed(bytes, host(i));
        // The worker's checkpoint after the last commit.
        QEventLoop turn;
        QTimer::singleShot(2000, &turn, &QEventLoop::quit);
        turn.exec();
        std::printf("done\n");
        std::fflush(stdout);
        return 0;
    }
    alone(false);
    alone(true);
    duringFlood();
    floodSmall();
    floodMemory();
    worker();
    return 0;
}
