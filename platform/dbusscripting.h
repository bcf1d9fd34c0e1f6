#pragma once

#include "scripting.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>

// The copy on the session bus: jp.portana.Portana, /jp/portana/Portana,
// interface jp.portana.Portana1.
namespace dbusscripting {
constexpr char Service[] = "jp.portana.Portana";
constexpr char Path[] = "/jp/portana/Portana";
constexpr char Interface[] = "jp.portana.Portana1";
// How long a client waits: a send is answered within the copy's wait for
// the peer (10 s), after a search for a name (up to 4 s); a check within
// its wait for the answer (3 s); the rest at once.
constexpr int SendWaitMsecs = 16000;
constexpr int CallWaitMsecs = 5000;
} // namespace dbusscripting

// The service: every message to the object is answered here, so that the
// bus sees the documented interface and nothing else (no QObject property).
class DBusScriptHost final : public QDBusVirtualObject, public ScriptHost
{
    Q_OBJECT
public:
    explicit DBusScriptHost(QObject *parent = nullptr);
    bool serve(ScriptTarget &target) override;

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    void send(const QDBusMessage &call, const QDBusConnection &bus);
    void check(const QDBusMessage &call, const QDBusConnection &bus);
    QDBusMessage properties(const QDBusMessage &call) const;
    QVariantMap propertyValues() const;
    void emitSignal(const QString &interface, const QString &name, const QVariantList &args);
    // Tells the bus (PropertiesChanged) which properties changed.
    void tellState();

    ScriptTarget *m_target = nullptr;
    int m_waiting = 0;
    bool m_away = false;
};

class DBusScriptClient final : public ScriptClient
{
public:
    bool running() override;
    std::optional<QString> send(const QString &peer, const QString &text,
                                const QStringList &files) override;
    std::optional<QList<PeerEntry>> peers() override;
    bool search() override;
    std::optional<std::pair<QString, QString>> check(const QString &address) override;

private:
    std::optional<QDBusMessage> call(const QString &method, const QVariantList &args,
                                     int timeoutMs);
};
