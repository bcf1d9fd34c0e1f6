#pragma once

#include <QObject>
#include <QtGlobal>
#include <compare>
#include <map>
#include <set>

// What a search sees of the machine's network: each card that is up and
// has a carrier, with its IPv4 addresses and their broadcast addresses.
struct NetworkState
{
    struct Address
    {
        quint32 local = 0;
        int prefix = 0;
        quint32 broadcast = 0; // 0: none
        auto operator<=>(const Address &) const = default;
    };
    std::map<int, std::set<Address>> up; // by interface index
    bool operator==(const NetworkState &) const = default;
};

// Tells when the machine's network changed as a search sees it: a card came
// up or went down, or an address came or went.
class NetworkWatcher : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~NetworkWatcher() override = default;

    virtual NetworkState state() const = 0;

signals:
    // Once the changes have settled (a second without another), and only
    // when the state differs from the one told last.
    void changed();
};
