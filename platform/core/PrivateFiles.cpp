#include "platform/core/PrivateFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

bool fail(std::string* error, const fs::path& path, const std::string& reason) {
    if (error)
        *error = path.string() + ": " + reason;
    return false;
}

// Checks what `fd` refers to and takes group and other access away. The owner's own
// bits stay as they are: a folder or file its owner made read-only stays read-only.
bool tighten(int fd, const fs::path& path, bool folder, std::string* error) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(error, path, std::strerror(errno));
    if (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))
        return fail(error, path, folder ? "not a folder" : "not a regular file");
    if (info.st_uid != ::geteuid())
        return fail(error, path, "belongs to user " + std::to_string(info.st_uid) + ", not to " +
                                     std::to_string(::geteuid()));
    mode_t mode = info.st_mode & 07777;
    mode_t wanted = mode & 0700;
    if (mode != wanted && ::fchmod(fd, wanted) != 0)
        return fail(error, path, std::string("cannot make it private: ") + std::strerror(errno));
    return true;
}

bool checkFile(const fs::path& file, int flags, std::string* error) {
    // Non-blocking, so a FIFO planted under the name does not hold the open.
    int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | flags, 0600);
    if (fd < 0) {
        if (errno == ENOENT && !(flags & O_CREAT))
            return true;
        return fail(error, file, errno == ELOOP ? "a symbolic link" : std::strerror(errno));
    }
    bool ok = tighten(fd, file, false, error);
    ::close(fd);
    return ok;
}

} // namespace

bool makePrivateFolder(const fs::path& folder, std::string* error) {
    std::error_code ec;
    if (folder.has_parent_path())
        fs::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return fail(error, folder, std::strerror(errno));
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return fail(error, folder, errno == ELOOP || errno == ENOTDIR ? "not a folder"
                                                                      : std::strerror(errno));
    bool ok = tighten(fd, folder, true, error);
    ::close(fd);
    return ok;
}

bool makePrivateFile(const fs::path& file, std::string* error) {
    return checkFile(file, O_CREAT, error);
}

bool checkPrivateFileIfPresent(const fs::path& file, std::string* error) {
    return checkFile(file, 0, error);
}

int openPrivateFile(const fs::path& file, std::string* error) {
    if (!makePrivateFolder(file.parent_path(), error))
        return -1;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail(error, file, errno == ELOOP ? "a symbolic link" : std::strerror(errno));
        return -1;
    }
    if (!tighten(fd, file, false, error)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace vantrel::platform
