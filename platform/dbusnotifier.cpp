#include "dbusnotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

DBusNotifier::DBusNotifier(QObject *parent) : Notifier(parent) {}

void DBusNotifier::notify(const QString &summary, const QString &body)
{
    // The bus is reached at the first notification, not at start-up: most
    // copies never need it.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!m_listening)
        m_listening = bus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                                  SLOT(actionInvoked(uint, QString)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    // Some servers read markup in the body: what a peer sent is escaped.
    call << QStringLiteral("ぽるとな～") << m_last << QStringLiteral("portana")
         << summary.toHtmlEscaped() << body.toHtmlEscaped()
         << QStringList{QStringLiteral("default"), QStringLiteral("表示")} << QVariantMap()
         << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid())
            m_last = reply.value();
        w->deleteLater();
    });
}

void DBusNotifier::actionInvoked(uint id, const QString &action)
{
    if (id != 0 && id == m_last && action == QLatin1String("default"))
        emit activated();
}
