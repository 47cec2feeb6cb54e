#include "platform/ipc/SharedMemory.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/ipc/NamedObject.h"
#include "platform/ipc/PrivateSharedObject.h"

#include <cstdio>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform::ipc {

// Shared memory of the device lives in the same name space as its named mutexes and
// events.
std::string SharedMemory::posixName(std::u16string_view name) {
    return deviceObjectName(name);
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

std::unique_ptr<SharedMemory> SharedMemory::open(std::u16string_view name, size_t size,
                                                 std::string* error) {
    return map(name, size, false, error);
}

void SharedMemory::remove(std::u16string_view name) { ::shm_unlink(posixName(name).c_str()); }

SharedMemory::~SharedMemory() { ::munmap(data_, size_); }

} // namespace vantrel::platform::ipc
