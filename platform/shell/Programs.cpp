#include "platform/shell/Programs.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/registry/Registry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrel::platform::shell {

namespace fs = std::filesystem;

namespace {

// A user-dirs file is a few hundred bytes; anything far larger is not one.
constexpr size_t maxUserDirsBytes = 64u << 10;

bool isExecutableFile(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

// The program's file: a path as given, a bare name through PATH. Resolved before the
// fork, because only async-signal-safe calls may follow it.
std::optional<fs::path> locate(const fs::path& program) {
    if (program.empty())
        return std::nullopt;
    if (program.has_parent_path())
        return isExecutableFile(program) ? std::optional(program) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty()) {
        size_t colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        if (!folder.empty() && isExecutableFile(fs::path(folder) / program))
            return fs::path(folder) / program;
        if (colon == std::string_view::npos)
            break;
        folders.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

// Keeps a mail header's display name one token: quoted, with quotes and backslashes
// escaped, so commas and angle brackets in it stay part of the name.
std::u16string quotedName(std::u16string_view name) {
    std::u16string quoted = u"\"";
    for (char16_t c : name) {
        if (c == u'"' || c == u'\\')
            quoted += u'\\';
        // A line break would end the header line in the composer.
        quoted += (c == u'\r' || c == u'\n') ? u' ' : c;
    }
    return quoted + u'"';
}

std::string percentEncoded(std::string_view bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                          c == '@';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

bool startProgram(const fs::path& program, const std::vector<std::u16string>& arguments) {
    std::optional<fs::path> file = locate(program);
    if (!file)
        return false;
    std::vector<std::string> words{file->string()};
    for (const std::u16string& argument : arguments)
        words.push_back(toUtf8(argument));
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // The exec's outcome comes back through a pipe that the exec closes when it works.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    // Two forks: the middle process ends at once, so the program is the init process's
    // child and nobody here has to wait for it.
    pid_t middle = ::fork();
    if (middle == 0) {
        ::close(report[0]);
        pid_t program = ::fork();
        if (program == 0) {
            ::setsid();
            // The device's stores, sockets and shared objects stay with this program:
            // whatever it has open closes at the exec (the report pipe included).
            ::close_range(3, ~0u, CLOSE_RANGE_CLOEXEC);
            ::execv(argv[0], argv.data());
            int error = errno;
            [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(program < 0 ? 1 : 0);
    }
    ::close(report[1]);
    bool started = false;
    if (middle > 0) {
        int status = 0;
        while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
        }
        int error = 0;
        ssize_t got;
        while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
        }
        started = WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
    }
    ::close(report[0]);
    return started;
}

fs::path configuredProgram(std::u16string_view role) {
    std::u16string program;
    if (!registry::readString(registry::Root::localMachine, programsKey, role, program))
        return {};
    return fs::path(toUtf8(program));
}

std::string mailtoUri(std::u16string_view displayName, std::u16string_view address) {
    std::u16string recipient(address);
    if (!displayName.empty())
        recipient = quotedName(displayName) + u" <" + recipient + u">";
    return "mailto:" + percentEncoded(toUtf8(recipient));
}

bool composeMail(std::u16string_view displayName, std::u16string_view address) {
    if (address.empty())
        return false;
    return startProgram("xdg-email", {toUtf16(mailtoUri(displayName, address))});
}

std::optional<fs::path> picturesDirFromUserDirs(std::string_view text, const fs::path& home) {
    constexpr std::string_view key = "XDG_PICTURES_DIR=";
    std::optional<fs::path> found;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (!line.starts_with(key))
            continue;
        line.remove_prefix(key.size());
        if (line.size() < 2 || line.front() != '"')
            continue;
        size_t close = line.find('"', 1);
        if (close == std::string_view::npos)
            continue;
        std::string_view value = line.substr(1, close - 1);
        // The file's own rule: "$HOME/..." or an absolute path, nothing else.
        if (value == "$HOME" || value.starts_with("$HOME/")) {
            if (home.empty())
                continue;
            value.remove_prefix(std::min<size_t>(value.size(), 6));
            found = home / fs::path(value);
        } else if (value.starts_with('/')) {
            found = fs::path(value);
        }
    }
    return found;
}

fs::path picturesFolder() {
    fs::path home = homeFolder();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    fs::path configFolder = config && *config ? fs::path(config) : home / ".config";
    std::string text;
    if (!configFolder.empty() &&
        readWholeFile(configFolder / "user-dirs.dirs", text, maxUserDirsBytes))
        if (auto folder = picturesDirFromUserDirs(text, home))
            return *folder;
    return home.empty() ? fs::path() : home / "Pictures";
}

} // namespace vantrel::platform::shell
