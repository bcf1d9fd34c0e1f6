#include "netinterfaces.h"

#include <QNetworkInterface>

QStringList searchAddresses(const QString &limited, const std::vector<NetInterface> &interfaces)
{
    QStringList out{limited};
    for (const NetInterface &i : interfaces) {
        if (!i.up || i.loopback || !i.canBroadcast)
            continue;
        for (const QString &address : i.broadcasts)
            if (!address.isEmpty() && !out.contains(address))
                out << address;
    }
    return out;
}

std::vector<NetInterface> hostInterfaces()
{
    std::vector<NetInterface> out;
    for (const QNetworkInterface &qi : QNetworkInterface::allInterfaces()) {
        const auto flags = qi.flags();
        NetInterface i;
        i.up = flags.testFlag(QNetworkInterface::IsUp);
        i.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
        i.canBroadcast = flags.testFlag(QNetworkInterface::CanBroadcast);
        for (const QNetworkAddressEntry &entry : qi.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                i.networks.append({entry.ip().toIPv4Address(), entry.prefixLength()});
                if (!entry.broadcast().isNull())
                    i.broadcasts << entry.broadcast().toString();
            }
        out.push_back(i);
    }
    return out;
}
