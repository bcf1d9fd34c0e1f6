#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// A network card as the search sees it.
struct NetInterface
{
    bool up = false;
    bool loopback = false;
    bool canBroadcast = false;
    QStringList broadcasts; // directed broadcast address of each IPv4 address
    QList<QPair<quint32, int>> networks; // each IPv4 address and its prefix length
};

// Where a search goes: the limited broadcast (which Linux sends out of one
// card only), then the directed broadcast of every card that is up, not
// loopback and can broadcast; each address once.
QStringList searchAddresses(const QString &limited, const std::vector<NetInterface> &interfaces);

// The machine's cards.
std::vector<NetInterface> hostInterfaces();
