#pragma once

#include "ratelimiter.h"
#include "systemclock.h"

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

class QThread;

// Reads a datagram socket on a thread of its own, many datagrams a call
// (recvmmsg), and drops what a source sends beyond its allowance before
// anything is decoded or queued: a host that floods costs the others one
// look-up per datagram, not the window thread's turns, and the kernel's
// buffer stays empty enough for everyone else's. What passes waits for the
// window thread, in arrival order, up to QueueDatagrams of them.
class SocketReader
{
public:
    // Per source: far above what a copy sends (its messages are allowed
    // 5 a second; a burst of a few thousand search requests still fits),
    // far below a flood.
    static constexpr int Burst = 4000;
    static constexpr int PerSecond = 500;
    static constexpr size_t QueueDatagrams = 8192;

    struct Datagram
    {
        QByteArray bytes;
        quint32 source = 0; // IPv4, host order
    };

    // fd stays the caller's. ready runs on the reader's thread whenever the
    // queue was empty and is not now (the window thread then takes).
    SocketReader(int fd, std::function<void()> ready);
    ~SocketReader();
    SocketReader(const SocketReader &) = delete;
    SocketReader &operator=(const SocketReader &) = delete;

    // The next datagram waiting; none: the queue is empty, and the next
    // arrival calls ready again.
    std::optional<Datagram> next();

private:
    void run();
    void keep(Datagram &&d);

    const int m_fd;
    int m_stopFd = -1;
    const std::function<void()> m_ready;
    SystemClock m_clock;
    HostAllowance<quint32> m_allowance{m_clock, Burst, PerSecond}; // the reader's alone
    QThread *m_thread = nullptr;
    std::mutex m_mutex; // what follows
    std::deque<Datagram> m_queue;
    bool m_told = false; // ready was called and the queue not yet found empty
};
