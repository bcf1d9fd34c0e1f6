#include "composer.h"

#include "clock.h"
#include "cp932.h"
#include "dialogs.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "localuser.h"
#include "optsettings.h"
#include "searchsettings.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QHostAddress>
#include <QHostInfo>

Composer::Composer(Transport &transport, const OptSettings &settings, const LocalUser &user,
                   UserListModel &users, HistoryModel &history, const Clock &clock,
                   Dialogs &dialogs, const SearchSettings &targets, QString broadcastAddress,
                   std::function<std::vector<NetInterface>()> interfaces)
    : m_transport(transport), m_settings(settings), m_user(user), m_users(users),
      m_history(history), m_clock(clock), m_dialogs(dialogs),
      m_broadcastAddress(std::move(broadcastAddress)), m_interfaces(std::move(interfaces)),
      m_targets(targets), m_pacer(clock), m_round(transport, history, clock, this)
{
    m_paceTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &Composer::pump);
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, &Composer::begin);
}

void Composer::search()
{
    m_users.clear();
    refresh();
}

qint64 Composer::refresh()
{
    if (m_startTimer.isActive())
        return m_startTimer.remainingTime();
    const qint64 wait = m_lastStart < 0 ? 0 : m_lastStart + GapMsecs - m_clock.elapsedMsecs();
    if (wait <= 0) {
        begin();
        return 0;
    }
    m_startTimer.start(int(wait));
    return wait;
}

void Composer::begin()
{
    m_lastStart = m_clock.elapsedMsecs();
    const auto interfaces = m_interfaces ? m_interfaces() : std::vector<NetInterface>();
    for (const QString &address : searchAddresses(m_broadcastAddress, interfaces))
        m_transport.send(address, wire::searchRequest());
    if (!m_settings.ipSetAddr.isEmpty())
        m_transport.send(m_settings.ipSetAddr, wire::searchRequest());

    const int search = ++m_search;
    m_pacer.clear();
    m_unreachable.clear();
    m_searchedAt = m_clock.now();
    emit started();
    quint32 addresses = 0;
    for (const QString &line : m_targets.targets()) {
        const auto parsed = searchtargets::parse(line);
        const auto *target = std::get_if<searchtargets::Target>(&parsed);
        // The options page refuses such lines; a hand-edited file may hold
        // them: a line that is none, or one past the search's limit, is passed over.
        if (!target || addresses + searchtargets::weight(*target) > searchtargets::MaxAddresses)
            continue;
        addresses += searchtargets::weight(*target);
        if (target->name.isEmpty()) {
            m_pacer.add(*target);
            continue;
        }
        const QString name = target->name;
        QHostInfo::lookupHost(name, this, [this, search, name](const QHostInfo &info) {
            resolved(search, name, info);
        });
    }
    pump();
    emit searched(m_searchedAt, m_unreachable);
}

void Composer::unreachable(const QString &target)
{
    if (m_unreachable.contains(target))
        return;
    m_unreachable << target;
    emit searched(m_searchedAt, m_unreachable);
}

void Composer::resolved(int search, const QString &name, const QHostInfo &info)
{
    if (search != m_search)
        return; // a newer search has begun
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            m_pacer.add({name, {}, a.toIPv4Address(), 1});
            pump();
            return;
        }
    }
    unreachable(name);
}

void Composer::pump()
{
    const int next =
        m_pacer.pump([this](const searchtargets::Target &target, const QString &address) {
            if (!m_transport.send(address, wire::searchRequest()))
                unreachable(target.text);
        });
    if (next >= 0)
        m_paceTimer.start(next);
}

bool Composer::isOneHost(quint32 address) const
{
    if (address == 0 || address == 0xffffffffu || address >= 0xe0000000u)
        return false; // 224.0.0.0/4 multicast, 240.0.0.0/4 reserved
    const auto interfaces = m_interfaces ? m_interfaces() : std::vector<NetInterface>();
    for (const QString &broadcast : searchAddresses(m_broadcastAddress, interfaces))
        if (QHostAddress(broadcast).toIPv4Address() == address)
            return false;
    for (const QString &line : m_targets.targets()) {
        const auto parsed = searchtargets::parse(line);
        if (const auto *t = std::get_if<searchtargets::Target>(&parsed);
            t && t->broadcast == address)
            return false;
    }
    return true;
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
