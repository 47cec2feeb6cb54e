#pragma once
// What the named mutexes and events of the device have in common: a small block of POSIX
// shared memory under a name of the device, made private (PrivateObject.h), and the
// results of waiting on it, after the old platform's wait results.
//
// The old platform's named objects died with their last handle; these outlive it until
// removeNamedObject (or the machine restarts). Nothing relies on that: a lock whose
// holder died is handed on as abandoned, and an event is reset by whoever starts a new
// exchange on it.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <ctime>

namespace vantrel::platform::ipc {

enum class WaitResult {
    signaled,  // the event was set, or the mutex is now owned by the caller
    abandoned, // the mutex is now owned by the caller; its last owner ended holding it
    timedOut,
    failed,
};

// Waits that only end when the object is signaled.
constexpr std::chrono::milliseconds waitForever{-1};

// The moment `timeout` from now on `clock`, as the waiting calls want it.
timespec deadlineAfter(clockid_t clock, std::chrono::milliseconds timeout);

// The POSIX shared-memory name that `name` has on this device. Names are global to the
// machine; a hash of the device folder keeps two devices (two test runs) apart.
std::string deviceObjectName(std::u16string_view name);

// Removes the named object of this device; handles open now stay valid.
void removeNamedObject(std::u16string_view name);

// One mapping of a named object's block, shared by every handle of this process to the
// same object, so a lock has one address per process (which a thread checker needs).
class NamedBlock {
public:
    // Every block starts with this; `kind` is written last, once the creator has made the
    // rest ready, so an opener never uses a half-made object.
    struct Header {
        std::atomic<uint32_t> kind;
        uint32_t reserved;
    };

    // Creates the block exclusively with mode 0600 and lets `initialise` fill it, or opens
    // the existing one after checking that it is private, has `size` bytes and is of this
    // `kind`. nullptr with the reason in *error otherwise.
    static std::shared_ptr<NamedBlock> open(std::u16string_view name, uint32_t kind,
                                            size_t size, void (*initialise)(void* block),
                                            std::string* error);
    ~NamedBlock();
    NamedBlock(const NamedBlock&) = delete;
    NamedBlock& operator=(const NamedBlock&) = delete;

    void* data() const { return data_; }

private:
    NamedBlock(void* data, size_t size) : data_(data), size_(size) {}

    void* data_;
    size_t size_;
};

} // namespace vantrel::platform::ipc
