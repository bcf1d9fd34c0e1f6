#pragma once

#include <QObject>

// Tells when the machine's network changed: a card came up or went down,
// or an address came or went.
class NetworkWatcher : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~NetworkWatcher() override = default;

signals:
    // Once the changes have settled (a second without another).
    void changed();
};
