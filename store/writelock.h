#pragma once

#include <atomic>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

// Who writes to the store's file next: the window thread's batch, or a step
// of the work in the background. A batch goes first: a step begins only
// while no batch holds or waits, and a batch waits at most for the step
// under way, which ends early when it sees one waiting. The wait is heard
// on a condition, never polled as SQLite's own wait for its lock is.
class WriteLock
{
public:
    // The one lock of the file at path in this process (every store open on
    // it shares it); path empty: one of its own.
    static std::shared_ptr<WriteLock> of(const QString &path);

    // The window thread's batch.
    void lockForeground();
    void unlockForeground();
    // A step: waits until no batch holds or waits; false once stop is set
    // (and wake() called).
    bool lockBackground(const std::atomic<bool> &stop);
    // The same without waiting (a step run on the window thread itself).
    bool tryLockBackground();
    void unlockBackground();
    // A batch waits for the step under way.
    bool foregroundWaiting();
    // Every lockBackground looks at its stop again.
    void wake();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    int m_waiting = 0;
};
