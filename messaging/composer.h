#pragma once

#include "posted.h"
#include "sendround.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class Clock;
class Transport;
class HistoryModel;
class LocalUser;
class UserListModel;

// The outgoing side of the compose window: the sending of a message, to
// one peer or to several (the search for peers is PeerSearch's). It tells
// the user nothing: the window says what became of a message.
class Composer : public QObject
{
    Q_OBJECT
public:
    using Posted = ::Posted;

    Composer(Transport &transport, const LocalUser &user, UserListModel &users,
             HistoryModel &history, const Clock &clock);

    // 置き手紙参照: asks the selected peer for its note; false when it did not leave.
    bool askNote();

    // 送信: the row is recorded and the datagram sent to the selected peer,
    // unless a check refuses it (the window stays).
    Posted send(const QString &recipient, const QString &text, const QStringList &files = {});

    // 送信 with several peers chosen: the same text to each, each with its
    // own row. More than MaxUnasked are sent only when confirm, given
    // their number, says yes.
    using Confirm = std::function<bool(int count)>;
    Posted sendToEach(const std::vector<SendRound::Recipient> &recipients, const QString &text,
                      const Confirm &confirm, const QStringList &files = {});
    static constexpr int MaxUnasked = 10;
    // The last message sent to several, and how each answered.
    SendRound &round() { return m_round; }

    // A message datagram (CR LF text) to peer, recorded in the history under
    // recipient: Sent, TooLong or Refused (nothing is recorded then).
    Posted post(const QString &peer, const QString &recipient, const QString &nameField,
                const QString &text, const QStringList &files = {});
    // Whether text fits in one datagram under nameField.
    static bool fits(const QString &nameField, const QString &text);

signals:
    // A message left for peer as history row rowNo, with these files
    // (none, mostly): one signal for a message to one and to several.
    void posted(const QString &peer, int rowNo, const QStringList &files);

private:
    Transport &m_transport;
    const LocalUser &m_user;
    UserListModel &m_users;
    HistoryModel &m_history;
    const Clock &m_clock;
    SendRound m_round;
};
