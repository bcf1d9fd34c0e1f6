#include "connectioncheck.h"

#include "peersearch.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QHostAddress>
#include <QTimer>

ConnectionCheck::ConnectionCheck(Transport &transport, const PeerSearch &search,
                                 const UserListModel &users, QObject *parent)
    : QObject(parent), m_transport(transport), m_search(search), m_users(users)
{
}

void ConnectionCheck::check(const QString &typed, Done done)
{
    const QString address = typed.trimmed();
    const QHostAddress ip(address);
    // Dotted in full, as the send window's address box takes it.
    if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.toString() != address)
        return done({Outcome::NotAnAddress,
                     QStringLiteral("「%1」はIPｱﾄﾞﾚｽではありません。").arg(address)});
    if (!m_search.isOneHost(ip.toIPv4Address()))
        return done({Outcome::NotOneHost, QStringLiteral("%1 は一人の相手のIPｱﾄﾞﾚｽではありません"
                                                         "（ﾌﾞﾛｰﾄﾞｷｬｽﾄやﾏﾙﾁｷｬｽﾄ）。")
                                              .arg(address)});
    const bool wasListed = m_users.rowAt(address) != nullptr;
    if (!m_transport.send(address, wire::searchRequest()))
        return done(
            {Outcome::Unreachable, QStringLiteral("%1 にはこのコンピューターから届きません（%2）。")
                                       .arg(address, m_transport.failure())});
    auto *wait = new QObject(this);
    m_pending.push_back({address, wasListed, std::move(done), wait});
    QTimer::singleShot(AnswerWaitMsecs, wait, [this, wait] {
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (it->wait != wait)
                continue;
            const Pending silent = *it;
            m_pending.erase(it);
            wait->deleteLater();
            return silent.done(
                {Outcome::NoAnswer,
                 QStringLiteral("%1 からは応答がありません（ぽるとな～が起動していないか、途中の"
                                "ﾌｧｲｱｳｫｰﾙが UDP 50319 を通していません）。")
                     .arg(silent.address)});
        }
    });
}

void ConnectionCheck::replied(const QString &source)
{
    // Every check of that address ends with the one answer.
    std::list<Pending> answered;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->address == source)
            answered.splice(answered.end(), m_pending, it++);
        else
            ++it;
    }
    for (const Pending &p : answered) {
        p.wait->deleteLater();
        const QString who = QStringLiteral("%1 の %2 ").arg(p.address, m_users.nameAt(p.address));
        const quint32 ip = QHostAddress(p.address).toIPv4Address();
        if (!m_users.rowAt(p.address))
            p.done({Outcome::NotListed,
                    QStringLiteral("%1 は応答しましたが、同じぽるとな～が別のｱﾄﾞﾚｽで載っているか、"
                                   "一覧がいっぱいのため、一覧に載りません。")
                        .arg(p.address)});
        else if (!m_search.searches(ip))
            p.done({Outcome::NotSearched,
                    who + QStringLiteral("は応答しましたが、検索先にそのﾈｯﾄﾜｰｸがないため、"
                                         "再検索すると一覧から消えます（ｵﾌﾟｼｮﾝの「ﾈｯﾄﾜｰｸ」で"
                                         "検索先に加えてください）。")});
        else if (p.wasListed)
            p.done({Outcome::Listed, who + QStringLiteral("は応答し、一覧に載っています。")});
        else
            p.done({Outcome::ListedNow,
                    who + QStringLiteral("は応答し、一覧に載りました（前の検索の応答が"
                                         "なかったか、届きませんでした）。")});
    }
}

QString ConnectionCheck::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Listed:
        return QStringLiteral("listed");
    case Outcome::ListedNow:
        return QStringLiteral("listed-now");
    case Outcome::NotSearched:
        return QStringLiteral("not-searched");
    case Outcome::NotListed:
        return QStringLiteral("not-listed");
    case Outcome::NoAnswer:
        return QStringLiteral("no-answer");
    case Outcome::Unreachable:
        return QStringLiteral("unreachable");
    case Outcome::NotOneHost:
        return QStringLiteral("not-one-host");
    case Outcome::NotAnAddress:
        return QStringLiteral("invalid");
    }
    return {};
}
