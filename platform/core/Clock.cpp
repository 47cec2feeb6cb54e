#include "platform/core/Clock.h"

#include <atomic>
#include <chrono>

namespace vantrel::platform {

namespace {

std::atomic<bool> virtualTime{false};
std::atomic<uint32_t> virtualNow{0};

uint32_t realTicks() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

} // namespace

uint32_t tickCount() { return virtualTime ? virtualNow.load() : realTicks(); }

void useVirtualClock(bool on, uint32_t start) {
    virtualNow = start;
    virtualTime = on;
}

bool isVirtualClock() { return virtualTime; }

void advanceVirtualClock(uint32_t milliseconds) {
    if (virtualTime)
        virtualNow += milliseconds;
}

} // namespace vantrel::platform
