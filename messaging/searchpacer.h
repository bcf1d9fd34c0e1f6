#pragma once

#include <QString>
#include <deque>
#include <functional>

#include "searchtargets.h"

class Clock;

// Sends a search to many addresses without flooding a switch or a peer: a
// short burst, then at most PerSecond datagrams a second.
class SearchPacer
{
public:
    static constexpr int PerSecond = 2000;
    static constexpr int Burst = 50;

    explicit SearchPacer(const Clock &clock) : m_clock(clock) {}

    // Every address of targets, after what still waits.
    void add(const searchtargets::Target &target);
    // A new search: what waited is dropped.
    void clear() { m_waiting.clear(); }
    // Sends what is due now; returns the milliseconds until the next is
    // due, or -1 when nothing waits.
    int pump(const std::function<void(const searchtargets::Target &target, const QString &address)>
                 &send);

private:
    struct Pending
    {
        searchtargets::Target target;
        quint32 next = 0;
    };
    const Clock &m_clock;
    std::deque<Pending> m_waiting;
    qint64 m_tokens = Burst * 1000; // thousandths of a datagram
    qint64 m_at = -1;               // when counted, in the clock's milliseconds
};
