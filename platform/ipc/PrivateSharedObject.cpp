#include "platform/ipc/PrivateSharedObject.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vantrel::platform::ipc {

namespace {

// A creator sizes its object right after making it; an opener that finds it still
// empty waits this long for the size before refusing it.
constexpr auto creationGrace = std::chrono::milliseconds(200);

PrivateSharedObject refuse(int fd, const std::string& name, const std::string& reason) {
    if (fd >= 0)
        ::close(fd);
    return {-1, false, "shared memory " + name + " " + reason};
}

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode));
    return text;
}

} // namespace

PrivateSharedObject openPrivateSharedObject(const std::string& posixName, size_t size,
                                            bool mayCreate) {
    if (mayCreate && size > 0) {
        int fd = ::shm_open(posixName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // The umask may have taken bits away, never added any; set the mode exactly.
            if (::fchmod(fd, 0600) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
                std::string reason = std::strerror(errno);
                ::shm_unlink(posixName.c_str());
                return refuse(fd, posixName, "cannot be made: " + reason);
            }
            return {fd, true, {}};
        }
        if (errno != EEXIST)
            return refuse(-1, posixName, std::string("cannot be made: ") + std::strerror(errno));
    }

    int fd = ::shm_open(posixName.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0)
        return refuse(-1, posixName, std::string("cannot be opened: ") + std::strerror(errno));
    const auto giveUp = std::chrono::steady_clock::now() + creationGrace;
    for (;;) {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            return refuse(fd, posixName, std::string("cannot be checked: ") + std::strerror(errno));
        if (info.st_uid != ::geteuid())
            return refuse(fd, posixName,
                          "belongs to user " + std::to_string(info.st_uid) + ", not to " +
                              std::to_string(::geteuid()) + "; refusing it");
        if ((info.st_mode & 07777) != 0600)
            return refuse(fd, posixName,
                          "has mode " + octal(info.st_mode & 07777) + ", not 0600; refusing it");
        auto actual = static_cast<size_t>(info.st_size);
        if (actual != 0 && (size == 0 || actual == size))
            return {fd, false, {}};
        if (actual != 0 || std::chrono::steady_clock::now() >= giveUp)
            return refuse(fd, posixName,
                          "is " + std::to_string(actual) + " bytes, not " +
                              (size ? std::to_string(size) : std::string("more than 0")) +
                              "; refusing it");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace vantrel::platform::ipc
