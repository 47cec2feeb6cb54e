#include "platform/ipc/PrivateObject.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform::ipc {

std::string privateObjectProblem(int fd, size_t size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::string("cannot read its owner and mode: ") + std::strerror(errno);
    if (info.st_uid != ::geteuid())
        return "it belongs to user " + std::to_string(info.st_uid) + ", not to this user";
    if ((info.st_mode & 07777) != 0600) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return std::string("its mode is ") + mode + ", not 0600";
    }
    if (static_cast<size_t>(info.st_size) != size)
        return "its size is " + std::to_string(info.st_size) + " bytes, not " +
               std::to_string(size);
    return {};
}

} // namespace vantrel::platform::ipc
