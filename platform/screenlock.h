#pragma once

#include <QObject>
#include <QString>

// Whether the desktop session's screen is locked, as the desktop tells it
// (never polled).
class ScreenLock : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ScreenLock() override = default;

    virtual bool locked() const = 0;
    // Why nothing here tells of the lock, for the user; empty when something does.
    virtual QString unheard() const = 0;

signals:
    // Also false when the only source that said locked goes away: its
    // unlock can no longer be heard.
    void lockedChanged(bool locked);
};
