#include "composer.h"

#include "clock.h"
#include "dialogs.h"
#include "dispatcher.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "localuser.h"
#include "optsettings.h"
#include "userlistmodel.h"
#include "wire.h"

Composer::Composer(Dispatcher &dispatcher, const OptSettings &settings, const LocalUser &user,
                   UserListModel &users, HistoryModel &history, const Clock &clock,
                   Dialogs &dialogs, QString broadcastAddress)
    : m_dispatcher(dispatcher), m_settings(settings), m_user(user), m_users(users),
      m_history(history), m_clock(clock), m_dialogs(dialogs),
      m_broadcastAddress(std::move(broadcastAddress))
{
}

void Composer::search()
{
    m_users.clear();
    m_dispatcher.send(m_broadcastAddress, wire::searchRequest());
    if (!m_settings.ipSetAddr.isEmpty())
        m_dispatcher.send(m_settings.ipSetAddr, wire::searchRequest());
}

bool Composer::send(const QString &recipient, const QString &typed)
{
    const QString text = fieldtext::crlf(typed);

    const auto refuse = [this](const QString &why) {
        m_dialogs.messageBox({why, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
        return false;
    };
    if (recipient.isEmpty())
        return refuse(QStringLiteral("送信先を指定してください。"));
    if (text.isEmpty())
        return refuse(QStringLiteral("ﾒｯｾｰｼﾞを入力してください。"));

    // The row comes first: its number travels with the message.
    const QString name = m_user.composeName();
    const QString time = fieldtext::timeText(m_clock.now());
    const int rowNo = m_history.logAddSend(recipient, text);
    m_dispatcher.send(m_users.selectedPeerAddress(),
                      wire::message(name, time, wire::refField(rowNo), text));
    return true;
}
