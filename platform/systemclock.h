#pragma once

#include "clock.h"

#include <QElapsedTimer>

class SystemClock final : public Clock
{
public:
    SystemClock() { m_started.start(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 elapsedMsecs() const override { return m_started.elapsed(); }

private:
    QElapsedTimer m_started;
};
