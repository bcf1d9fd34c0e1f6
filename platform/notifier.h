#pragma once

#include <QObject>
#include <QString>

// Desktop notifications, for desktops without a notification area.
class Notifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~Notifier() override = default;

    // Shows summary and body, both plain text. Nothing happens where no
    // notification service runs.
    virtual void notify(const QString &summary, const QString &body) = 0;

signals:
    // The user activated the last notification.
    void activated();
};
