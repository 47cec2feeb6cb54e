#include "platform/core/Paths.h"

#include "platform/core/Utf.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

} // namespace

fs::path homeFolder() { return fromEnvironment("HOME"); }

fs::path userDataFolder() {
    if (auto data = fromEnvironment("XDG_DATA_HOME"); !data.empty())
        return data;
    if (auto home = homeFolder(); !home.empty())
        return home / ".local" / "share";
    return fs::path();
}

fs::path programFolder() {
    if (auto home = fromEnvironment("VANTREL_HOME"); !home.empty())
        return home;
    if (auto data = userDataFolder(); !data.empty())
        return data / "vantrel";
    return fs::current_path() / "vantrel";
}

fs::path deviceFolder() {
    if (auto device = fromEnvironment("VANTREL_DEVICE"); !device.empty())
        return device;
    return programFolder() / "device";
}

fs::path resolveProgramPath(std::u16string_view name) {
    std::string utf8 = toUtf8(name);
    for (auto& c : utf8)
        if (c == '\\')
            c = '/';
    // The phone had no current directory: a relative path, with folders or without,
    // could only mean one below the program, so a start from elsewhere looks the same.
    fs::path path(utf8);
    return path.is_absolute() ? path : programFolder() / path;
}

bool ensureFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

bool readWholeFile(const fs::path& file, std::string& out, size_t maxBytes, std::string* error) {
    auto fail = [&](std::string reason) {
        if (error)
            *error = std::move(reason);
        return false;
    };
    // Non-blocking, so opening a FIFO with no writer returns at once; the check below
    // then refuses it.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail(std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail("not a regular file");
    }
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    }
    // The size may change while reading; one byte more than allowed tells it grew.
    std::string bytes(static_cast<size_t>(info.st_size) + 1, '\0');
    size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes)
                break;
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            if (n < 0)
                return fail(std::strerror(errno));
            bytes.resize(done);
            out = std::move(bytes);
            return true;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return fail("larger than " + std::to_string(maxBytes) + " bytes");
}

bool writeFileAtomically(const fs::path& file, std::string_view content) {
    fs::path temporary = file;
    temporary += ".tmp." + std::to_string(getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t written = 0;
    while (written < content.size()) {
        ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        written += static_cast<size_t>(n);
    }
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace vantrel::platform
