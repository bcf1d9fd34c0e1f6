#include "networksearch.h"

#include "networkwatcher.h"
#include "peersearch.h"

NetworkSearch::NetworkSearch(NetworkWatcher &watcher, PeerSearch &search, const Clock &clock,
                             QObject *parent)
    : QObject(parent), m_watcher(watcher), m_search(search), m_rule(clock, watcher.state())
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &NetworkSearch::consider);
}

void NetworkSearch::searchStarted()
{
    // A change it saw is owed no other search.
    m_rule.searched(m_watcher.state(), false);
}

void NetworkSearch::consider()
{
    const NetworkState now = m_watcher.state();
    const qint64 wait = m_rule.consider(now);
    if (wait < 0)
        return;
    if (wait > 0) {
        if (!m_later.isActive())
            m_later.start(int(wait));
        return;
    }
    m_rule.searched(now, true);
    m_search.refresh();
}
