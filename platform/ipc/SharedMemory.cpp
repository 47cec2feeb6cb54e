#include "platform/ipc/SharedMemory.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform::ipc {

namespace {

// POSIX names are global to the machine; the device folder's hash keeps two devices
// (two test runs, say) apart. FNV-1a, so the name is the same in every build.
std::string objectName(std::u16string_view name) {
    std::string device = std::filesystem::absolute(deviceFolder()).lexically_normal().string();
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : device)
        hash = (hash ^ c) * 1099511628211ull;
    std::string safe;
    for (char c : toUtf8(name))
        safe += (c == '/' ? '_' : c);
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "/vantrel.%016llx.", static_cast<unsigned long long>(hash));
    return prefix + safe;
}

} // namespace

std::unique_ptr<SharedMemory> SharedMemory::map(std::u16string_view name, size_t size,
                                                bool create) {
    std::string object = objectName(name);
    int fd = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return nullptr;
    }
    size_t existing = static_cast<size_t>(info.st_size);
    if (create && existing < size) {
        if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            ::close(fd);
            return nullptr;
        }
        existing = size;
    }
    if (existing == 0) {
        ::close(fd);
        return nullptr;
    }
    void* data = ::mmap(nullptr, existing, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (data == MAP_FAILED)
        return nullptr;
    return std::unique_ptr<SharedMemory>(new SharedMemory(data, existing));
}

std::unique_ptr<SharedMemory> SharedMemory::create(std::u16string_view name, size_t size) {
    return map(name, size, true);
}

std::unique_ptr<SharedMemory> SharedMemory::open(std::u16string_view name) {
    return map(name, 0, false);
}

std::unique_ptr<SharedMemory> SharedMemory::openPrivate(std::u16string_view name, size_t size) {
    int fd = ::shm_open(objectName(name).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() &&
              (info.st_mode & 0777) == 0600 && static_cast<size_t>(info.st_size) == size;
    void* data = ok ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    ::close(fd);
    if (data == MAP_FAILED)
        return nullptr;
    return std::unique_ptr<SharedMemory>(new SharedMemory(data, size));
}

void SharedMemory::remove(std::u16string_view name) { ::shm_unlink(objectName(name).c_str()); }

SharedMemory::~SharedMemory() { ::munmap(data_, size_); }

} // namespace vantrel::platform::ipc
