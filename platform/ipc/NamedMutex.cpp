#include "platform/ipc/NamedMutex.h"

#include <cerrno>
#include <pthread.h>

namespace vantrel::platform::ipc {

namespace {

constexpr uint32_t mutexKind = 0x5854554d; // "MUTX"

struct MutexBlock {
    NamedBlockHeader header;
    pthread_mutex_t mutex;
};

void initialise(void* data) {
    auto* block = static_cast<MutexBlock*>(data);
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&block->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

} // namespace

std::unique_ptr<NamedMutex> NamedMutex::create(std::u16string_view name, std::string* error) {
    void* block = openNamedBlock(name, mutexKind, sizeof(MutexBlock), initialise, error);
    return block ? std::unique_ptr<NamedMutex>(new NamedMutex(block)) : nullptr;
}

WaitResult NamedMutex::wait(std::chrono::milliseconds timeout) {
    pthread_mutex_t* mutex = &static_cast<MutexBlock*>(block_)->mutex;
    int result;
    if (timeout < std::chrono::milliseconds::zero()) {
        result = pthread_mutex_lock(mutex);
    } else if (timeout == std::chrono::milliseconds::zero()) {
        result = pthread_mutex_trylock(mutex);
    } else {
        // Counted against the wall clock: the thread checker knows this call and not its
        // monotonic sibling, and a clock step only stretches or shortens one wait.
        timespec deadline = deadlineAfter(CLOCK_REALTIME, timeout);
        result = pthread_mutex_timedlock(mutex, &deadline);
    }
    switch (result) {
    case 0:
        return WaitResult::signaled;
    case EOWNERDEAD:
        // Whatever the dead owner guarded is for the new owner to judge; the lock itself
        // stays usable for everyone after.
        pthread_mutex_consistent(mutex);
        return WaitResult::abandoned;
    case EBUSY:
    case ETIMEDOUT:
        return WaitResult::timedOut;
    default:
        return WaitResult::failed;
    }
}

bool NamedMutex::release() {
    return pthread_mutex_unlock(&static_cast<MutexBlock*>(block_)->mutex) == 0;
}

} // namespace vantrel::platform::ipc
