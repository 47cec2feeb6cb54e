// The socket protocol is one request line, one answer line, one connection each:
//   find <TAB> class <TAB> title      -> handle (0 when none)
//   findclass <TAB> class             -> handle of a window of that class, any title
//   post <TAB> handle <TAB> id <TAB> wParam <TAB> lParam -> 1 or 0
//   front <TAB> handle                -> 1 or 0
//   exists <TAB> handle               -> 1 or 0
// Texts are UTF-8; a tab or line break inside a class or title is refused.

#include "platform/ipc/WindowChannel.h"

#include "platform/core/Backend.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <poll.h>
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
    if (parts.size() == 2 && parts[0] == "findclass")
        return std::to_string(findLocalWindow(toUtf16(parts[1]), std::nullopt));
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
    WindowHandle find(std::u16string_view className,
                      std::optional<std::u16string_view> title) override {
        std::string cls = toUtf8(className), text = title ? toUtf8(*title) : std::string();
        if (cls.find_first_of("\t\n") != std::string::npos ||
            text.find_first_of("\t\n") != std::string::npos)
            return 0;
        std::string request = title ? "find\t" + cls + "\t" + text : "findclass\t" + cls;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(runFolder(), ec)) {
            if (entry.path().extension() != ".sock")
                continue;
            uint32_t pid = static_cast<uint32_t>(std::strtoul(entry.path().stem().c_str(), nullptr, 10));
            if (pid == 0 || pid == static_cast<uint32_t>(getpid()))
                continue;
            if (WindowHandle found = parseHandle(ask(pid, request)))
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

// One thread serves every connection through one poll loop over non-blocking sockets,
// so a client that sends its request a byte at a time holds only its own connection.
// Each connection has a deadline for the whole exchange; the oldest connection gives
// way when too many are open at once.
constexpr auto exchangeDeadline = std::chrono::seconds(2);
constexpr size_t maxConnections = 32;
constexpr size_t maxRequestSize = 4096;

struct Connection {
    int fd = -1;
    std::chrono::steady_clock::time_point deadline;
    std::string request;
    std::string answer; // what is still to be sent, once the request is complete
};

// Reads what has arrived; false when the connection is finished with (closed by the
// peer, an error, or a request too long). A complete request makes the answer.
bool receive(Connection& c) {
    char chunk[512];
    for (;;) {
        ssize_t n = ::recv(c.fd, chunk, sizeof chunk, 0);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        if (n == 0)
            return false;
        c.request.append(chunk, static_cast<size_t>(n));
        if (size_t end = c.request.find('\n'); end != std::string::npos) {
            c.answer = answerFor(c.request.substr(0, end)) + "\n";
            return true;
        }
        if (c.request.size() > maxRequestSize)
            return false;
    }
}

// Sends what the socket takes; false once everything is sent or sending failed.
bool transmit(Connection& c) {
    ssize_t n = ::send(c.fd, c.answer.data(), c.answer.size(), MSG_NOSIGNAL);
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    c.answer.erase(0, static_cast<size_t>(n));
    return !c.answer.empty();
}

void serve(int listener) {
    using Clock = std::chrono::steady_clock;
    std::vector<Connection> connections;
    std::vector<pollfd> polled;
    for (;;) {
        auto now = Clock::now();
        std::erase_if(connections, [&](const Connection& c) {
            bool expired = now >= c.deadline;
            if (expired)
                ::close(c.fd);
            return expired;
        });
        int timeout = -1;
        polled.assign(1, pollfd{listener, POLLIN, 0});
        for (const Connection& c : connections) {
            polled.push_back({c.fd, static_cast<short>(c.answer.empty() ? POLLIN : POLLOUT), 0});
            auto left = std::chrono::ceil<std::chrono::milliseconds>(c.deadline - now).count();
            timeout = timeout < 0 ? static_cast<int>(left) : std::min(timeout, static_cast<int>(left));
        }
        if (::poll(polled.data(), polled.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        // Connections first: the indices of `polled` follow `connections` until new
        // ones are accepted below.
        for (size_t i = connections.size(); i-- > 0;) {
            Connection& c = connections[i];
            short events = polled[i + 1].revents;
            if (!events)
                continue;
            bool open = !(events & (POLLERR | POLLNVAL));
            if (open && c.answer.empty())
                open = receive(c) && (c.answer.empty() || transmit(c));
            else if (open)
                open = transmit(c);
            if (!open) {
                ::close(c.fd);
                connections.erase(connections.begin() + static_cast<ptrdiff_t>(i));
            }
        }
        if (!(polled[0].revents & POLLIN))
            continue;
        for (;;) {
            int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                break;
            }
            if (!sameUser(fd)) {
                ::close(fd);
                continue;
            }
            if (connections.size() >= maxConnections) {
                ::close(connections.front().fd);
                connections.erase(connections.begin());
            }
            connections.push_back({fd, Clock::now() + exchangeDeadline, {}, {}});
        }
    }
}

std::string ownSocket;

void removeOwnSocket() {
    if (!ownSocket.empty())
        ::unlink(ownSocket.c_str());
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

    std::string error;
    if (!makePrivateFolder(deviceFolder(), &error) || !makePrivateFolder(runFolder(), &error)) {
        std::fprintf(stderr, "vantrel: cannot make the private folder %s\n", error.c_str());
        return false;
    }
    fs::path path = socketPath(static_cast<uint32_t>(getpid()));
    sockaddr_un address;
    if (!makeAddress(path, address)) {
        std::fprintf(stderr,
                     "vantrel: the socket path %s is too long (%zu bytes, at most %zu); other "
                     "processes cannot reach this one's windows\n",
                     path.c_str(), path.string().size(), sizeof(address.sun_path) - 1);
        return false;
    }
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::unlink(path.c_str());
    if (listener < 0 ||
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
