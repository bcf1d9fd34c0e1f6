#pragma once

#include "networkchangerule.h"

#include <QObject>
#include <QTimer>

class Clock;
class PeerSearch;
class NetworkWatcher;

// Searches again by itself when the network changed as a search sees it,
// keeping the list and the choice, as NetworkChangeRule allows.
class NetworkSearch final : public QObject
{
    Q_OBJECT
public:
    NetworkSearch(NetworkWatcher &watcher, PeerSearch &search, const Clock &clock,
                  QObject *parent = nullptr);

    // The network changed, or the gap it waited for is over (wiring::networkToSearch).
    void consider();
    // A search began, the user's too: it saw the network as it is.
    void searchStarted();

private:
    NetworkWatcher &m_watcher;
    PeerSearch &m_search;
    NetworkChangeRule m_rule;
    QTimer m_later; // the end of the gap, for a change inside it
};
