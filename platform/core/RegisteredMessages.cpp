// Registered message names. The device keeps one list of names in a file; a name's id
// is 0xC000 plus its line number there, so every process of the device that registers
// the same name gets the same id. The file only grows and is changed under an
// exclusive lock, so two processes registering at once cannot both take one line.

#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace vantrel::platform {

namespace {

// Names are matched without regard to ASCII case, as the phone does.
constexpr uint32_t lastRegistered = 0xFFFF;

std::mutex cacheMutex;
std::map<std::string, uint32_t>& cache() {
    static auto* names = new std::map<std::string, uint32_t>;
    return *names;
}

std::string readAll(int fd) {
    std::string content;
    char chunk[4096];
    lseek(fd, 0, SEEK_SET);
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0)
        content.append(chunk, static_cast<size_t>(n));
    return content;
}

} // namespace

namespace {

uint32_t registerName(std::u16string_view name, bool own) {
    if (name.empty())
        return 0;
    std::string key = toUtf8(asciiLower(name));
    if (key.find('\n') != std::string::npos)
        return 0;
    std::lock_guard lock(cacheMutex);
    if (auto it = cache().find(key); it != cache().end())
        return it->second;

    std::filesystem::path folder = deviceFolder();
    if (!makePrivateFolder(folder))
        return 0;
    std::string file = (folder / "messages.txt").string();
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return 0;
    flock(fd, LOCK_EX);
    std::string content = readAll(fd);
    uint32_t id = 0;
    uint32_t index = 0;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            break; // a torn last line from a crashed writer is ignored and overwritten
        std::string line = content.substr(start, end - start);
        cache().emplace(line, msg::firstRegistered + index);
        if (line == key)
            id = msg::firstRegistered + index;
        ++index;
        start = end + 1;
    }
    if (id == 0 && !own && index >= maxRegisteredMessages) {
        std::fprintf(stderr,
                     "vantrel: the device's table of message names is full (%u names); '%s' "
                     "is refused\n",
                     maxRegisteredMessages, key.c_str());
    } else if (id == 0 && msg::firstRegistered + index <= lastRegistered) {
        std::string line = key + "\n";
        if (pwrite(fd, line.data(), line.size(), static_cast<off_t>(start)) ==
            static_cast<ssize_t>(line.size())) {
            fsync(fd);
            id = msg::firstRegistered + index;
            cache().emplace(key, id);
        }
    }
    flock(fd, LOCK_UN);
    ::close(fd);
    return id;
}

} // namespace

uint32_t registerWindowMessage(std::u16string_view name) { return registerName(name, false); }

uint32_t registerOwnWindowMessage(std::u16string_view name) { return registerName(name, true); }

} // namespace vantrel::platform
