#include "searchpacer.h"

void SearchPacer::add(const searchtargets::Target &target)
{
    if (target.count > 0)
        m_waiting.push_back({target, 0});
}

int SearchPacer::pump(
    const std::function<void(const searchtargets::Target &, const QString &)> &send)
{
    while (!m_waiting.empty() && m_rate.take(QString())) {
        Pending &p = m_waiting.front();
        send(p.target, searchtargets::address(p.target, p.next));
        if (++p.next == p.target.count)
            m_waiting.pop_front();
    }
    // At PerSecond, a millisecond brings the next ones.
    return m_waiting.empty() ? -1 : 1;
}
