// Starting a program held and letting it go: nothing of it runs before resume(), it
// sees what was prepared in between, and no child is left a zombie.
#include "platform/ipc/ChildProcess.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr auto patience = 10s;

int linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    int count = 0;
    while (std::getline(in, line))
        ++count;
    return count;
}

TEST(ChildProcess, RunsNothingOfTheProgramBeforeResume) {
    fs::path mark = test::freshFolder("mark") / "ran";
    setenv("IPC_PEER_MARK", mark.c_str(), 1);
    auto child = ipc::ChildProcess::startSuspended(IPC_PEER);
    ASSERT_TRUE(child);
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(child->hasExited());
    EXPECT_FALSE(fs::exists(mark));
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(child->id()) + "/exe"),
              fs::read_symlink("/proc/self/exe"))
        << "still this program: the peer was not even loaded";

    ASSERT_TRUE(child->resume());
    ASSERT_TRUE(child->waitForExit(patience));
    EXPECT_EQ(child->exitCode(), 7);
    EXPECT_EQ(linesOf(mark), 1);
    EXPECT_FALSE(child->resume()) << "resumed once only";
}

TEST(ChildProcess, ManyStartsLeaveNoZombieWhicheverWayTheyEnd) {
    fs::path mark = test::freshFolder("mark") / "ran";
    setenv("IPC_PEER_MARK", mark.c_str(), 1);
    for (int i = 0; i < 60; ++i) {
        auto child = ipc::ChildProcess::startSuspended(IPC_PEER);
        ASSERT_TRUE(child);
        if (i % 3 == 0)
            continue; // dropped while held: ends without running the program
        ASSERT_TRUE(child->resume());
        // The others are dropped while they run: a later call collects them.
        if (i % 3 == 1) {
            ASSERT_TRUE(child->waitForExit(patience));
        }
    }
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (linesOf(mark) < 40 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(linesOf(mark), 40) << "every resumed child ran, no held one did";
    // The runners dropped last have ended by now; the next call collects them.
    std::this_thread::sleep_for(100ms);
    ipc::ChildProcess::startSuspended(IPC_PEER).reset();
    EXPECT_EQ(test::zombiesOf(::getpid()), 0);
}

TEST(ChildProcess, RefusesWhatItCannotRun) {
    std::string error;
    EXPECT_FALSE(ipc::ChildProcess::startSuspended("/nonexistent/Brisa9.exe", &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    fs::path text = test::freshFolder("text") / "Brisa9.exe";
    std::ofstream(text) << "not a program";
    fs::permissions(text, fs::perms::owner_all);
    auto child = ipc::ChildProcess::startSuspended(text);
    ASSERT_TRUE(child) << "executable by its mode; only the exec can tell";
    EXPECT_FALSE(child->resume(&error));
    EXPECT_NE(error.find("Exec format error"), std::string::npos) << error;
    EXPECT_TRUE(child->hasExited());
    EXPECT_FALSE(ipc::ChildProcess::startSuspended(text.parent_path(), &error));
    EXPECT_NE(error.find("not an executable file"), std::string::npos) << error;
}

} // namespace
