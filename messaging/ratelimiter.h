#pragma once

#include <QHash>
#include <QString>

class Clock;

// How much one host may ask of this copy: a burst, then a steady rate (a
// bucket of tokens per host that refills as time passes). Hosts back at a
// full bucket are forgotten once many are known, so spoofed sources cannot
// grow it without bound.
class RateLimiter
{
public:
    RateLimiter(const Clock &clock, int burst, int perSecond);

    // One more from host: false when it is over its rate.
    bool take(const QString &host);

private:
    struct Bucket
    {
        qint64 tokens = 0; // thousandths of one
        qint64 at = 0;     // when counted, in the clock's milliseconds
    };
    const Clock &m_clock;
    const qint64 m_full;
    const qint64 m_perSecond;
    QHash<QString, Bucket> m_buckets;
};
