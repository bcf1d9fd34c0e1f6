#include "composer.h"

#include "clock.h"
#include "cp932.h"
#include "dialogs.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "localuser.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wire.h"

Composer::Composer(Transport &transport, const LocalUser &user, UserListModel &users,
                   HistoryModel &history, const Clock &clock, Dialogs &dialogs)
    : m_transport(transport), m_user(user), m_users(users), m_history(history), m_clock(clock),
      m_dialogs(dialogs), m_round(transport, history, clock, this)
{
}

bool Composer::askNote()
{
    return m_transport.send(m_users.selectedPeerAddress(), wire::letterRequest());
}

bool Composer::send(const QString &recipient, const QString &typed)
{
    const QString text = fieldtext::crlf(typed);
    if (recipient.isEmpty())
        return refuse(QStringLiteral("送信先を指定してください。"));
    if (text.isEmpty())
        return refuse(QStringLiteral("ﾒｯｾｰｼﾞを入力してください。"));
    // A name typed by hand names no address: nothing would leave.
    const QString peer = m_users.selectedPeerAddress();
    if (peer.isEmpty())
        return refuse(QStringLiteral("送信先を一覧からｸﾘｯｸしてください。"));
    return deliver(peer, recipient, m_user.composeName(), text);
}

bool Composer::deliver(const QString &peer, const QString &recipient, const QString &nameField,
                       const QString &text)
{
    switch (post(peer, recipient, nameField, text)) {
    case Posted::Sent:
        return true;
    case Posted::TooLong:
        return refuse(tooLong());
    case Posted::Refused:
        break;
    }
    return refuse(QStringLiteral("ﾒｯｾｰｼﾞを送信できませんでした。\r"
                                 "入力した内容は残してあります。"));
}

Composer::Posted Composer::post(const QString &peer, const QString &recipient,
                                const QString &nameField, const QString &text)
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
    return Posted::Sent;
}

bool Composer::sendToEach(const std::vector<SendRound::Recipient> &recipients, const QString &typed)
{
    const QString text = fieldtext::crlf(typed);
    if (text.isEmpty())
        return refuse(QStringLiteral("ﾒｯｾｰｼﾞを入力してください。"));
    if (!fits(m_user.composeName(), text))
        return refuse(tooLong());
    const int count = int(recipients.size());
    if (count > MaxUnasked &&
        m_dialogs.messageBox(
            {QString::number(count) + QStringLiteral(" 人に送信します。よろしいですか？"),
             QStringLiteral("ぽるとな～"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo,
             Dialogs::No}) != Dialogs::Yes)
        return false;
    m_round.start(recipients, m_user.composeName(), text);
    return true;
}

bool Composer::fits(const QString &nameField, const QString &text)
{
    // The time and the reference are fixed-width: any values measure it.
    return cp932::encode(
               wire::message(nameField, QStringLiteral("00:00:00"), wire::refField(1), text))
               .size() <= wire::MaxDatagramBytes;
}

QString Composer::tooLong()
{
    return QStringLiteral("ﾒｯｾｰｼﾞが長すぎます。\r") + QString::number(wire::MaxDatagramBytes) +
           QStringLiteral(" ﾊﾞｲﾄ以内にしてください。");
}

bool Composer::refuse(const QString &why)
{
    m_dialogs.messageBox({why, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation,
                          Dialogs::Buttons::Ok, Dialogs::Ok});
    return false;
}
