#pragma once
// What the named mutexes and events of the device have in common: a small block of POSIX
// shared memory under a name of the device, made private (PrivateSharedObject.h), and the
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

// Every block starts with this; `kind` is written last, once the creator has made the
// rest ready, so an opener never uses a half-made object.
struct NamedBlockHeader {
    std::atomic<uint32_t> kind;
    uint32_t reserved;
};

// The block of the named object: created exclusively with mode 0600 and filled by
// `initialise`, or the existing one once it is checked to be private, of `size` bytes and
// of this `kind`. nullptr with the reason in *error otherwise.
//
// A process maps each object once (so a lock has one address, which a thread checker
// needs) and keeps it mapped until it ends: a thread may still own a mutex whose handles
// were all closed, and the kernel must reach it to hand it on when that thread ends.
void* openNamedBlock(std::u16string_view name, uint32_t kind, size_t size,
                     void (*initialise)(void* block), std::string* error);

} // namespace vantrel::platform::ipc
