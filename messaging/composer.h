#pragma once

#include "netinterfaces.h"

#include "searchpacer.h"
#include "sendround.h"
#include <QObject>

#include <QDateTime>
#include <QString>
#include <QTimer>
#include <functional>

class Clock;
class QHostInfo;
class SearchSettings;
class Dialogs;
class Transport;
class HistoryModel;
class LocalUser;
class UserListModel;
struct OptSettings;

// The outgoing side of the compose window: the search for peers and the
// sending of a message.
class Composer : public QObject
{
    Q_OBJECT
public:
    Composer(Transport &transport, const OptSettings &settings, const LocalUser &user,
             UserListModel &users, HistoryModel &history, const Clock &clock, Dialogs &dialogs,
             const SearchSettings &targets, QString broadcastAddress,
             std::function<std::vector<NetInterface>()> interfaces = {});

    // Searches begin at least this far apart (a range of 4,096 addresses
    // takes about as long at the pacer's rate); one asked for sooner begins
    // at the end of the gap, once.
    static constexpr qint64 GapMsecs = 2000;

    // 再検索, and the send window opening: empties the list, then asks the
    // network who is there: the broadcasts, the manual address, and every
    // search target (a range paced, a name once it resolves).
    void search();
    // The same, keeping the list: answers update their rows, and the chosen
    // rows stay chosen (a change of the network, another program). Returns
    // the milliseconds until it begins.
    qint64 refresh();

    // Whether a message to address reaches one host only: not this host's
    // networks' broadcasts, a search range's, the limited broadcast, 0.0.0.0
    // or a multicast (or reserved) address.
    bool isOneHost(quint32 address) const;

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

signals:
    // A search began to ask the network.
    void started();
    // A search ran at when; the targets it could not reach so far (a name
    // that did not resolve, an address the network refused), each once.
    void searched(const QDateTime &when, const QStringList &unreachable);

private:
    void begin();
    bool refuse(const QString &why);
    static QString tooLong();
    void pump();
    void unreachable(const QString &target);
    void resolved(int search, const QString &name, const QHostInfo &info);

    Transport &m_transport;
    const OptSettings &m_settings;
    const LocalUser &m_user;
    UserListModel &m_users;
    HistoryModel &m_history;
    const Clock &m_clock;
    Dialogs &m_dialogs;
    QString m_broadcastAddress;
    std::function<std::vector<NetInterface>()> m_interfaces;
    const SearchSettings &m_targets;
    SearchPacer m_pacer;
    QTimer m_paceTimer;
    QTimer m_startTimer; // a search asked for inside the gap
    qint64 m_lastStart = -1;
    int m_search = 0; // which search a late name lookup belongs to
    QDateTime m_searchedAt;
    QStringList m_unreachable;
    SendRound m_round;
};
