#pragma once

#include "clock.h"

#include <QHash>
#include <QString>
#include <algorithm>
#include <vector>

// How much one host may ask of this copy: a burst, then a steady rate (a
// bucket of tokens per host that refills as time passes). At most Hosts are
// remembered: past that, the hosts nearest a full bucket are forgotten
// first (a full one is as good as unknown), so spoofed sources cannot grow
// it without bound, and a real host that spent its allowance keeps that.
template <typename Host> class HostAllowance
{
public:
    static constexpr qsizetype Hosts = 4096;

    HostAllowance(const Clock &clock, int burst, int perSecond)
        : m_clock(clock), m_full(qint64(burst) * 1000), m_perSecond(perSecond)
    {
    }

    // One more from host: false when it is over its rate.
    bool take(const Host &host)
    {
        const qint64 now = m_clock.elapsedMsecs();
        auto it = m_buckets.find(host);
        if (it == m_buckets.end()) {
            if (m_buckets.size() >= Hosts)
                forget(now);
            it = m_buckets.insert(host, {m_full, now});
        }
        Bucket &b = *it;
        b.tokens = level(b, now);
        b.at = now;
        if (b.tokens < 1000)
            return false;
        b.tokens -= 1000;
        return true;
    }

    // How many hosts it holds in memory now.
    qsizetype remembered() const { return m_buckets.size(); }

private:
    struct Bucket
    {
        qint64 tokens = 0; // thousandths of one
        qint64 at = 0;     // when counted, in the clock's milliseconds
    };

    qint64 level(const Bucket &b, qint64 now) const
    {
        return std::min(m_full, b.tokens + (now - b.at) * m_perSecond);
    }

    // Down to three quarters of Hosts, so that it does not run again at once.
    void forget(qint64 now)
    {
        const qsizetype keep = Hosts * 3 / 4;
        std::vector<qint64> levels;
        levels.reserve(size_t(m_buckets.size()));
        for (const Bucket &b : std::as_const(m_buckets))
            levels.push_back(level(b, now));
        std::nth_element(levels.begin(), levels.begin() + keep, levels.end());
        const qint64 cut = std::min(levels[size_t(keep)], m_full);
        m_buckets.removeIf([&](const auto &b) { return level(b.value(), now) >= cut; });
    }

    const Clock &m_clock;
    const qint64 m_full;
    const qint64 m_perSecond;
    QHash<Host, Bucket> m_buckets;
};

// Hosts by their dotted address.
using RateLimiter = HostAllowance<QString>;
