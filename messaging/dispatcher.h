#pragma once

#include "ratelimiter.h"
#include "wire.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class AwayNote;
class Clock;
class DatagramPort;
class LocalUser;
class Transport;
class UserListModel;
struct OptSettings;

// Reads every arriving datagram, decides its kind and routes it: answers a
// search or a note request, hands a message to be kept, and reports a
// peer's answers to messages this copy sent. It holds no text a user reads.
class Dispatcher : public QObject
{
    Q_OBJECT
public:
    // How what arrives is kept. The messages of one drain are kept
    // (committed) by commit, which begin opened at the first of them; only
    // then do their acknowledgements leave, and a batch that could not be kept is refused
    // ("OTHER送信"). hasRoom: whether another message can be kept; when not,
    // it is refused. Unset: kept in memory, always room.
    struct Keeping
    {
        std::function<void()> begin;
        std::function<bool()> commit;
        std::function<bool()> hasRoom;
    };

    Dispatcher(DatagramPort &port, Transport &transport, const OptSettings &settings,
               const LocalUser &user, UserListModel &users, const AwayNote &note,
               const Clock &clock, Keeping keeping = {}, QObject *parent = nullptr);

    // Messages one host may send: a burst of MessageBurst, then
    // MessagesPerSecond; beyond that they are refused ("OTHER送信"), so
    // their sender sees that nothing was kept. Away-note requests count
    // against the same allowance; beyond it they are not answered.
    static constexpr int MessageBurst = 20;
    static constexpr int MessagesPerSecond = 5;

    // The port's news (the composition root connects them): a datagram
    // came; the port has read what waited, and the batch they make is kept.
    void datagramArrived(const QByteArray &bytes, const QString &source);
    void datagramsDrained();

signals:
    // A peer (at source) acknowledged a message this copy sent, or refused one.
    void delivered(const wire::Name &name, const QString &source);
    void refused(const QString &source);
    // A peer opened, held or discarded a message this copy sent; row is the
    // history reference it named (0: none).
    void answered(wire::Kind kind, const wire::Name &name, int row, const QString &source);
    // A datagram could not be handled (the user is told).
    void datagramFailed();
    // A peer's away note, as it came.
    void awayNoteReceived(const QString &note);
    // A message that passed the partner filter, before it is acknowledged.
    void messageArrived(const wire::Message &message, const QString &source);
    // A peer was sent the away note.
    void awayNoteFetched();
    // A copy at source answered a search (after its row was updated).
    void searchReplied(const QString &source);

private:
    struct Visitor;
    void datagram(const QByteArray &bytes, const QString &source);
    void openBatch();
    void closeBatch();
    void messageDatagram(const wire::Message &message, const QString &source);

    DatagramPort &m_port;
    Transport &m_transport;
    const OptSettings &m_settings;
    const LocalUser &m_user;
    UserListModel &m_users;
    const AwayNote &m_note;
    RateLimiter m_rate;
    Keeping m_keeping;
    bool m_batchOpen = false;
    QList<QPair<QString, QByteArray>> m_acks; // of the open batch
};
