#include "peersearch.h"

#include "clock.h"
#include "optsettings.h"
#include "portanaini.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QHostAddress>
#include <QHostInfo>

PeerSearch::PeerSearch(Transport &transport, const OptSettings &settings, UserListModel &users,
                       const Clock &clock, const PortanaIni &ini, Network network, QObject *parent)
    : QObject(parent), m_transport(transport), m_settings(settings), m_users(users), m_clock(clock),
      m_ini(ini), m_network(std::move(network)), m_pacer(clock)
{
    m_paceTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &PeerSearch::pump);
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, &PeerSearch::begin);
}

std::vector<NetInterface> PeerSearch::interfaces() const
{
    return m_network.interfaces ? m_network.interfaces() : std::vector<NetInterface>();
}

void PeerSearch::search()
{
    m_users.clear();
    refresh();
}

qint64 PeerSearch::refresh()
{
    if (m_startTimer.isActive())
        return m_startTimer.remainingTime();
    const qint64 wait = m_lastStart < 0 ? 0 : m_lastStart + GapMsecs - m_clock.elapsedMsecs();
    if (wait <= 0) {
        begin();
        return 0;
    }
    m_startTimer.start(int(wait));
    return wait;
}

void PeerSearch::begin()
{
    m_lastStart = m_clock.elapsedMsecs();
    const auto cards = interfaces();
    for (const QString &address : searchAddresses(m_network.broadcast, cards))
        m_transport.send(address, wire::searchRequest());
    if (!m_settings.ipSetAddr.isEmpty())
        m_transport.send(m_settings.ipSetAddr, wire::searchRequest());

    const int search = ++m_search;
    m_pacer.clear();
    m_unreachable.clear();
    m_searchedAt = m_clock.now();
    emit started();
    quint32 addresses = 0;
    for (const QString &line : m_ini.options().searchTargets) {
        const auto parsed = searchtargets::parse(line);
        const auto *target = std::get_if<searchtargets::Target>(&parsed);
        // The options page refuses such lines; a hand-edited file may hold
        // them: a line that is none, or one past the search's limit, is passed over.
        if (!target || addresses + searchtargets::weight(*target) > searchtargets::MaxAddresses)
            continue;
        addresses += searchtargets::weight(*target);
        if (target->name.isEmpty()) {
            m_pacer.add(*target);
            continue;
        }
        const QString name = target->name;
        QHostInfo::lookupHost(name, this, [this, search, name](const QHostInfo &info) {
            resolved(search, name, info);
        });
    }
    pump();
    emit searched(m_searchedAt, m_unreachable);
}

void PeerSearch::unreachable(const QString &target)
{
    if (m_unreachable.contains(target))
        return;
    m_unreachable << target;
    emit searched(m_searchedAt, m_unreachable);
}

void PeerSearch::resolved(int search, const QString &name, const QHostInfo &info)
{
    if (search != m_search)
        return; // a newer search has begun
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            m_pacer.add({name, {}, a.toIPv4Address(), 1});
            pump();
            return;
        }
    }
    unreachable(name);
}

void PeerSearch::pump()
{
    const int next =
        m_pacer.pump([this](const searchtargets::Target &target, const QString &address) {
            if (!m_transport.send(address, wire::searchRequest()))
                unreachable(target.text);
        });
    if (next >= 0)
        m_paceTimer.start(next);
}

bool PeerSearch::isOneHost(quint32 address) const
{
    if (address == 0 || address == 0xffffffffu || address >= 0xe0000000u)
        return false; // 224.0.0.0/4 multicast, 240.0.0.0/4 reserved
    const auto cards = interfaces();
    for (const QString &broadcast : searchAddresses(m_network.broadcast, cards))
        if (QHostAddress(broadcast).toIPv4Address() == address)
            return false;
    for (const QString &line : m_ini.options().searchTargets) {
        const auto parsed = searchtargets::parse(line);
        if (const auto *t = std::get_if<searchtargets::Target>(&parsed);
            t && t->broadcast == address)
            return false;
    }
    return true;
}

bool PeerSearch::searches(quint32 address) const
{
    for (const NetInterface &card : interfaces()) {
        if (!card.up || card.loopback || !card.canBroadcast)
            continue;
        for (const auto &[local, prefix] : card.networks) {
            const quint32 mask = prefix <= 0 ? 0 : prefix >= 32 ? ~0u : ~0u << (32 - prefix);
            if ((address & mask) == (local & mask))
                return true;
        }
    }
    if (QHostAddress(m_settings.ipSetAddr.trimmed()).toIPv4Address() == address)
        return true;
    for (const QString &line : m_ini.options().searchTargets) {
        const auto parsed = searchtargets::parse(line);
        if (const auto *t = std::get_if<searchtargets::Target>(&parsed);
            t && t->name.isEmpty() && address - t->first < t->count)
            return true;
    }
    return false;
}
