#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// How the window thread wakes one of the store's threads (there is work)
// and stops it for good; the thread waits here and does nothing else.
class Wakeup
{
public:
    void wake()
    {
        {
            std::lock_guard lock(m_mutex);
            m_due = true;
        }
        m_changed.notify_all();
    }
    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }
    bool stopped()
    {
        std::lock_guard lock(m_mutex);
        return m_stopped;
    }
    // Until woken (true) or stopped (false).
    bool wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_due || m_stopped; });
        m_due = false;
        return !m_stopped;
    }
    // At most that long; false once stopped.
    bool pause(std::chrono::milliseconds d)
    {
        std::unique_lock lock(m_mutex);
        return !m_changed.wait_for(lock, d, [this] { return m_stopped; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_due = false;
    bool m_stopped = false;
};
