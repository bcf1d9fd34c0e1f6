#include "dbusscripting.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>

#include <utility>

QDBusArgument &operator<<(QDBusArgument &arg, const PeerEntry &p)
{
    arg.beginStructure();
    arg << p.name << p.login << p.address;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, PeerEntry &p)
{
    arg.beginStructure();
    arg >> p.name >> p.login >> p.address;
    arg.endStructure();
    return arg;
}

namespace {

void registerTypes()
{
    qDBusRegisterMetaType<PeerEntry>();
    qDBusRegisterMetaType<QList<PeerEntry>>();
}

const QString InvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");

} // namespace

DBusScriptHost::DBusScriptHost(QObject *parent) : QObject(parent) {}

bool DBusScriptHost::serve(ScriptTarget &target)
{
    registerTypes();
    m_target = &target;
    connect(&target, &ScriptTarget::messageArrived, this, &DBusScriptHost::MessageArrived);
    connect(&target, &ScriptTarget::peersChanged, this, &DBusScriptHost::PeersChanged);
    connect(&target, &ScriptTarget::stateChanged, this, &DBusScriptHost::tellState);
    m_waiting = target.waitingCount();
    m_away = target.away();
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() &&
           bus.registerObject(QLatin1String(dbusscripting::Path), this,
                              QDBusConnection::ExportScriptableContents) &&
           bus.registerService(QLatin1String(dbusscripting::Service));
}

void DBusScriptHost::tellState()
{
    QVariantMap changed;
    if (const int waiting = m_target->waitingCount(); waiting != std::exchange(m_waiting, waiting))
        changed.insert(QStringLiteral("WaitingCount"), waiting);
    if (const bool away = m_target->away(); away != std::exchange(m_away, away))
        changed.insert(QStringLiteral("Away"), away);
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(dbusscripting::Path), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(dbusscripting::Interface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

int DBusScriptHost::waitingCount() const
{
    return m_target ? m_target->waitingCount() : 0;
}

bool DBusScriptHost::away() const
{
    return m_target && m_target->away();
}

QString DBusScriptHost::Send(const QString &peer, const QString &text)
{
    setDelayedReply(true);
    QDBusMessage call = message();
    QDBusConnection bus = connection();
    m_target->send(peer, text, [call, bus](const QString &result) {
        if (result == u"invalid")
            bus.send(call.createErrorReply(
                InvalidArgs, QStringLiteral("送れないﾒｯｾｰｼﾞです（空か、長すぎます）。")));
        else
            bus.send(call.createReply(result));
    });
    return {};
}

QList<PeerEntry> DBusScriptHost::Peers()
{
    return m_target->peers();
}

void DBusScriptHost::Search()
{
    m_target->search();
}

bool DBusScriptClient::running()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = bus.lastError().message();
        return false;
    }
    return bus.interface()->isServiceRegistered(QLatin1String(dbusscripting::Service));
}

std::optional<QDBusMessage> DBusScriptClient::call(const QString &method, const QVariantList &args,
                                                   int timeoutMs)
{
    registerTypes();
    QDBusMessage m = QDBusMessage::createMethodCall(
        QLatin1String(dbusscripting::Service), QLatin1String(dbusscripting::Path),
        QLatin1String(dbusscripting::Interface), method);
    m.setArguments(args);
    m.setAutoStartService(false); // a client never starts a copy
    const QDBusMessage reply = QDBusConnection::sessionBus().call(m, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        error = reply.errorMessage();
        return std::nullopt;
    }
    return reply;
}

std::optional<QString> DBusScriptClient::send(const QString &peer, const QString &text)
{
    // The copy answers within its wait for the peer, and a search for a name.
    const auto reply = call(QStringLiteral("Send"), {peer, text}, 60000);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    return reply->arguments().constFirst().toString();
}

std::optional<QList<PeerEntry>> DBusScriptClient::peers()
{
    const auto reply = call(QStringLiteral("Peers"), {});
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    QList<PeerEntry> list;
    reply->arguments().constFirst().value<QDBusArgument>() >> list;
    return list;
}

bool DBusScriptClient::search()
{
    return call(QStringLiteral("Search"), {}).has_value();
}
