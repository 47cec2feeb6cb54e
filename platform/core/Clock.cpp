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

uint64_t systemFileTime() {
    using namespace std::chrono;
    constexpr int64_t unixEpoch = 116444736000000000; // 1970-01-01 in file time
    auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return uint64_t(since1970 / 100 + unixEpoch);
}

} // namespace vantrel::platform
