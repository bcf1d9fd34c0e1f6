#include "dbusscripting.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusVariant>

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
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// As the bus shows it: the arguments by name.
const char Introspection[] = "  <interface name=\"jp.portana.Portana1\">\n"
                             "    <method name=\"Send\">\n"
                             "      <arg name=\"peer\" type=\"s\" direction=\"in\"/>\n"
                             "      <arg name=\"text\" type=\"s\" direction=\"in\"/>\n"
                             "      <arg name=\"result\" type=\"s\" direction=\"out\"/>\n"
                             "    </method>\n"
                             "    <method name=\"SendFiles\">\n"
                             "      <arg name=\"peer\" type=\"s\" direction=\"in\"/>\n"
                             "      <arg name=\"text\" type=\"s\" direction=\"in\"/>\n"
                             "      <arg name=\"paths\" type=\"as\" direction=\"in\"/>\n"
                             "      <arg name=\"result\" type=\"s\" direction=\"out\"/>\n"
                             "    </method>\n"
                             "    <method name=\"Peers\">\n"
                             "      <arg name=\"peers\" type=\"a(sss)\" direction=\"out\"/>\n"
                             "    </method>\n"
                             "    <method name=\"Search\"/>\n"
                             "    <method name=\"Check\">\n"
                             "      <arg name=\"address\" type=\"s\" direction=\"in\"/>\n"
                             "      <arg name=\"outcome\" type=\"s\" direction=\"out\"/>\n"
                             "      <arg name=\"sentence\" type=\"s\" direction=\"out\"/>\n"
                             "    </method>\n"
                             "    <property name=\"WaitingCount\" type=\"i\" access=\"read\"/>\n"
                             "    <property name=\"Away\" type=\"b\" access=\"read\"/>\n"
                             "    <signal name=\"MessageArrived\">\n"
                             "      <arg name=\"sender\" type=\"s\"/>\n"
                             "      <arg name=\"address\" type=\"s\"/>\n"
                             "    </signal>\n"
                             "    <signal name=\"PeersChanged\"/>\n"
                             "  </interface>\n";

} // namespace

DBusScriptHost::DBusScriptHost(QObject *parent) : QDBusVirtualObject(parent) {}

bool DBusScriptHost::serve(ScriptTarget &target)
{
    registerTypes();
    m_target = &target;
    const QString iface = QLatin1String(dbusscripting::Interface);
    connect(&target, &ScriptTarget::messageArrived, this,
            [this, iface](const QString &sender, const QString &address) {
                emitSignal(iface, QStringLiteral("MessageArrived"), {sender, address});
            });
    connect(&target, &ScriptTarget::peersChanged, this,
            [this, iface] { emitSignal(iface, QStringLiteral("PeersChanged"), {}); });
    connect(&target, &ScriptTarget::stateChanged, this, &DBusScriptHost::tellState);
    m_waiting = target.waitingCount();
    m_away = target.away();
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() &&
           bus.registerVirtualObject(QLatin1String(dbusscripting::Path), this,
                                     QDBusConnection::SingleNode) &&
           bus.registerService(QLatin1String(dbusscripting::Service));
}

QString DBusScriptHost::introspect(const QString &) const
{
    return QLatin1String(Introspection);
}

bool DBusScriptHost::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (!m_target || message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString member = message.member();
    const QString signature = message.signature();
    QDBusConnection bus = connection;
    if (message.interface() == PropertiesInterface) {
        bus.send(properties(message));
        return true;
    }
    if (!message.interface().isEmpty() &&
        message.interface() != QLatin1String(dbusscripting::Interface))
        return false; // Introspectable and Peer are the library's
    if ((member == u"Send" && signature == u"ss") ||
        (member == u"SendFiles" && signature == u"ssas")) {
        send(message, bus);
    } else if (member == u"Peers" && signature.isEmpty()) {
        bus.send(message.createReply(QVariant::fromValue(m_target->peers())));
    } else if (member == u"Search" && signature.isEmpty()) {
        m_target->search();
        bus.send(message.createReply());
    } else if (member == u"Check" && signature == u"s") {
        check(message, bus);
    } else if (member == u"Send" || member == u"SendFiles" || member == u"Peers" ||
               member == u"Search" || member == u"Check") {
        bus.send(
            message.createErrorReply(InvalidArgs, QStringLiteral("引数が違います: ") + signature));
    } else {
        return false; // unknown method: the library answers so
    }
    return true;
}

