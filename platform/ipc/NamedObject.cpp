#include "platform/ipc/NamedObject.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/ipc/PrivateSharedObject.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vantrel::platform::ipc {

namespace {

using namespace std::chrono_literals;

// How long an opener waits for a creator in another process to size and fill the block:
// microseconds normally, so running out means the creator died half way.
constexpr auto creatorPatience = 1000ms;

struct MappedBlock {
    ino_t inode;
    void* data;
};

std::mutex tableMutex;
std::map<std::string, MappedBlock>& mappedBlocks() {
    static auto* table = new std::map<std::string, MappedBlock>;
    return *table;
}

std::string describe(const std::string& object, const std::string& reason) {
    return "shared object " + object + " refused: " + reason;
}

} // namespace

timespec deadlineAfter(clockid_t clock, std::chrono::milliseconds timeout) {
    timespec at{};
    clock_gettime(clock, &at);
    long long nanoseconds = at.tv_nsec + (timeout.count() % 1000) * 1000000LL;
    at.tv_sec += static_cast<time_t>(timeout.count() / 1000 + nanoseconds / 1000000000LL);
    at.tv_nsec = static_cast<long>(nanoseconds % 1000000000LL);
    return at;
}

std::string deviceObjectName(std::u16string_view name) {
    std::string device = std::filesystem::absolute(deviceFolder()).lexically_normal().string();
    uint64_t hash = 1469598103934665603ull; // FNV-1a: the same name in every build
    for (unsigned char c : device)
        hash = (hash ^ c) * 1099511628211ull;
    std::string safe;
    for (char c : toUtf8(name))
        safe += (c == '/' ? '_' : c);
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "/vantrel.%016llx.", static_cast<unsigned long long>(hash));
    return prefix + safe;
}

void removeNamedObject(std::u16string_view name) { ::shm_unlink(deviceObjectName(name).c_str()); }

void* openNamedBlock(std::u16string_view name, uint32_t kind, size_t size,
                     void (*initialise)(void*), std::string* error) {
    auto fail = [&](const std::string& reason) -> void* {
        if (error)
            *error = reason;
        return nullptr;
    };
    std::string object = deviceObjectName(name);
    std::lock_guard lock(tableMutex);

    // Another process may remove the name while it is being opened; trying again then
    // creates it anew.
    for (int attempt = 0; attempt < 3; ++attempt) {
        PrivateSharedObject opened = openPrivateSharedObject(object, size, true);
        if (opened.fd < 0) {
            if (errno == ENOENT)
                continue;
            return fail(opened.error);
        }
        int fd = opened.fd;
        bool created = opened.created;
        // The name may have been removed and made again since this process mapped it.
        struct stat info {};
        ::fstat(fd, &info);
        if (auto it = mappedBlocks().find(object); it != mappedBlocks().end() &&
                                                   it->second.inode == info.st_ino) {
            ::close(fd);
            return it->second.data;
        }
        void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        if (data == MAP_FAILED)
            return fail("cannot map shared object " + object + ": " + std::strerror(errno));
        auto* header = static_cast<NamedBlockHeader*>(data);
        if (created) {
            initialise(data);
            header->kind.store(kind, std::memory_order_release);
        } else {
            auto deadline = std::chrono::steady_clock::now() + creatorPatience;
            while (header->kind.load(std::memory_order_acquire) == 0 &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
            uint32_t found = header->kind.load(std::memory_order_acquire);
            if (found != kind) {
                ::munmap(data, size);
                return fail(describe(object, found == 0
                                                 ? "its creator ended before making it ready"
                                                 : "it is another kind of object of the same name"));
            }
        }
        // A mapping replaced here stays mapped: see the header.
        mappedBlocks()[object] = {info.st_ino, data};
        return data;
    }
    return fail("cannot open shared object " + object + ": it keeps being removed");
}

} // namespace vantrel::platform::ipc
