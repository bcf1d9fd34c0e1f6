#include "writegate.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace writegate {

namespace {
std::mutex mutex;
std::condition_variable gone; // no batch waits any more
int waiting = 0;
} // namespace

void foregroundWaits()
{
    std::lock_guard lock(mutex);
    ++waiting;
}

void foregroundHasIt()
{
    {
        std::lock_guard lock(mutex);
        --waiting;
    }
    gone.notify_all();
}

void yieldToForeground()
{
    std::unique_lock lock(mutex);
    gone.wait_for(lock, std::chrono::milliseconds(500), [] { return waiting == 0; });
}

} // namespace writegate
