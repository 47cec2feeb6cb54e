// The preloader as the user's session runs it: the real program beside a test browser
// named "Brisa9.exe" (TestBrowser.cpp), in a fresh folder each, on this test's device.
// The test process plays the other parties: a second preloader, a browser window, a
// holder of the preloaded mutex.
#include "platform/core/Window.h"
#include "platform/ipc/NamedMutex.h"
#include "platform/ipc/NamedObject.h"
#include "platform/ipc/WindowChannel.h"
#include "preloader/BrisaPreLoader.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Two rounds of the watcher and some: long enough for a start that should not happen.
constexpr auto twoRounds = 2500ms;
// Generous: only stops a test that hangs.
constexpr auto patience = 8s;

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class Preloader : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ipc::startWindowChannel());
        folder_ = test::freshFolder("preloader");
        fs::copy_file(PRELOADER_PROGRAM, folder_ / "brisa-preloader");
        fs::copy_file(TEST_BROWSER_PROGRAM, folder_ / "Brisa9.exe");
    }

    void TearDown() override {
        for (pid_t pid : browsers("started"))
            ::kill(pid, SIGKILL);
        for (auto name : {u"_BRISA9_LAUNCH_MUTEX_", u"_BRISA9_PRELOADED_MUTEX_",
                          u"_BRISA9_BINARY_LOADED_EVENT_"})
            ipc::removeNamedObject(name);
    }

    std::unique_ptr<test::BackgroundProcess> startPreloader() {
        return std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{(folder_ / "brisa-preloader").string()});
    }

    // Ends the preloader as the session does, expecting a clean end.
    void stop(test::BackgroundProcess& preloader) {
        ::kill(preloader.pid(), SIGTERM);
        EXPECT_EQ(preloader.wait(patience), 0) << preloader.errors();
    }

    void setBrowserMode(const std::string& mode) {
        std::ofstream(folder_ / "browser-mode") << mode;
    }

    // The browsers that logged `step`, in order.
    std::vector<pid_t> browsers(const std::string& step) {
        std::ifstream in(folder_ / "browser.log");
        std::vector<pid_t> pids;
        std::string seen;
        pid_t pid;
        while (in >> seen >> pid)
            if (seen == step)
                pids.push_back(pid);
        return pids;
    }

    size_t starts() { return browsers("started").size(); }

    fs::path folder_;
};

TEST_F(Preloader, KeepsOneBrowserPreloadedAndStartsTheNextOnceTheOpenedOneEnds) {
    auto preloader = startPreloader();
    ASSERT_TRUE(eventually([&] { return browsers("loaded").size() == 1; }, patience));
    std::this_thread::sleep_for(twoRounds);
    EXPECT_EQ(starts(), 1u) << "a preloaded browser holds its mutex: no second one";

    // A second preloader finds the first by its window and ends at once.
    auto second = test::runProcess({(folder_ / "brisa-preloader").string()}, patience);
    EXPECT_EQ(second.exitCode, 0);
    WindowHandle window = findWindow(u"Brisa_PreloaderWndClass");
    EXPECT_EQ(window >> 32, static_cast<WindowHandle>(preloader->pid()))
        << "the only preloader window is the first one's";
    EXPECT_EQ(findWindow(u"Brisa_PreloaderWndClass", u"BrisaPreLoader"), window);

    // Opened, the browser gives the preloaded mutex up but has its window.
    pid_t first = browsers("loaded")[0];
    ::kill(first, SIGUSR1);
    ASSERT_TRUE(eventually([&] { return browsers("opened").size() == 1; }, patience));
    std::this_thread::sleep_for(twoRounds);
    EXPECT_EQ(starts(), 1u) << "no browser is started while its window exists";

    ::kill(first, SIGTERM);
    ASSERT_TRUE(eventually([&] { return browsers("loaded").size() == 2; }, patience));
    EXPECT_TRUE(eventually([&] { return !fs::exists("/proc/" + std::to_string(first)); }, patience))
        << "the ended browser was collected";
    stop(*preloader);
}

