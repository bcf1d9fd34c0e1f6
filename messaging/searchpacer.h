#pragma once

#include "ratelimiter.h"
#include "searchtargets.h"

#include <QString>
#include <deque>
#include <functional>

// Sends a search to many addresses without flooding a switch or a peer: a
// short burst, then at most PerSecond datagrams a second.
class SearchPacer
{
public:
    static constexpr int PerSecond = 2000;
    static constexpr int Burst = 50;

    explicit SearchPacer(const Clock &clock) : m_rate(clock, Burst, PerSecond) {}

    // Every address of targets, after what still waits.
    void add(const searchtargets::Target &target);
    // A new search: what waited is dropped.
    void clear() { m_waiting.clear(); }
    // Sends what is due now; returns the milliseconds until more is due,
    // or -1 when nothing waits.
    int pump(const std::function<void(const searchtargets::Target &target, const QString &address)>
                 &send);

private:
    struct Pending
    {
        searchtargets::Target target;
        quint32 next = 0;
    };
    RateLimiter m_rate; // one bucket: the whole search
    std::deque<Pending> m_waiting;
};
