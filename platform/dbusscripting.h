#pragma once

#include "scripting.h"

#include <QDBusContext>
#include <QDBusMessage>

// The copy on the session bus: jp.portana.Portana, /jp/portana/Portana,
// interface jp.portana.Portana1.
namespace dbusscripting {
constexpr char Service[] = "jp.portana.Portana";
constexpr char Path[] = "/jp/portana/Portana";
constexpr char Interface[] = "jp.portana.Portana1";
} // namespace dbusscripting

class DBusScriptHost final : public QObject, public ScriptHost, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "jp.portana.Portana1")
    // As the bus shows it: the arguments by name.
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"jp.portana.Portana1\">\n"
                "    <method name=\"Send\">\n"
                "      <arg name=\"peer\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"text\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"result\" type=\"s\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"Peers\">\n"
                "      <arg name=\"peers\" type=\"a(sss)\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"Search\"/>\n"
                "    <property name=\"WaitingCount\" type=\"i\" access=\"read\"/>\n"
                "    <property name=\"Away\" type=\"b\" access=\"read\"/>\n"
                "    <signal name=\"MessageArrived\">\n"
                "      <arg name=\"sender\" type=\"s\"/>\n"
                "      <arg name=\"address\" type=\"s\"/>\n"
                "    </signal>\n"
                "    <signal name=\"PeersChanged\"/>\n"
                "  </interface>\n")
    Q_PROPERTY(int WaitingCount READ waitingCount SCRIPTABLE true)
    Q_PROPERTY(bool Away READ away SCRIPTABLE true)
public:
    explicit DBusScriptHost(QObject *parent = nullptr);
    bool serve(ScriptTarget &target) override;

    int waitingCount() const;
    bool away() const;

public slots:
    // The answer leaves when the peer answers, or after the wait.
    Q_SCRIPTABLE QString Send(const QString &peer, const QString &text);
    Q_SCRIPTABLE QList<PeerEntry> Peers();
    Q_SCRIPTABLE void Search();

signals:
    Q_SCRIPTABLE void MessageArrived(const QString &sender, const QString &address);
    Q_SCRIPTABLE void PeersChanged();

private:
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
    std::optional<QString> send(const QString &peer, const QString &text) override;
    std::optional<QList<PeerEntry>> peers() override;
    bool search() override;

private:
    std::optional<QDBusMessage> call(const QString &method, const QVariantList &args,
                                     int timeoutMs = -1);
};
