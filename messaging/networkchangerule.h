#pragma once

#include "networkwatcher.h"

#include <QtGlobal>

class Clock;

// When a change of the network is searched by itself: only when what a
// search sees differs from what the last search saw, and never sooner than
// GapMsecs after the last such search (a lease renewed every few seconds,
// or a card that comes and goes, would otherwise flood every listed range).
class NetworkChangeRule
{
public:
    static constexpr qint64 GapMsecs = 60000;

    // The network as it was when the copy started: no search is owed for it.
    NetworkChangeRule(const Clock &clock, NetworkState start);

    // For the network as it is now: 0, search now; a number of
    // milliseconds, ask again then; -1, nothing to search.
    qint64 consider(const NetworkState &now) const;
    // A search ran seeing state; automatic: the rule's own, which starts the gap.
    void searched(const NetworkState &state, bool automatic);

private:
    const Clock &m_clock;
    NetworkState m_searched;
    qint64 m_lastAutomatic = -1; // the clock's milliseconds; -1: none yet
};
