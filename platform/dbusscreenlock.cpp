#include "dbusscreenlock.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

struct ScreenSaver
{
    const char *service;
    const char *path;
};
// KDE's and most desktops' name, then GNOME's own.
const ScreenSaver ScreenSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
};

const QString Login1 = QStringLiteral("org.freedesktop.login1");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString SessionInterface = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

DBusScreenLock::DBusScreenLock(QObject *parent)
    : ScreenLock(parent), m_session(QDBusConnection::sessionBus()),
      m_system(QDBusConnection::systemBus())
{
    listenToScreenSavers();
    listenToLogind();
}

bool DBusScreenLock::locked() const
{
    return m_locked;
}

QString DBusScreenLock::unheard() const
{
    for (const State &s : m_states)
        if (s.heard)
            return {};
    return QStringLiteral("このデスクトップは画面のロックを知らせません（logind の LockedHint も、"
                          "ScreenSaver の ActiveChanged もありません）。");
}

void DBusScreenLock::listenToScreenSavers()
{
    if (!m_session.isConnected())
        return;
    const char *receivers[] = {SLOT(freedesktopActive(bool)), SLOT(gnomeActive(bool))};
    QStringList services;
    for (int s = Freedesktop; s <= Gnome; ++s) {
        const QString service = QLatin1String(ScreenSavers[s].service);
        services << service;
        // Qt follows the name's owner: a screensaver that starts later is heard too.
        m_session.connect(service, QLatin1String(ScreenSavers[s].path), service,
                          QStringLiteral("ActiveChanged"), this, receivers[s]);
        askScreenSaver(Source(s));
    }
    auto *watcher = new QDBusServiceWatcher(this);
    watcher->setConnection(m_session);
    watcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    watcher->setWatchedServices(services);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &service, const QString &, const QString &owner) {
                const Source s = service == QLatin1String(ScreenSavers[Gnome].service)
                                     ? Gnome
                                     : Freedesktop;
                if (owner.isEmpty())
                    set(s, {}); // gone: its unlock will never be heard
                else
                    askScreenSaver(s);
            });
}

void DBusScreenLock::askScreenSaver(Source source)
{
    const QString service = QLatin1String(ScreenSavers[source].service);
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QLatin1String(ScreenSavers[source].path), service, QStringLiteral("GetActive"));
    call.setAutoStartService(false); // only one the desktop runs
    auto *watcher = new QDBusPendingCallWatcher(m_session.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, source](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<bool> reply = *w;
                // A service of that name without the lock's methods tells nothing.
                if (!reply.isError())
                    set(source, {true, reply.value()});
            });
}

void DBusScreenLock::listenToLogind()
{
    if (!m_system.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        Login1, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("GetSession"));
    // "auto": the session this process belongs to.
    call.setArguments({QStringLiteral("auto")});
    call.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError())
            return; // not in a session logind knows
        m_sessionPath = reply.value().path();
        m_system.connect(Login1, m_sessionPath, Properties, QStringLiteral("PropertiesChanged"),
                         this, SLOT(sessionProperties(QString, QVariantMap, QStringList)));
        askLockedHint(m_sessionPath);
    });
}

void DBusScreenLock::askLockedHint(const QString &sessionPath)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(Login1, sessionPath, Properties, QStringLiteral("Get"));
    call.setArguments({SessionInterface, QStringLiteral("LockedHint")});
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError())
            set(Logind, {true, reply.value().variant().toBool()});
    });
}

void DBusScreenLock::freedesktopActive(bool active)
{
    set(Freedesktop, {true, active});
}

void DBusScreenLock::gnomeActive(bool active)
{
    set(Gnome, {true, active});
}

void DBusScreenLock::sessionProperties(const QString &interface, const QVariantMap &changed,
                                       const QStringList &invalidated)
{
    if (interface != SessionInterface)
        return;
    if (const auto it = changed.find(QStringLiteral("LockedHint")); it != changed.end())
        set(Logind, {true, it->toBool()});
    else if (invalidated.contains(QStringLiteral("LockedHint")))
        askLockedHint(m_sessionPath);
}

void DBusScreenLock::set(Source source, State state)
{
    m_states[source] = state;
    bool now = false;
    for (const State &s : m_states)
        now = now || s.locked;
    if (now == m_locked)
        return;
    m_locked = now;
    emit lockedChanged(now);
}