TEST_F(Preloader, StartsNoBrowserWhileAnotherProcessHoldsThePreloadedMutexOrHasTheWindow) {
    auto preloaded = ipc::NamedMutex::create(u"_BRISA9_PRELOADED_MUTEX_");
    ASSERT_TRUE(preloaded);
    ASSERT_EQ(preloaded->wait(0ms), ipc::WaitResult::signaled);
    auto preloader = startPreloader();
    std::this_thread::sleep_for(twoRounds);
    EXPECT_EQ(starts(), 0u) << "the mutex alone keeps the browser unstarted";

    ASSERT_TRUE(registerClass({u"Brisa_MainWndClass", defaultWindowProcedure}));
    WindowHandle browserWindow = createWindow(u"Brisa_MainWndClass", u"any title", {0, 0, 8, 8}, false);
    ASSERT_TRUE(browserWindow);
    ASSERT_TRUE(preloaded->release());
    std::this_thread::sleep_for(twoRounds);
    EXPECT_EQ(starts(), 0u) << "the window alone keeps the browser unstarted";

    destroyWindow(browserWindow);
    EXPECT_TRUE(eventually([&] { return browsers("loaded").size() == 1; }, patience));
    stop(*preloader);
}

TEST_F(Preloader, ABrowserThatNeverSignalsBlocksOnlyTheWatcherUntilItDies) {
    setBrowserMode("hang");
    auto preloader = startPreloader();
    ASSERT_TRUE(eventually([&] { return browsers("hanging").size() == 1; }, patience));
    std::this_thread::sleep_for(twoRounds);
    EXPECT_EQ(starts(), 1u);
    auto launch = ipc::NamedMutex::create(u"_BRISA9_LAUNCH_MUTEX_");
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->wait(0ms), ipc::WaitResult::timedOut) << "the watcher waits holding it";
    EXPECT_EQ(test::runProcess({(folder_ / "brisa-preloader").string()}, patience).exitCode, 0)
        << "the preloader still answers a second start";

    // Once the browser is gone the watcher stops waiting and goes on.
    setBrowserMode("");
    pid_t hung = browsers("hanging")[0];
    ::kill(hung, SIGKILL);
    ASSERT_TRUE(eventually([&] { return browsers("loaded").size() == 1; }, patience));
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(hung))) << "the dead browser was collected";
    EXPECT_EQ(test::zombiesOf(preloader->pid()), 0);
    stop(*preloader);
}

TEST_F(Preloader, CrashingBrowsersNeitherBlockThePreloaderNorLeaveZombies) {
    setBrowserMode("crash");
    auto preloader = startPreloader();
    ASSERT_TRUE(eventually([&] { return browsers("crashing").size() >= 4; }, 4 * patience));
    auto launch = ipc::NamedMutex::create(u"_BRISA9_LAUNCH_MUTEX_");
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->wait(3s), ipc::WaitResult::signaled) << "the launch mutex is handed on";
    ASSERT_TRUE(launch->release());

    setBrowserMode("");
    ASSERT_TRUE(eventually([&] { return browsers("loaded").size() == 1; }, patience));
    EXPECT_EQ(test::zombiesOf(preloader->pid()), 0) << "every crashed browser was collected";
    for (pid_t crashed : browsers("crashing"))
        EXPECT_FALSE(fs::exists("/proc/" + std::to_string(crashed)));
    stop(*preloader);
}

TEST_F(Preloader, RefusesAPlantedPreloadedMutexOnceWithTheReasonAndStartsNothing) {
    std::string object = ipc::deviceObjectName(u"_BRISA9_PRELOADED_MUTEX_");
    int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fchmod(fd, 0644), 0);
    ASSERT_EQ(::ftruncate(fd, 64), 0);
    ::close(fd);
    auto preloader = startPreloader();
    std::this_thread::sleep_for(twoRounds);
    EXPECT_EQ(starts(), 0u);
    stop(*preloader);
    std::string errors = preloader->errors();
    std::string reason = object + " has mode 0644, not 0600; refusing it\n";
    ASSERT_NE(errors.find(reason), std::string::npos) << errors;
    EXPECT_EQ(errors.find(reason), errors.rfind(reason)) << "said once, not every second";
}

TEST(PreloaderStartUp, AProgramPathWithoutAFolderEndsWithCode14) {
    fs::path browser;
    EXPECT_EQ(preloader::browserPathFor("brisa-preloader", browser), preloader::errorOutOfMemory);
    EXPECT_EQ(preloader::browserPathFor("/opt/brisa/brisa-preloader", browser), 0);
    EXPECT_EQ(browser, "/opt/brisa/Brisa9.exe");
}

} // namespace
