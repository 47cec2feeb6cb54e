#include "platform/ipc/NamedEvent.h"

#include <cerrno>
#include <algorithm>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vantrel::platform::ipc {

namespace {

constexpr uint32_t eventKind = 0x544e5645; // "EVNT"

struct EventBlock {
    NamedBlockHeader header;
    std::atomic<uint32_t> state; // 1 while set
};
static_assert(std::atomic<uint32_t>::is_always_lock_free && sizeof(std::atomic<uint32_t>) == 4,
              "the futex word is the atomic itself");

void initialise(void* data) { static_cast<EventBlock*>(data)->state.store(0); }

// Shared (not private) futex operations: the word is seen by several processes.
void futexWake(std::atomic<uint32_t>& word) {
    ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

// Sleeps while the word is `expected`; false once the deadline has passed.
bool futexWait(std::atomic<uint32_t>& word, uint32_t expected, const timespec* deadline) {
    long result = ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT_BITSET,
                            expected, deadline, nullptr, FUTEX_BITSET_MATCH_ANY);
    return result == 0 || errno != ETIMEDOUT;
}

// Only the waiter that turns 1 into 0 gets through: that is the auto-reset.
bool take(std::atomic<uint32_t>& word) {
    uint32_t set = 1;
    return word.compare_exchange_strong(set, 0, std::memory_order_acquire);
}

} // namespace

std::unique_ptr<NamedEvent> NamedEvent::create(std::u16string_view name, std::string* error) {
    void* block = openNamedBlock(name, eventKind, sizeof(EventBlock), initialise, error);
    return block ? std::unique_ptr<NamedEvent>(new NamedEvent(block)) : nullptr;
}

std::atomic<uint32_t>& NamedEvent::state() const {
    return static_cast<EventBlock*>(block_)->state;
}

void NamedEvent::set() {
    state().store(1, std::memory_order_release);
    futexWake(state());
}

void NamedEvent::reset() { state().store(0, std::memory_order_relaxed); }

WaitResult NamedEvent::wait(std::chrono::milliseconds timeout) {
    // FUTEX_WAIT_BITSET takes an absolute monotonic deadline, so waking early and going
    // back to sleep never stretches the wait.
    timespec deadline =
        deadlineAfter(CLOCK_MONOTONIC, std::max(timeout, std::chrono::milliseconds::zero()));
    const timespec* until = timeout < std::chrono::milliseconds::zero() ? nullptr : &deadline;
    for (;;) {
        if (take(state()))
            return WaitResult::signaled;
        // The futex returns at once when the word is no longer 0, so a set between the
        // check above and the sleep is not missed.
        if (timeout == std::chrono::milliseconds::zero() || !futexWait(state(), 0, until))
            return take(state()) ? WaitResult::signaled : WaitResult::timedOut;
    }
}

} // namespace vantrel::platform::ipc
