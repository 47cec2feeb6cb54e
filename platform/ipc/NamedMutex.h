#pragma once
// A mutex every process of the device can reach by its name, as the old platform's named
// mutexes: owned by one thread at a time, taken again by its owner without blocking (each
// wait that takes it needs one release), and handed on when its owner ends holding it:
// the next waiter gets it with WaitResult::abandoned. Built on a robust, process-shared
// pthread mutex in a private shared-memory block (NamedObject.h).

#include "platform/ipc/NamedObject.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform::ipc {

class NamedMutex {
public:
    // Opens the mutex of that name, creating it unowned when there is none. nullptr with
    // the reason in *error when the object cannot be made or is refused.
    static std::unique_ptr<NamedMutex> create(std::u16string_view name,
                                              std::string* error = nullptr);

    // Takes the mutex, waiting at most `timeout` (0: only tries; waitForever).
    WaitResult wait(std::chrono::milliseconds timeout = waitForever);
    // Gives one taking back; false when the calling thread does not own the mutex.
    bool release();

private:
    explicit NamedMutex(void* block) : block_(block) {}

    void* block_; // mapped for the life of the process
};

} // namespace vantrel::platform::ipc
