// The program against what a careless or hostile script, file or client hands it:
// every case ends with a clear answer, never a crash or a hang.

#include "platform/core/Paths.h"
#include "platform/ipc/SharedMemory.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class HostileInput : public testing::Test {
protected:
    void SetUp() override { test::useFreshDevice(); }

    static std::string vantrel() { return (test::binaryFolder() / "app" / "vantrel").string(); }

    static std::string script(const std::string& name, const std::string& text) {
        fs::path file = platform::programFolder() / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }
};

} // namespace

TEST_F(HostileInput, AScriptsRepaintPostCarriesANumberNotAnAddress) {
    // The repaint message's word may be the address of a rectangle, but only from a
    // poster inside the program; a script's number read as one crashed it.
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script",
         script("post.txt", "post 2024 123456789 0\npost 2024 4096 0\nwait 50\nprint alive\nquit\n")},
        20s);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "alive\n");
}

TEST_F(HostileInput, ScriptsThatCannotBeReadEndTheRunWithAFailure) {
    fs::path fifo = platform::programFolder() / "fifo";
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::path missing = platform::programFolder() / "missing.txt";
    for (const std::string& file : {missing.string(), fifo.string(), std::string("/dev/zero")}) {
        auto result = test::runProcess({vantrel(), "--headless", "--script", file}, 20s);
        EXPECT_EQ(result.exitCode, 1) << file;
        EXPECT_NE(result.err.find("cannot read the script " + file + ": "), std::string::npos)
            << result.err;
    }
    auto bare = test::runProcess({vantrel(), "--headless"}, 20s);
    EXPECT_EQ(bare.exitCode, 1);
    EXPECT_NE(bare.err.find("run with --script FILE"), std::string::npos) << bare.err;
}

TEST_F(HostileInput, SettingsFilesThatAreNoRegularFilesAreRefused) {
    // settings.ini as a FIFO with no writer: reading it used to wait for ever.
    fs::path settings = platform::programFolder() / "settings.ini";
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script",
         script("load.txt", "settings-load /dev/zero\nprint loaded\nquit\n")},
        20s);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.err.find("settings: cannot read " + settings.string() + ": not a regular file"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("settings: cannot read /dev/zero: not a regular file"),
              std::string::npos)
        << result.err;
}

TEST_F(HostileInput, AClientThatTricklesItsRequestDoesNotHoldUpTheChannel) {
    test::BackgroundProcess first({vantrel(), "--headless", "--script",
                                   script("first.txt", "print ready\nexpect-message g_vtrGoToFavorite "
                                                       "20000\nquit\n")});
    ASSERT_TRUE(first.waitForLine("ready", 20s)) << first.errors();
    fs::path socket;
    for (const auto& entry : fs::directory_iterator(platform::deviceFolder() / "run"))
        socket = entry.path();
    ASSERT_FALSE(socket.empty());

    // One byte every 1.5 s, each within the old per-byte timeout: the old channel served
    // this client alone, for ever, and a second start found no running window.
    std::atomic<bool> stop = false;
    std::thread trickler([&] {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            for (int i = 0; i < 10 && !stop; ++i) {
                ::send(fd, "f", 1, MSG_NOSIGNAL);
                for (int tick = 0; tick < 15 && !stop; ++tick)
                    std::this_thread::sleep_for(100ms);
            }
        ::close(fd);
    });
    std::this_thread::sleep_for(500ms);
    auto second = test::runProcess({vantrel(), "--headless", "-favorites"}, 20s);
    stop = true;
    trickler.join();
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(first.wait(20s), 0) << first.errors();
}

TEST_F(HostileInput, ADevicePathTooLongForASocketIsNamedInTheMessage) {
    fs::path device = platform::deviceFolder() / std::string(120, 'd');
    setenv("VANTREL_DEVICE", device.c_str(), 1);
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script", script("quit.txt", "quit\n")}, 20s);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("the socket path " + (device / "run").string() + "/"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(" is too long"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("No such file"), std::string::npos) << result.err;
}

TEST_F(HostileInput, SmsBufferIsTheProgramsOwnAndGoesWithIt) {
    const std::string name = platform::ipc::SharedMemory::posixName(u"SmsBuffer");
    const fs::path object = fs::path("/dev/shm") / name.substr(1);
    std::string quit = script("quit.txt", "quit\n");
    auto clean = test::runProcess({vantrel(), "--headless", "--script", quit}, 20s);
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.err, "");
    EXPECT_FALSE(fs::exists(object)) << "removed when the program ended";

    // Made first by someone else, loose: refused with the reason, and left alone.
    ::umask(0);
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ::umask(022);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 1024), 0);
    ::close(fd);
    // A new SMS then says so, and is not read from the loose block.
    std::string arrival =
        script("arrival.txt", "post VantrelNewSMS\nwait 50\n"
                              "expect-box \"error: error, sms shared buffer is null\"\nquit\n");
    auto refused = test::runProcess({vantrel(), "--headless", "--script", arrival}, 20s);
    EXPECT_EQ(refused.exitCode, 0) << refused.err;
    EXPECT_EQ(refused.err, "vantrel: incoming messages cannot be shown: shared memory " + name +
                               " has mode 0666, not 0600; refusing it\n"
                               "MESSAGEBOX error: error, sms shared buffer is null\n");
    EXPECT_TRUE(fs::exists(object));
    ::shm_unlink(name.c_str());
}
