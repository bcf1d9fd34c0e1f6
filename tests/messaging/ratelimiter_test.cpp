// How much one host may ask: a burst, then a steady rate, each host alone.
#include "fakes.h"
#include "ratelimiter.h"

#include <QTest>

class RateLimiterTest : public QObject
{
    Q_OBJECT
private slots:
    void burstThenRate();
    void spoofedSourcesAreForgottenNotRefused();
};

void RateLimiterTest::burstThenRate()
{
    FakeClock clock;
    RateLimiter rate(clock, 20, 5);
    const QString a = QStringLiteral("198.18.0.2");
    const QString b = QStringLiteral("198.18.0.3");
    for (int i = 0; i < 20; ++i)
        QVERIFY2(rate.take(a), qPrintable(QString::number(i)));
    QVERIFY(!rate.take(a));
    QVERIFY(rate.take(b)); // another host has its own burst
    clock.elapsed += 199;  // not yet a whole one back
    QVERIFY(!rate.take(a));
    clock.elapsed += 1; // 200 ms: one
    QVERIFY(rate.take(a));
    QVERIFY(!rate.take(a));
    clock.elapsed += 60'000; // long quiet: the burst again, no more
    for (int i = 0; i < 20; ++i)
        QVERIFY(rate.take(a));
    QVERIFY(!rate.take(a));
}

// A flood from thousands of made-up addresses neither grows the table
// without bound nor gives a real host's spent allowance back.
void RateLimiterTest::spoofedSourcesAreForgottenNotRefused()
{
    FakeClock clock;
    RateLimiter rate(clock, 2, 1);
    const QString real = QStringLiteral("198.18.0.2");
    QVERIFY(rate.take(real) && rate.take(real) && !rate.take(real));
    for (int i = 0; i < 5000; ++i)
        QVERIFY(rate.take(QStringLiteral("10.%1.%2.1").arg(i / 250).arg(i % 250)));
    QVERIFY(!rate.take(real));
    QVERIFY(rate.remembered() <= RateLimiter::Hosts);
}

QTEST_MAIN(RateLimiterTest)
#include "ratelimiter_test.moc"
