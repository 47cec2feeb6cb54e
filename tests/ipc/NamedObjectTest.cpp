// Named mutexes and events across processes of the device (the ipc_peer helper is the
// other process), the privacy of their shared objects, and finding another process's
// window by its class.
#include "platform/core/Window.h"
#include "platform/ipc/NamedEvent.h"
#include "platform/ipc/NamedMutex.h"
#include "platform/ipc/WindowChannel.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <thread>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::platform;
using namespace std::chrono_literals;
using ipc::WaitResult;

namespace {

// Generous: only stops a test that hangs.
constexpr auto patience = 10s;

std::unique_ptr<test::BackgroundProcess> peer(std::vector<std::string> args) {
    args.insert(args.begin(), IPC_PEER);
    return std::make_unique<test::BackgroundProcess>(args);
}

// Removes the objects a test made, so /dev/shm keeps nothing of the run.
struct Names {
    std::vector<std::u16string> names;
    ~Names() {
        for (const auto& name : names)
            ipc::removeNamedObject(name);
    }
};

TEST(NamedMutex, AHolderKilledWithSigkillHandsItToTheWaiterAndItStaysUsable) {
    Names cleanup{{u"Held"}};
    auto holder = peer({"hold-mutex", "Held"});
    ASSERT_TRUE(holder->waitForLine("signaled", patience)) << holder->errors();
    auto mutex = ipc::NamedMutex::create(u"Held");
    ASSERT_TRUE(mutex);
    EXPECT_EQ(mutex->wait(0ms), WaitResult::timedOut);
    EXPECT_EQ(mutex->wait(100ms), WaitResult::timedOut);
    EXPECT_FALSE(mutex->release()) << "only the owner may release";

    auto waiter = peer({"take-mutex", "Held", "-1"});
    ASSERT_TRUE(waiter->waitForLine("waiting", patience));
    ::kill(holder->pid(), SIGKILL);
    EXPECT_TRUE(waiter->waitForLine("abandoned", patience)) << waiter->output();
    EXPECT_EQ(waiter->wait(patience), 0);

    // The waiter released it as it ended: free for everyone again, and not abandoned.
    ASSERT_EQ(mutex->wait(patience), WaitResult::signaled);
    auto blocked = peer({"take-mutex", "Held", "200"});
    EXPECT_TRUE(blocked->waitForLine("timedOut", patience)) << blocked->output();
    EXPECT_TRUE(mutex->release());
    auto free = peer({"take-mutex", "Held", "0"});
    EXPECT_TRUE(free->waitForLine("signaled", patience)) << free->output();
}

TEST(NamedEvent, EachSetLetsExactlyOneWaiterOfAnyProcessThrough) {
    Names cleanup{{u"Loaded"}};
    auto event = ipc::NamedEvent::create(u"Loaded");
    ASSERT_TRUE(event);
    EXPECT_EQ(event->wait(50ms), WaitResult::timedOut) << "created unset";

    auto first = peer({"wait-event", "Loaded", "-1"});
    auto second = peer({"wait-event", "Loaded", "-1"});
    ASSERT_TRUE(first->waitForLine("waiting", patience));
    ASSERT_TRUE(second->waitForLine("waiting", patience));
    std::this_thread::sleep_for(100ms); // both asleep in the wait
    auto setter = peer({"set-event", "Loaded"});
    EXPECT_EQ(setter->wait(patience), 0);
    bool through[2] = {false, false};
    auto throughCount = [&](std::chrono::milliseconds timeout) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        test::BackgroundProcess* waiters[2] = {first.get(), second.get()};
        do {
            for (int i = 0; i < 2; ++i)
                through[i] = through[i] || waiters[i]->waitForLine("signaled", 10ms);
        } while (through[0] + through[1] == 0 && std::chrono::steady_clock::now() < deadline);
        return through[0] + through[1];
    };
    EXPECT_EQ(throughCount(patience), 1);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(throughCount(0ms), 1) << "one set, one waiter through";
    event->set();
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (throughCount(0ms) < 2 && std::chrono::steady_clock::now() < deadline) {
    }
    EXPECT_EQ(throughCount(0ms), 2);

