#pragma once

#include "notifier.h"

// org.freedesktop.Notifications on the session bus. Calls never wait: a
// missing service or bus costs nothing but the call.
class DBusNotifier final : public Notifier
{
    Q_OBJECT
public:
    explicit DBusNotifier(QObject *parent = nullptr);

    void notify(const QString &summary, const QString &body) override;

private slots:
    void actionInvoked(uint id, const QString &action);

private:
    uint m_last = 0;
    bool m_listening = false;
};
