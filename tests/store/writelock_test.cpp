// Who writes next: the window thread's batch waits only for the step under
// way, and no step begins while a batch waits.
#include "writelock.h"

#include <QTest>

#include <atomic>
#include <thread>

class WriteLockTest : public QObject
{
    Q_OBJECT
private slots:
    void aBatchGoesBeforeTheNextStep();
    void aStepWaitingForABatchStops();
};

void WriteLockTest::aBatchGoesBeforeTheNextStep()
{
    WriteLock lock;
    const std::atomic<bool> never{false};
    QVERIFY(lock.lockBackground(never)); // a step under way
    std::atomic<int> order{0};
    std::atomic<int> batchAt{0};
    std::thread batch([&] {
        lock.lockForeground();
        batchAt = ++order;
        lock.unlockForeground();
    });
    while (!lock.foregroundWaiting()) // the step sees the batch wait
        std::this_thread::yield();
    QCOMPARE(batchAt.load(), 0); // it waits for the step
    lock.unlockBackground();
    // The next step may not begin before the waiting batch has had its turn.
    QVERIFY(lock.lockBackground(never));
    const int stepAt = ++order;
    lock.unlockBackground();
    batch.join();
    QCOMPARE(batchAt.load(), 1);
    QCOMPARE(stepAt, 2);
    // A step on the window thread itself never waits.
    lock.lockForeground();
    QVERIFY(!lock.tryLockBackground());
    lock.unlockForeground();
    QVERIFY(lock.tryLockBackground());
    lock.unlockBackground();
}

void WriteLockTest::aStepWaitingForABatchStops()
{
    WriteLock lock;
    std::atomic<bool> stop{false};
    lock.lockForeground(); // a batch that lasts
    std::atomic<int> got{-1};
    std::thread step([&] { got = lock.lockBackground(stop) ? 1 : 0; });
    stop = true;
    lock.wake();
    step.join();
    QCOMPARE(got.load(), 0);
    lock.unlockForeground();
}

QTEST_MAIN(WriteLockTest)
#include "writelock_test.moc"
