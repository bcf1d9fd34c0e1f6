#include "writelock.h"

#include <QFileInfo>

#include <map>

std::shared_ptr<WriteLock> WriteLock::of(const QString &path)
{
    if (path.isEmpty())
        return std::make_shared<WriteLock>();
    static std::mutex mutex;
    static std::map<QString, std::weak_ptr<WriteLock>> locks;
    std::lock_guard lock(mutex);
    std::weak_ptr<WriteLock> &known = locks[QFileInfo(path).absoluteFilePath()];
    std::shared_ptr<WriteLock> shared = known.lock();
    if (!shared)
        known = shared = std::make_shared<WriteLock>();
    return shared;
}

void WriteLock::lockForeground()
{
    std::unique_lock lock(m_mutex);
    ++m_waiting;
    m_changed.wait(lock, [this] { return !m_held; });
    --m_waiting;
    m_held = true;
}

void WriteLock::unlockForeground()
{
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_changed.notify_all();
}

bool WriteLock::lockBackground(const std::atomic<bool> &stop)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return stop || (!m_held && m_waiting == 0); });
    if (stop)
        return false;
    m_held = true;
    return true;
}

bool WriteLock::tryLockBackground()
{
    std::lock_guard lock(m_mutex);
    if (m_held || m_waiting > 0)
        return false;
    m_held = true;
    return true;
}

void WriteLock::unlockBackground()
{
    unlockForeground();
}

bool WriteLock::foregroundWaiting()
{
    std::lock_guard lock(m_mutex);
    return m_waiting > 0;
}

void WriteLock::wake()
{
    { // taken, so that a wait between its test and its sleep hears this
        std::lock_guard lock(m_mutex);
    }
    m_changed.notify_all();
}
