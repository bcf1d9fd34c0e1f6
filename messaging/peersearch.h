#pragma once

#include "netinterfaces.h"
#include "searchpacer.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class Clock;
class QHostInfo;
class PortanaIni;
class Transport;
class UserListModel;
struct OptSettings;

// Who is there: the search for peers, by the broadcasts, the manual
// address and every search target (a range paced, a name once it resolves).
class PeerSearch : public QObject
{
    Q_OBJECT
public:
    // Searches begin at least this far apart (a range of 4,096 addresses
    // takes about as long at the pacer's rate); one asked for sooner begins
    // at the end of the gap, once.
    static constexpr qint64 GapMsecs = 2000;

    // The networks searched besides the targets.
    struct Network
    {
        QString broadcast;                                     // the limited broadcast
        std::function<std::vector<NetInterface>()> interfaces; // the cards; none: only broadcast
    };

    PeerSearch(Transport &transport, const OptSettings &settings, UserListModel &users,
               const Clock &clock, const PortanaIni &ini, Network network,
               QObject *parent = nullptr);

    // 再検索, and the send window opening: empties the list, then asks the network.
    void search();
    // The same, keeping the list: answers update their rows, and the chosen
    // rows stay chosen (a change of the network, another program). Returns
    // the milliseconds until it begins.
    qint64 refresh();

    // Whether a message to address reaches one host only: not this host's
    // networks' broadcasts, a search range's, the limited broadcast, 0.0.0.0
    // or a multicast (or reserved) address.
    bool isOneHost(quint32 address) const;
    // Whether a search of this copy asks address: one of its networks, the
    // manual address, or a search target's (a name's address is not known).
    bool searches(quint32 address) const;

signals:
    // A search began to ask the network.
    void started();
    // A search ran at when; the targets it could not reach so far (a name
    // that did not resolve, an address the network refused), each once.
    void searched(const QDateTime &when, const QStringList &unreachable);

private:
    std::vector<NetInterface> interfaces() const;
    void begin();
    void pump();
    void unreachable(const QString &target);
    void resolved(int search, const QString &name, const QHostInfo &info);

    Transport &m_transport;
    const OptSettings &m_settings;
    UserListModel &m_users;
    const Clock &m_clock;
    const PortanaIni &m_ini;
    Network m_network;
    SearchPacer m_pacer;
    QTimer m_paceTimer;
    QTimer m_startTimer; // a search asked for inside the gap
    qint64 m_lastStart = -1;
    int m_search = 0; // which search a late name lookup belongs to
    QDateTime m_searchedAt;
    QStringList m_unreachable;
};
