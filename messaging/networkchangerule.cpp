#include "networkchangerule.h"

#include "clock.h"

NetworkChangeRule::NetworkChangeRule(const Clock &clock, NetworkState start)
    : m_clock(clock), m_searched(std::move(start))
{
}

qint64 NetworkChangeRule::consider(const NetworkState &now) const
{
    if (now == m_searched)
        return -1;
    if (m_lastAutomatic < 0)
        return 0;
    const qint64 wait = m_lastAutomatic + GapMsecs - m_clock.elapsedMsecs();
    return wait > 0 ? wait : 0;
}

void NetworkChangeRule::searched(const NetworkState &state, bool automatic)
{
    m_searched = state;
    if (automatic)
        m_lastAutomatic = m_clock.elapsedMsecs();
}
