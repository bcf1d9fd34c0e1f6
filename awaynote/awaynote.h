#pragma once

#include <QObject>
#include <QString>

// The away note that any peer may fetch. Until the user leaves one it is
// empty and not set.
class AwayNote : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString text() const { return m_text; }
    bool isSet() const { return m_set; }
    void leave(const QString &text);
    void withdraw();

signals:
    void changed();

private:
    QString m_text;
    bool m_set = false;
};