    // A set nobody waits for stays until one wait takes it.
    event->set();
    EXPECT_EQ(event->wait(0ms), WaitResult::signaled);
    EXPECT_EQ(event->wait(0ms), WaitResult::timedOut);
    event->set();
    event->reset();
    EXPECT_EQ(event->wait(0ms), WaitResult::timedOut);
}

// Plants a shared object under the name as someone else might have.
void plant(std::u16string_view name, mode_t mode, off_t size, uid_t owner = ::geteuid()) {
    std::string object = ipc::deviceObjectName(name);
    int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fchmod(fd, mode), 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    if (owner != ::geteuid()) {
        ASSERT_EQ(::fchown(fd, owner, owner), 0);
    }
    ::close(fd);
}

TEST(NamedObjects, AreMadePrivateAndForeignOrMisshapenOnesAreRefused) {
    Names cleanup{{u"Mine", u"Shared", u"Small", u"Theirs", u"Unfinished", u"Event"}};
    mode_t savedMask = ::umask(0277);
    auto mine = ipc::NamedMutex::create(u"Mine");
    ::umask(savedMask);
    ASSERT_TRUE(mine);
    struct stat info {};
    ASSERT_EQ(::stat(("/dev/shm" + ipc::deviceObjectName(u"Mine")).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u) << "whatever the umask";
    EXPECT_EQ(info.st_uid, ::geteuid());

    auto refusal = [](std::u16string_view name) {
        std::string error;
        EXPECT_FALSE(ipc::NamedMutex::create(name, &error));
        return error;
    };
    plant(u"Shared", 0644, 64);
    EXPECT_NE(refusal(u"Shared").find("has mode 0644, not 0600"), std::string::npos);
    plant(u"Small", 0600, 1);
    EXPECT_NE(refusal(u"Small").find("is 1 bytes, not"), std::string::npos);
    if (::geteuid() == 0) {
        plant(u"Theirs", 0600, 64, 65534);
        EXPECT_NE(refusal(u"Theirs").find("belongs to user 65534"), std::string::npos);
    }
    ASSERT_TRUE(ipc::NamedEvent::create(u"Event"));
    EXPECT_FALSE(refusal(u"Event").empty()) << "an event is not a mutex";

    // Sized right but never made ready: its creator died half way.
    ipc::removeNamedObject(u"Mine");
    mine.reset();
    auto probe = ipc::NamedMutex::create(u"Mine");
    ASSERT_TRUE(probe);
    struct stat made {};
    ASSERT_EQ(::stat(("/dev/shm" + ipc::deviceObjectName(u"Mine")).c_str(), &made), 0);
    plant(u"Unfinished", 0600, made.st_size);
    EXPECT_NE(refusal(u"Unfinished").find("creator ended"), std::string::npos);
}

TEST(WindowFinding, FindsAWindowOfAnotherProcessByItsClassWhateverItsTitle) {
    ASSERT_TRUE(ipc::startWindowChannel());
    auto owner = peer({"window", "Brisa_MainWndClass", "Some page"});
    ASSERT_TRUE(owner->waitForLine("ready", patience)) << owner->errors();
    WindowHandle found = findWindow(u"Brisa_MainWndClass");
    EXPECT_EQ(found >> 32, static_cast<WindowHandle>(owner->pid()));
    EXPECT_EQ(findWindow(u"Brisa_MainWndClass", u"Some page"), found);
    EXPECT_EQ(findWindow(u"Brisa_MainWndClass", u"Other page"), 0u);
    EXPECT_EQ(findWindow(u"Brisa_OtherClass"), 0u);
    ::kill(owner->pid(), SIGKILL);
    owner->wait(patience);
    EXPECT_EQ(findWindow(u"Brisa_MainWndClass"), 0u) << "a dead process has no windows";
}

} // namespace
