#pragma once

#include "sendround.h"

#include <QObject>
#include <QString>

class Clock;
class Dialogs;
class Transport;
class HistoryModel;
class LocalUser;
class UserListModel;

// The outgoing side of the compose window: the sending of a message, to
// one peer or to several (the search for peers is PeerSearch's).
class Composer : public QObject
{
    Q_OBJECT
public:
    Composer(Transport &transport, const LocalUser &user, UserListModel &users,
             HistoryModel &history, const Clock &clock, Dialogs &dialogs);

    // 置き手紙参照: asks the selected peer for its note; false when it did not leave.
    bool askNote();

    // 送信: false when a check refused it (the window stays); otherwise the
    // row is recorded and the datagram sent to the selected peer.
    bool send(const QString &recipient, const QString &text);

    // 送信 with several peers chosen: the same text to each, each with its
    // own row; more than MaxUnasked asks first. False when a check or the
    // user refused it (the window stays).
    bool sendToEach(const std::vector<SendRound::Recipient> &recipients, const QString &text);
    static constexpr int MaxUnasked = 10;
    // The last message sent to several, and how each answered.
    SendRound &round() { return m_round; }

    // A message datagram (CR LF text) to peer, recorded in the history under
    // recipient; false, after telling the user, when it does not fit in one
    // datagram or the system refuses it. Nothing is recorded then.
    bool deliver(const QString &peer, const QString &recipient, const QString &nameField,
                 const QString &text);
    // The same, telling nobody: for a caller that reports on its own.
    enum class Posted { Sent, TooLong, Refused };
    Posted post(const QString &peer, const QString &recipient, const QString &nameField,
                const QString &text);
    // Whether text fits in one datagram under nameField.
    static bool fits(const QString &nameField, const QString &text);

private:
    bool refuse(const QString &why);
    static QString tooLong();

    Transport &m_transport;
    const LocalUser &m_user;
    UserListModel &m_users;
    HistoryModel &m_history;
    const Clock &m_clock;
    Dialogs &m_dialogs;
    SendRound m_round;
};
