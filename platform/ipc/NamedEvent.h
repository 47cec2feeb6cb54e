#pragma once
// An auto-reset event every process of the device can reach by its name, as the old
// platform's: set() lets exactly one wait through (a present waiter, or the next one to
// come) and the event is unset again. Built on one futex word in a private shared-memory
// block (NamedObject.h): there is no lock inside, so a process that dies at any point
// leaves the event usable.

#include "platform/ipc/NamedObject.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform::ipc {

class NamedEvent {
public:
    // Opens the event of that name, creating it unset when there is none. nullptr with the
    // reason in *error when the object cannot be made or is refused.
    static std::unique_ptr<NamedEvent> create(std::u16string_view name,
                                              std::string* error = nullptr);

    void set();
    // Unsets it: a set nobody waited for is forgotten.
    void reset();
    // signaled (and unset again) or timedOut (0: only tries; waitForever).
    WaitResult wait(std::chrono::milliseconds timeout = waitForever);

private:
    explicit NamedEvent(void* block) : block_(block) {}
    std::atomic<uint32_t>& state() const;

    void* block_; // mapped for the life of the process
};

} // namespace vantrel::platform::ipc
