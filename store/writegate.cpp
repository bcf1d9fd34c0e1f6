#include "writegate.h"

#include <chrono>
#include <thread>

namespace writegate {

namespace {
std::atomic<int> waiting{0};
} // namespace

void foregroundWaits()
{
    ++waiting;
}

void foregroundHasIt()
{
    --waiting;
}

void yieldToForeground()
{
    for (int i = 0; i < 500 && waiting.load() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace writegate
