#pragma once

#include <QIcon>
#include <QObject>

// The icon set the program wears now. Windows take their icons from it and
// follow its changes.
class IconTheme : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    int set() const { return m_set; }
    QIcon normal() const;
    QIcon arrival() const;

    // A number outside 0 to 9 changes nothing.
    bool apply(int set);

signals:
    void changed(int set);

private:
    int m_set = 0;
};
