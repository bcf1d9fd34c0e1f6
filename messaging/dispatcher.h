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
class Dialogs;
class HistoryModel;
class LocalUser;
class Transport;
class UserListModel;
struct OptSettings;

// Reads every arriving datagram, decides its kind and answers or reports it.
// It opens no window: it says what the sender-side result windows show.
class Dispatcher : public QObject
{
    Q_OBJECT
public:
    enum class Display { None, Full, Small };

    // An acknowledgement or a rejection of a message this copy sent.
    struct SendResult
    {
        bool rejected = false;
        QString label;
        QString peerName; // of the latest acknowledgement
        Display display = Display::None;
    };

    // An open confirmation, hold or discard notice for a message this copy sent.
    struct ReceiveResult
    {
        wire::Kind kind = wire::Kind::OpenConfirm;
        QString label;
        wire::Name name;
        Display display = Display::None;
        bool autoClose = false;
    };

    Dispatcher(DatagramPort &port, Transport &transport, const OptSettings &settings,
               const LocalUser &user,
               UserListModel &users, HistoryModel &history, const AwayNote &note, Dialogs &dialogs,
               const Clock &clock, QObject *parent = nullptr);

    // One datagram from source, a batch of its own.
    void handle(const QByteArray &bytes, const QString &source);
    // What the datagrams of one batch changed is kept (committed) by
    // commit, which begin opened; only then do their acknowledgements
    // leave. A batch that could not be kept is refused ("OTHER送信").
    void setKeeping(std::function<void()> begin, std::function<bool()> commit)
    {
        m_begin = std::move(begin);
        m_commit = std::move(commit);
    }
    // Whether another message can be kept; when not, it is refused.
    void setRoomCheck(std::function<bool()> hasRoom) { m_hasRoom = std::move(hasRoom); }
    // Messages one host may send: a burst of MessageBurst, then
    // MessagesPerSecond; beyond that they are refused ("OTHER送信"), so
    // their sender sees that nothing was kept. Away-note requests count
    // against the same allowance; beyond it they are not answered.
    static constexpr int MessageBurst = 20;
    static constexpr int MessagesPerSecond = 5;

signals:
    void sendResult(const Dispatcher::SendResult &result);
    void receiveResult(const Dispatcher::ReceiveResult &result);
    // The text for the message box: "置き手紙受信内容  => " and the note.
    void awayNoteReceived(const QString &text);
    // A message that passed the partner filter, before it is acknowledged.
    void messageArrived(const wire::Message &message, const QString &source);
    // A peer was sent the away note.
    void awayNoteFetched();

private:
    struct Visitor;
    void datagram(const QByteArray &bytes, const QString &source);
    void openBatch();
    void closeBatch();
    void deliveryResult(const wire::Ack &ack);
    void rejectionResult();
    void openHoldDiscardResult(wire::Kind kind, const wire::Name &name, int row);
    void messageDatagram(const wire::Message &message, const QString &source);

    DatagramPort &m_port;
    Transport &m_transport;
    const OptSettings &m_settings;
    const LocalUser &m_user;
    UserListModel &m_users;
    HistoryModel &m_history;
    const AwayNote &m_note;
    Dialogs &m_dialogs;
    QString m_resultPeerName;
    RateLimiter m_rate;
    std::function<void()> m_begin;
    std::function<bool()> m_commit;
    std::function<bool()> m_hasRoom;
    bool m_batchOpen = false;
    QList<QPair<QString, QByteArray>> m_acks; // of the open batch
};
