#pragma once

#include "networkwatcher.h"

#include <QByteArrayView>
#include <map>

// The kernel's route messages (links and IPv4 addresses) read into the
// state a search sees. A message that repeats what is known (a lifetime
// renewed, a link's statistics, a wireless scan) changes nothing.
class NetlinkNews
{
public:
    // One buffer as recv() returned it: any number of messages, a dump's
    // parts included. A truncated or foreign message is passed over.
    void apply(QByteArrayView buffer);
    NetworkState state() const;

private:
    struct Link
    {
        bool running = false;
        std::set<NetworkState::Address> addresses;
    };
    std::map<int, Link> m_links;
};
