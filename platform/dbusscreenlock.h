#pragma once

#include "screenlock.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <array>

class QDBusServiceWatcher;

// The lock as the desktop's buses tell it: logind's LockedHint for this
// session (system bus), and the ActiveChanged signal of
// org.freedesktop.ScreenSaver and org.gnome.ScreenSaver (session bus),
// whichever are there. Locked while any of them says so. Nothing waits: a
// missing bus or service only leaves that source unheard.
class DBusScreenLock final : public ScreenLock
{
    Q_OBJECT
public:
    explicit DBusScreenLock(QObject *parent = nullptr);

    bool locked() const override;
    QString unheard() const override;

private slots:
    void freedesktopActive(bool active);
    void gnomeActive(bool active);
    void sessionProperties(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);

private:
    enum Source { Freedesktop, Gnome, Logind, Sources };
    struct State
    {
        bool heard = false;
        bool locked = false;
    };
    void listenToScreenSavers();
    void askScreenSaver(Source source);
    void listenToLogind();
    void askLockedHint(const QString &sessionPath);
    void set(Source source, State state);

    QDBusConnection m_session;
    QDBusConnection m_system;
    QString m_sessionPath;
    std::array<State, Sources> m_states{};
    bool m_locked = false;
};
