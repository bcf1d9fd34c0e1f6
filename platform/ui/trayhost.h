#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QWidget;

// One icon in the notification area.
class TrayHost : public QObject
{
    Q_OBJECT
public:
    enum class Event { LeftButtonDown, RightButtonDown, Other };

    using QObject::QObject;
    ~TrayHost() override = default;

    // Whether the desktop has a notification area at all.
    virtual bool available() const = 0;
    virtual void add(const QIcon &icon, const QString &tip) = 0;
    virtual void modify(const QIcon &icon) = 0;
    virtual void remove() = 0;
    // Where there is no notification area: the window asks the desktop for
    // the user's attention (a blinking task-bar entry, say).
    virtual void demandAttention(QWidget *window) = 0;

signals:
    void event(TrayHost::Event event);
};
