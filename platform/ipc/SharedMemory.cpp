#include "platform/ipc/SharedMemory.h"

#include "platform/ipc/PrivateSharedObject.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <cstdio>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform::ipc {

// POSIX names are global to the machine; the device folder's hash keeps two devices
// (two test runs, say) apart. FNV-1a, so the name is the same in every build.
std::string SharedMemory::posixName(std::u16string_view name) {
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

std::unique_ptr<SharedMemory> SharedMemory::map(std::u16string_view name, size_t size,
                                                bool create, std::string* error) {
    PrivateSharedObject object = openPrivateSharedObject(posixName(name), size, create);
    if (object.fd < 0) {
        if (error)
            *error = object.error;
        return nullptr;
    }
    struct stat info {};
    size_t mapped = size;
    if (mapped == 0 && ::fstat(object.fd, &info) == 0)
        mapped = static_cast<size_t>(info.st_size);
    void* data = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, object.fd, 0);
    ::close(object.fd);
    if (data == MAP_FAILED) {
        if (error)
            *error = "shared memory " + posixName(name) + " cannot be mapped";
        return nullptr;
    }
    return std::unique_ptr<SharedMemory>(new SharedMemory(data, mapped));
}

std::unique_ptr<SharedMemory> SharedMemory::create(std::u16string_view name, size_t size,
                                                   std::string* error) {
    return map(name, size, true, error);
}

std::unique_ptr<SharedMemory> SharedMemory::open(std::u16string_view name, std::string* error) {
    return map(name, 0, false, error);
}

void SharedMemory::remove(std::u16string_view name) { ::shm_unlink(posixName(name).c_str()); }

SharedMemory::~SharedMemory() { ::munmap(data_, size_); }

} // namespace vantrel::platform::ipc
