// The registry belongs to the user who runs the device: nobody else reads it or holds
// its locks, and a copy its owner made read-only is still read.
#include "platform/registry/Registry.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantrel::platform;
using namespace vantrel::platform::registry;
namespace fs = std::filesystem;

namespace {

constexpr uid_t nobody = 65534;

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Runs the registry writer on `device`, as `user` when that is another one; its exit
// code, and what it printed in `out`.
int runWriter(const fs::path& device, uid_t user, std::vector<std::string> args,
              std::string* out = nullptr) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], 1);
        ::close(pipeFds[0]);
        setenv("VANTREL_DEVICE", device.c_str(), 1);
        if (user != ::geteuid() && (::setgid(user) != 0 || ::setuid(user) != 0))
            _exit(99);
        std::vector<char*> argv{const_cast<char*>(REGISTRY_WRITER)};
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(98);
    }
    ::close(pipeFds[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (out)
        *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A folder another user can reach: the tests' own temporary root is private to us.
fs::path sharedFolder() {
    char pattern[] = "/tmp/vantrel-registry-XXXXXX";
    fs::path folder = ::mkdtemp(pattern);
    ::chmod(folder.c_str(), 0711);
    return folder;
}

} // namespace

TEST(RegistryPrivacy, TheDeviceFolderAndEveryRegistryFileArePrivate) {
    // A device made before the rule: a readable folder and a readable database.
    fs::path device = sharedFolder() / "device";
    ASSERT_EQ(runWriter(device, ::geteuid(), {"dword", "Key", "Value", "7"}), 0);
    ::chmod(device.c_str(), 0755);
    for (const char* file : {"registry.db", "registry.changed"})
        ::chmod((device / file).c_str(), 0644);

    ASSERT_EQ(runWriter(device, ::geteuid(), {"watch", "Key", "Value", "3"}), 0);
    EXPECT_EQ(modeOf(device), 0700u);
    for (const char* file : {"registry.db", "registry.changed"}) {
        EXPECT_EQ(modeOf(device / file), 0600u) << file;
    }
    // SQLite's journal and shared index exist while a connection is open.
    pid_t holder = ::fork();
    if (holder == 0) {
        setenv("VANTREL_DEVICE", device.c_str(), 1);
        uint32_t value = 0;
        readDword(Root::currentUser, u"Key", u"Value", value);
        _exit(modeOf(device / "registry.db-wal") == 0600 && modeOf(device / "registry.db-shm") == 0600
                  ? 0
                  : 1);
    }
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "-wal and -shm are 0600";

    if (::geteuid() != 0)
        GTEST_SKIP() << "not root: no second user to try the registry as";
    // Another user opens none of the files, for reading or for a lock.
    for (const char* file : {"registry.db", "registry.db-shm", "registry.changed"}) {
        pid_t other = ::fork();
        if (other == 0) {
            if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                _exit(2);
            _exit(::open((device / file).c_str(), O_RDONLY) < 0 && errno == EACCES ? 0 : 1);
        }
        ::waitpid(other, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << file << " is open to others";
    }
    // A device folder that belongs to someone else is refused, not used.
    fs::path planted = sharedFolder() / "planted";
    fs::create_directory(planted);
    ASSERT_EQ(::chown(planted.c_str(), nobody, nobody), 0);
    ::chmod(planted.c_str(), 0777);
    EXPECT_EQ(runWriter(planted, ::geteuid(), {"dword", "Key", "Value", "1"}), 1);
    EXPECT_FALSE(fs::exists(planted / "registry.db"));
}

TEST(RegistryPrivacy, AReadOnlyRegistryInRollbackJournalModeIsStillRead) {
    // Root writes anything, so the read-only copy is tried as another user when the
    // test runs as root.
    const uid_t user = ::geteuid() == 0 ? nobody : ::geteuid();
    // A registry from the corpus, in rollback-journal mode (header bytes 18 and 19 are 1).
    fs::path device = sharedFolder() / "device";
    fs::create_directory(device);
    fs::copy_file(fs::path(VANTREL_SOURCE_DIR) / "fuzz" / "corpus" / "fuzz_registry_file" /
                      "registry.db",
                  device / "registry.db");
    ASSERT_EQ(::chown(device.c_str(), user, user), 0);
    ASSERT_EQ(::chown((device / "registry.db").c_str(), user, user), 0);
    ::chmod((device / "registry.db").c_str(), 0400);
    ::chmod(device.c_str(), 0500);

    std::string out;
    EXPECT_EQ(runWriter(device, user, {"read", "Software\\Vantrel\\Contact", "Option11"}, &out),
              0);
    EXPECT_EQ(out, "11\n");
    EXPECT_EQ(fs::directory_iterator(device)->path().filename(), "registry.db")
        << "nothing was moved aside or added";
    ::chmod(device.c_str(), 0700);
}
