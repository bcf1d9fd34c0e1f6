#pragma once

#include <QDateTime>

// The time, as the user's clock shows it and as it passes.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds from some fixed start, never going back (rates, timeouts).
    virtual qint64 elapsedMsecs() const = 0;
};
