#include "composer.h"

#include "clock.h"
#include "cp932.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "localuser.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wire.h"

Composer::Composer(Transport &transport, const LocalUser &user, UserListModel &users,
                   HistoryModel &history, const Clock &clock)
    : m_transport(transport), m_user(user), m_users(users), m_history(history), m_clock(clock),
      m_round(transport, history, clock, this)
{
    // The round is this part's own: what it sends is what this part sent.
    connect(&m_round, &SendRound::posted, this, &Composer::posted);
}

bool Composer::askNote()
{
    return m_transport.send(m_users.selectedPeerAddress(), wire::letterRequest());
}

QString refusalText(Posted posted)
{
    switch (posted) {
    case Posted::NoRecipient:
        return QStringLiteral("送信先を指定してください。");
    case Posted::NoText:
        return QStringLiteral("ﾒｯｾｰｼﾞを入力してください。");
    case Posted::NotListed:
        return QStringLiteral("送信先を一覧からｸﾘｯｸしてください。");
    case Posted::TooLong:
        return QStringLiteral("ﾒｯｾｰｼﾞが長すぎます。\r") + QString::number(wire::MaxDatagramBytes) +
               QStringLiteral(" ﾊﾞｲﾄ以内にしてください。");
    case Posted::Refused:
        return QStringLiteral("ﾒｯｾｰｼﾞを送信できませんでした。\r入力した内容は残してあります。");
    case Posted::Sent:
    case Posted::Declined:
        break;
    }
    return {};
}

Composer::Posted Composer::send(const QString &recipient, const QString &typed,
                               const QStringList &files)
{
    const QString text = fieldtext::crlf(typed);
    if (recipient.isEmpty())
        return Posted::NoRecipient;
    if (text.isEmpty())
        return Posted::NoText;
    // A name typed by hand names no address: nothing would leave.
    const QString peer = m_users.selectedPeerAddress();
    if (peer.isEmpty())
        return Posted::NotListed;
    return post(peer, recipient, m_user.composeName(), text, files);
}

Composer::Posted Composer::post(const QString &peer, const QString &recipient,
                                const QString &nameField, const QString &text,
                                const QStringList &files)
{
    if (!fits(nameField, text))
        return Posted::TooLong;
    // Its answers are this message's, not a round's that sent to peer before.
    m_round.release(peer);
    // The row comes first: its number travels with the message. A message
    // the system refuses to send is not recorded.
    const int rowNo = m_history.logAddSend(recipient, text);
    const QString time = fieldtext::timeText(m_clock.now());
    if (!m_transport.sendBytes(
            peer, cp932::encode(wire::message(nameField, time, wire::refField(rowNo), text)))) {
        m_history.dropLast(rowNo);
        return Posted::Refused;
    }
    emit posted(peer, rowNo, files);
    return Posted::Sent;
}

Composer::Posted Composer::sendToEach(const std::vector<SendRound::Recipient> &recipients,
                                      const QString &typed, const Confirm &confirm,
                                      const QStringList &files)
{
    const QString text = fieldtext::crlf(typed);
    if (text.isEmpty())
        return Posted::NoText;
    if (!fits(m_user.composeName(), text))
        return Posted::TooLong;
    const int count = int(recipients.size());
    if (count > MaxUnasked && !confirm(count))
        return Posted::Declined;
    m_round.start(recipients, m_user.composeName(), text, files);
    return Posted::Sent;
}

bool Composer::fits(const QString &nameField, const QString &text)
{
    // The time and the reference are fixed-width: any values measure it.
    return cp932::encode(
               wire::message(nameField, QStringLiteral("00:00:00"), wire::refField(1), text))
               .size() <= wire::MaxDatagramBytes;
}