void DBusScriptHost::send(const QDBusMessage &call, const QDBusConnection &bus)
{
    // A caller that gave up (a copy that hung until after its wait) has left
    // the bus: the message it no longer waits for is not sent, so that a
    // script that tries again does not send it twice.
    if (!call.service().isEmpty() && !bus.interface()->isServiceRegistered(call.service()))
        return;
    const QList<QVariant> args = call.arguments();
    const QStringList files = args.size() > 2 ? args.at(2).toStringList() : QStringList();
    m_target->send(args.at(0).toString(), args.at(1).toString(), files,
                   [call, bus, files](const QString &result) {
                       if (result == u"invalid")
                           bus.send(call.createErrorReply(
                               InvalidArgs,
                               files.isEmpty()
                                   ? QStringLiteral("送れないﾒｯｾｰｼﾞです（空か、長すぎるか、"
                                                    "制御文字があります）。")
                                   : QStringLiteral("送れないﾒｯｾｰｼﾞです（空か、長すぎるか、"
                                                    "制御文字があるか、読めないﾌｧｲﾙがあります）。")));
                       else if (result == u"not-one-host")
                           bus.send(call.createErrorReply(
                               InvalidArgs, QStringLiteral("一人の相手のIPｱﾄﾞﾚｽではありません"
                                                           "（ﾌﾞﾛｰﾄﾞｷｬｽﾄやﾏﾙﾁｷｬｽﾄ）: ") +
                                                call.arguments().at(0).toString()));
                       else
                           bus.send(call.createReply(result));
                   });
}

void DBusScriptHost::check(const QDBusMessage &call, const QDBusConnection &bus)
{
    m_target->check(call.arguments().at(0).toString(),
                    [call, bus](const QString &outcome, const QString &sentence) {
                        if (outcome == u"invalid" || outcome == u"not-one-host")
                            bus.send(call.createErrorReply(InvalidArgs, sentence));
                        else
                            bus.send(call.createReply({outcome, sentence}));
                    });
}

QVariantMap DBusScriptHost::propertyValues() const
{
    return {{QStringLiteral("WaitingCount"), m_target->waitingCount()},
            {QStringLiteral("Away"), m_target->away()}};
}

QDBusMessage DBusScriptHost::properties(const QDBusMessage &call) const
{
    const QList<QVariant> args = call.arguments();
    const QString iface = args.value(0).toString();
    const bool ours = iface == QLatin1String(dbusscripting::Interface);
    const QVariantMap values = propertyValues();
    if (call.member() == u"GetAll" && call.signature() == u"s")
        return call.createReply(ours ? values : QVariantMap());
    if (call.member() == u"Get" && call.signature() == u"ss") {
        const auto it = values.find(args.value(1).toString());
        if (ours && it != values.end())
            return call.createReply(QVariant::fromValue(QDBusVariant(*it)));
        return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                     QStringLiteral("そのﾌﾟﾛﾊﾟﾃｨはありません"));
    }
    if (call.member() == u"Set")
        return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                                     QStringLiteral("読み取り専用です"));
    return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                 call.member());
}

void DBusScriptHost::emitSignal(const QString &interface, const QString &name,
                                const QVariantList &args)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(dbusscripting::Path), interface, name);
    signal.setArguments(args);
    QDBusConnection::sessionBus().send(signal);
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
    emitSignal(PropertiesInterface, QStringLiteral("PropertiesChanged"),
               {QLatin1String(dbusscripting::Interface), changed, QStringList()});
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
        hung = reply.errorName() == u"org.freedesktop.DBus.Error.NoReply" ||
               reply.errorName() == u"org.freedesktop.DBus.Error.Timeout";
        return std::nullopt;
    }
    return reply;
}

std::optional<QString> DBusScriptClient::send(const QString &peer, const QString &text,
                                              const QStringList &files)
{
    const auto reply =
        files.isEmpty()
            ? call(QStringLiteral("Send"), {peer, text}, dbusscripting::SendWaitMsecs)
            : call(QStringLiteral("SendFiles"), {peer, text, files}, dbusscripting::SendWaitMsecs);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    return reply->arguments().constFirst().toString();
}

std::optional<QList<PeerEntry>> DBusScriptClient::peers()
{
    const auto reply = call(QStringLiteral("Peers"), {}, dbusscripting::CallWaitMsecs);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    QList<PeerEntry> list;
    reply->arguments().constFirst().value<QDBusArgument>() >> list;
    return list;
}

bool DBusScriptClient::search()
{
    return call(QStringLiteral("Search"), {}, dbusscripting::CallWaitMsecs).has_value();
}

std::optional<std::pair<QString, QString>> DBusScriptClient::check(const QString &address)
{
    const auto reply = call(QStringLiteral("Check"), {address}, dbusscripting::CallWaitMsecs);
    if (!reply || reply->arguments().size() != 2)
        return std::nullopt;
    return std::pair{reply->arguments().at(0).toString(), reply->arguments().at(1).toString()};
}
