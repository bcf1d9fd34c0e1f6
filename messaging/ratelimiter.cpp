#include "ratelimiter.h"

#include "clock.h"

#include <algorithm>

RateLimiter::RateLimiter(const Clock &clock, int burst, int perSecond)
    : m_clock(clock), m_full(qint64(burst) * 1000), m_perSecond(perSecond)
{
}

bool RateLimiter::take(const QString &host)
{
    const qint64 now = m_clock.elapsedMsecs();
    if (m_buckets.size() > 4096)
        m_buckets.removeIf([this, now](const auto &b) {
            return b.value().tokens + (now - b.value().at) * m_perSecond >= m_full;
        });
    auto it = m_buckets.find(host);
    if (it == m_buckets.end())
        it = m_buckets.insert(host, {m_full, now});
    Bucket &b = *it;
    b.tokens = std::min(m_full, b.tokens + (now - b.at) * m_perSecond);
    b.at = now;
    if (b.tokens < 1000)
        return false;
    b.tokens -= 1000;
    return true;
}
