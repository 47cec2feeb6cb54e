// The socket protocol is one request line, one answer line, one connection each:
//   find <TAB> class <TAB> title      -> handle (0 when none)
//   post <TAB> handle <TAB> id <TAB> wParam <TAB> lParam -> 1 or 0
//   front <TAB> handle                -> 1 or 0
//   exists <TAB> handle               -> 1 or 0
// Texts are UTF-8; a tab or line break inside a class or title is refused.

#include "platform/ipc/WindowChannel.h"

#include "platform/core/Backend.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vantrel::platform::ipc {

namespace fs = std::filesystem;

namespace {

fs::path runFolder() { return deviceFolder() / "run"; }

fs::path socketPath(uint32_t pid) { return runFolder() / (std::to_string(pid) + ".sock"); }

bool makeAddress(const fs::path& path, sockaddr_un& address) {
    std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path))
        return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Reads up to the first line break; requests and answers are short.
bool readLine(int fd, std::string& line) {
    line.clear();
    char c;
    while (line.size() < 4096) {
        ssize_t n = ::recv(fd, &c, 1, 0);
        if (n <= 0)
            return false;
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, '\t'))
        parts.push_back(part);
    return parts;
}

bool sameUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == geteuid();
}

bool processAlive(uint32_t pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// Sends one request to the process `pid` and returns its answer, or "" when it did not
// answer. A socket left behind by a process that died is removed.
std::string ask(uint32_t pid, const std::string& request) {
    sockaddr_un address;
    if (!makeAddress(socketPath(pid), address))
        return {};
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    timeval timeout{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if ((errno == ECONNREFUSED || errno == ENOENT) && !processAlive(pid)) {
            std::error_code ec;
            fs::remove(socketPath(pid), ec);
        }
    } else if (sameUser(fd) && writeAll(fd, request + "\n")) {
        readLine(fd, answer);
    }
    ::close(fd);
    return answer;
}

WindowHandle parseHandle(const std::string& text) {
    try {
        return static_cast<WindowHandle>(std::stoull(text));
    } catch (...) {
        return 0;
    }
}

uint32_t pidOf(WindowHandle window) { return static_cast<uint32_t>(window >> 32); }

std::string answerFor(const std::string& request) {
    auto parts = splitTabs(request);
    if (parts.size() == 3 && parts[0] == "find")
        return std::to_string(findLocalWindow(toUtf16(parts[1]), toUtf16(parts[2])));
    try {
        if (parts.size() == 5 && parts[0] == "post")
            return postMessageFromOtherProcess(parseHandle(parts[1]), static_cast<uint32_t>(std::stoul(parts[2])),
                               static_cast<uintptr_t>(std::stoull(parts[3])),
                               static_cast<intptr_t>(std::stoll(parts[4])))
                       ? "1"
                       : "0";
    } catch (...) {
        return "0";
    }
    if (parts.size() == 2 && parts[0] == "front") {
        WindowHandle window = parseHandle(parts[1]);
        return isLocalWindow(window) && setForegroundWindow(window) ? "1" : "0";
    }
    if (parts.size() == 2 && parts[0] == "exists")
        return isLocalWindow(parseHandle(parts[1])) ? "1" : "0";
    return "0";
}

class SocketRemoteWindows : public RemoteWindows {
public:
    WindowHandle find(std::u16string_view className, std::u16string_view title) override {
        std::string cls = toUtf8(className), text = toUtf8(title);
        if (cls.find_first_of("\t\n") != std::string::npos ||
            text.find_first_of("\t\n") != std::string::npos)
            return 0;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(runFolder(), ec)) {
            if (entry.path().extension() != ".sock")
                continue;
            uint32_t pid = static_cast<uint32_t>(std::strtoul(entry.path().stem().c_str(), nullptr, 10));
            if (pid == 0 || pid == static_cast<uint32_t>(getpid()))
                continue;
            if (WindowHandle found = parseHandle(ask(pid, "find\t" + cls + "\t" + text)))
                return found;
        }
        return 0;
    }
    bool post(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) override {
        return ask(pidOf(window), "post\t" + std::to_string(window) + "\t" + std::to_string(id) +
                                      "\t" + std::to_string(wParam) + "\t" +
                                      std::to_string(lParam)) == "1";
    }
    bool bringToFront(WindowHandle window) override {
        return ask(pidOf(window), "front\t" + std::to_string(window)) == "1";
    }
    bool exists(WindowHandle window) override {
        return ask(pidOf(window), "exists\t" + std::to_string(window)) == "1";
    }
};

void serve(int listener) {
    for (;;) {
        int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        timeval timeout{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string request;
        if (sameUser(fd) && readLine(fd, request))
            writeAll(fd, answerFor(request) + "\n");
        ::close(fd);
    }
}

std::string ownSocket;

void removeOwnSocket() {
    if (!ownSocket.empty())
        ::unlink(ownSocket.c_str());
}

bool makePrivateFolder(const fs::path& folder) {
    if (!ensureFolder(folder))
        return false;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || info.st_uid != geteuid())
        return false;
    return (info.st_mode & 0777) == 0700 || ::chmod(folder.c_str(), 0700) == 0;
}

} // namespace

bool startWindowChannel() {
    static std::mutex mutex;
    static bool started = false;
    std::lock_guard lock(mutex);
    if (started)
        return true;
    // Leaked on purpose: posts may still cross while the process exits.
    static auto* remote = new SocketRemoteWindows;
    installRemoteWindows(remote);

    if (!makePrivateFolder(runFolder())) {
        std::fprintf(stderr, "vantrel: cannot make the private folder %s\n", runFolder().c_str());
        return false;
    }
    fs::path path = socketPath(static_cast<uint32_t>(getpid()));
    sockaddr_un address;
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::unlink(path.c_str());
    if (listener < 0 || !makeAddress(path, address) ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0) {
        std::fprintf(stderr, "vantrel: cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
        if (listener >= 0)
            ::close(listener);
        return false;
    }
    ownSocket = path.string();
    std::atexit(removeOwnSocket);
    std::thread(serve, listener).detach();
    started = true;
    return true;
}

PostResult postToProgram(std::u16string_view name) {
    startWindowChannel();
    // The product's main window (app/Startup.h); the platform does not link the app.
    WindowHandle window =
        findWindow(u"VANTREL-{15AF558C-BBDF-451e-B960-D18514426FFE}", u"Vantrel Contact");
    if (!window)
        return PostResult::noProgram;
    uint32_t id = registerWindowMessage(name);
    return id && postMessage(window, id) ? PostResult::posted : PostResult::failed;
}

} // namespace vantrel::platform::ipc
