#include "composer.h"

#include "clock.h"
#include "cp932.h"
#include "dialogs.h"
#include "transport.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "localuser.h"
#include "optsettings.h"
#include "userlistmodel.h"
#include "wire.h"

Composer::Composer(Transport &transport, const OptSettings &settings, const LocalUser &user,
                   UserListModel &users, HistoryModel &history, const Clock &clock,
                   Dialogs &dialogs, QString broadcastAddress,
                   std::function<std::vector<NetInterface>()> interfaces)
    : m_transport(transport), m_settings(settings), m_user(user), m_users(users),
      m_history(history), m_clock(clock), m_dialogs(dialogs),
      m_broadcastAddress(std::move(broadcastAddress)), m_interfaces(std::move(interfaces))
{
}

void Composer::search()
{
    m_users.clear();
    const auto interfaces = m_interfaces ? m_interfaces() : std::vector<NetInterface>();
    for (const QString &address : searchAddresses(m_broadcastAddress, interfaces))
        m_transport.send(address, wire::searchRequest());
    if (!m_settings.ipSetAddr.isEmpty())
        m_transport.send(m_settings.ipSetAddr, wire::searchRequest());
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
    const QString time = fieldtext::timeText(m_clock.now());
    const auto datagram = [&](int rowNo) {
        return cp932::encode(wire::message(nameField, time, wire::refField(rowNo), text));
    };
    // The reference is fixed-width: any number measures the datagram.
    if (datagram(m_history.rowCount() + 1).size() > wire::MaxDatagramBytes)
        return refuse(QStringLiteral("ﾒｯｾｰｼﾞが長すぎます。\r") +
                      QString::number(wire::MaxDatagramBytes) +
                      QStringLiteral(" ﾊﾞｲﾄ以内にしてください。"));
    // The row comes first: its number travels with the message. A message
    // the system refuses to send is not recorded.
    const int rowNo = m_history.logAddSend(recipient, text);
    if (!m_transport.sendBytes(peer, datagram(rowNo))) {
        m_history.dropLast(rowNo);
        return refuse(QStringLiteral("ﾒｯｾｰｼﾞを送信できませんでした。\r"
                                     "入力した内容は残してあります。"));
    }
    return true;
}

bool Composer::refuse(const QString &why)
{
    m_dialogs.messageBox({why, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation,
                          Dialogs::Buttons::Ok, Dialogs::Ok});
    return false;
}
