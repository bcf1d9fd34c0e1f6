#include "searchpacer.h"

#include "clock.h"

#include <algorithm>

void SearchPacer::add(const searchtargets::Target &target)
{
    if (target.count > 0)
        m_waiting.push_back({target, 0});
}

int SearchPacer::pump(
    const std::function<void(const searchtargets::Target &, const QString &)> &send)
{
    const qint64 now = m_clock.elapsedMsecs();
    if (m_at >= 0)
        m_tokens = std::min<qint64>(Burst * 1000, m_tokens + (now - m_at) * PerSecond);
    m_at = now;
    while (!m_waiting.empty() && m_tokens >= 1000) {
        Pending &p = m_waiting.front();
        send(p.target, searchtargets::address(p.target, p.next));
        m_tokens -= 1000;
        if (++p.next == p.target.count)
            m_waiting.pop_front();
    }
    if (m_waiting.empty())
        return -1;
    // The next datagram is due when a whole token has come in.
    return int((1000 - m_tokens + PerSecond - 1) / PerSecond);
}
