#pragma once

#include "userlistmodel.h"

#include <QObject>
#include <QString>
#include <functional>
#include <list>

class PeerSearch;
class Transport;

// 接続確認: one search straight to one address, and what its answer, or
// its silence, says in one sentence about why that peer is or is not listed.
class ConnectionCheck : public QObject
{
    Q_OBJECT
public:
    // How long an answer is waited for: a copy answers at once.
    static constexpr int AnswerWaitMsecs = 3000;

    enum class Outcome {
        Listed,       // answered, and was listed already
        ListedNow,    // answered, and is listed now
        NotSearched,  // answered, but no search of this copy reaches it
        NotListed,    // answered, but the list would not take it
        NoAnswer,     // not running, or a firewall drops the port
        Unreachable,  // the system would not send it there
        NotOneHost,   // a broadcast or multicast address
        NotAnAddress, // not dotted IPv4
    };
    struct Result
    {
        Outcome outcome;
        QString sentence;
    };
    using Done = std::function<void(const Result &)>;

    ConnectionCheck(Transport &transport, const PeerSearch &search, const UserListModel &users,
                    QObject *parent = nullptr);

    void check(const QString &address, Done done);
    // A search answer came from source.
    void replied(const QString &source);

    // As scripts read it: "listed", "no-answer", ...
    static QString outcomeName(Outcome outcome);

private:
    struct Pending
    {
        QString address;
        bool wasListed;
        Done done;
        QObject *wait; // its timer's context: gone with it
    };

    Transport &m_transport;
    const PeerSearch &m_search;
    const UserListModel &m_users;
    std::list<Pending> m_pending;
};
