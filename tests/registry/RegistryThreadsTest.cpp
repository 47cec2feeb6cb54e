// The registry under several threads and processes: atomic writes and change
// notifications, also from another process of the device (the registry_writer helper).
#include "platform/core/Utf.h"
#include "platform/core/Window.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

using namespace vantrel::platform;
using namespace vantrel::platform::registry;
using namespace std::chrono_literals;

namespace {

constexpr Root cu = Root::currentUser;

// Generous: a missed notification fails the test, a slow machine must not.
constexpr auto patience = 5s;

// Counts the calls of a change callback and lets the test wait for them.
class Calls {
public:
    std::function<void()> callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    bool waitFor(int count, std::chrono::milliseconds timeout = patience) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return count_ >= count; });
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

pid_t startWriter(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(REGISTRY_WRITER)};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    // The child inherits VANTREL_DEVICE, so it writes into this test's device.
    if (posix_spawn(&pid, REGISTRY_WRITER, nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

int waitWriter(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::vector<uint8_t> uniform(uint8_t byte) {
    return std::vector<uint8_t>(4096, byte);
}

std::u16string numbered(const char16_t* prefix, int n) {
    return prefix + toUtf16(std::to_string(n));
}

} // namespace

// ---------------------------------------------------------------------------- writes

TEST(RegistryThreads, WritesFromTwoThreadsAllLandAndNeverTear) {
    constexpr int perThread = 300;
    std::atomic<bool> writing{true};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (writing) {
            std::vector<uint8_t> bytes;
            if (readBinary(cu, u"Concurrent", u"Shared", bytes) &&
                (bytes.size() != 4096 || bytes != uniform(bytes[0])))
                ++torn;
        }
    });
    auto writer = [](const char16_t* prefix, uint8_t fill) {
        for (int n = 0; n < perThread; ++n) {
            EXPECT_TRUE(writeBinary(cu, u"Concurrent", numbered(prefix, n), uniform(uint8_t(n))));
            EXPECT_TRUE(writeBinary(cu, u"Concurrent", u"Shared", uniform(fill)));
        }
    };
    std::thread first(writer, u"First", uint8_t(1));
    std::thread second(writer, u"Second", uint8_t(2));
    first.join();
    second.join();
    writing = false;
    reader.join();

    EXPECT_EQ(torn, 0);
    for (const char16_t* prefix : {u"First", u"Second"})
        for (int n = 0; n < perThread; ++n) {
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(readBinary(cu, u"Concurrent", numbered(prefix, n), bytes));
            EXPECT_EQ(bytes, uniform(uint8_t(n)));
        }
}

TEST(RegistryThreads, WritesFromTwoProcessesAllLand) {
    constexpr int count = 300;
    pid_t other = startWriter({"fill", "Processes", "Other", std::to_string(count)});
    ASSERT_GT(other, 0);
    for (int n = 0; n < count; ++n)
        ASSERT_TRUE(writeDword(cu, u"Processes", numbered(u"Own", n), n));
    ASSERT_EQ(waitWriter(other), 0);
    for (const char16_t* prefix : {u"Own", u"Other"})
        for (int n = 0; n < count; ++n) {
            uint32_t number = 0;
            ASSERT_TRUE(readDword(cu, u"Processes", numbered(prefix, n), number));
            EXPECT_EQ(number, uint32_t(n));
        }
}

// ---------------------------------------------------------------------------- notifications

TEST(RegistryThreads, NotifiesCreationChangeAndDeletion) {
    Calls calls;
    NotificationId id = notifyChange(cu, u"notify\\OWN", u"VALUE", calls.callback());
    ASSERT_NE(id, 0u);

    ASSERT_TRUE(writeDword(cu, u"Notify\\Own", u"Value", 1));
    ASSERT_TRUE(calls.waitFor(1)) << "creation";
    ASSERT_TRUE(writeDword(cu, u"Notify\\Own", u"value", 2));
    ASSERT_TRUE(calls.waitFor(2)) << "change";
    ASSERT_TRUE(deleteValue(cu, u"Notify\\Own", u"Value"));
    ASSERT_TRUE(calls.waitFor(3)) << "deletion of the value";
    ASSERT_TRUE(writeDword(cu, u"Notify\\Own", u"Value", 3));
    ASSERT_TRUE(calls.waitFor(4));
    ASSERT_TRUE(deleteKey(cu, u"Notify"));
    ASSERT_TRUE(calls.waitFor(5)) << "deletion of a parent key";
    cancelNotification(id);
}

TEST(RegistryThreads, WriteThatChangesNothingCallsNobody) {
    ASSERT_TRUE(writeDword(cu, u"Same", u"Watched", 1));
    // Callbacks of one wake-up run in the order they were asked for, so once the later
    // sentinel has been called, a callback for the watched value would have run too.
    Calls watched, sentinel;
    NotificationId first = notifyChange(cu, u"Same", u"Watched", watched.callback());
    NotificationId second = notifyChange(cu, u"Same", u"Sentinel", sentinel.callback());

    ASSERT_TRUE(writeDword(cu, u"Same", u"WATCHED", 1));
    ASSERT_TRUE(writeDword(cu, u"Same", u"Sentinel", 1));
    ASSERT_TRUE(sentinel.waitFor(1));
    EXPECT_EQ(watched.count(), 0);

    // The same bytes as another type are a change.
    ASSERT_TRUE(writeBinary(cu, u"Same", u"Watched", {1, 0, 0, 0}));
    EXPECT_TRUE(watched.waitFor(1));
    cancelNotification(first);
    cancelNotification(second);
}

TEST(RegistryThreads, AnotherProcessWriteIsNoticedWithinHalfASecond) {
    Calls calls;
    NotificationId id = notifyChange(cu, u"Cross", u"Value", calls.callback());
    ASSERT_NE(id, 0u);
    ASSERT_EQ(waitWriter(startWriter({"dword", "Cross", "Value", "42"})), 0);
    // The write is committed before the writer exits: the change must be seen by now
    // plus half a second.
    EXPECT_TRUE(calls.waitFor(1, 500ms));

    Calls sentinel;
    NotificationId other = notifyChange(cu, u"Cross", u"Sentinel", sentinel.callback());
    ASSERT_EQ(waitWriter(startWriter({"dword", "Cross", "Value", "42", "Sentinel", "1"})), 0);
    ASSERT_TRUE(sentinel.waitFor(1));
    EXPECT_EQ(calls.count(), 1) << "rewriting the same value in another process";
    cancelNotification(id);
    cancelNotification(other);
}

TEST(RegistryThreads, LastOfManyWritesFromAnotherProcessIsNoticed) {
    // Notifications may merge, but the last write must always reach the watcher: one
    // woken before that write's commit became visible would read the old value and stop.
    constexpr uint32_t writes = 300;
    std::mutex mutex;
    std::condition_variable seen;
    uint32_t latest = 0;
    NotificationId id = notifyChange(cu, u"Burst", u"Value", [&] {
        uint32_t value = 0;
        readDword(cu, u"Burst", u"Value", value);
        std::lock_guard lock(mutex);
        latest = value;
        seen.notify_all();
    });
    ASSERT_EQ(waitWriter(startWriter({"count", "Burst", "Value", std::to_string(writes)})), 0);
    std::unique_lock lock(mutex);
    EXPECT_TRUE(seen.wait_for(lock, patience, [&] { return latest == writes; }))
        << "last value seen: " << latest;
    lock.unlock();
    cancelNotification(id);
}

TEST(RegistryThreads, CancelledNotificationIsNotCalled) {
    Calls cancelled, sentinel;
    NotificationId id = notifyChange(cu, u"Cancel", u"Watched", cancelled.callback());
    NotificationId after = notifyChange(cu, u"Cancel", u"Sentinel", sentinel.callback());
    cancelNotification(id);
    ASSERT_TRUE(writeDword(cu, u"Cancel", u"Watched", 1));
    ASSERT_TRUE(writeDword(cu, u"Cancel", u"Sentinel", 1));
    ASSERT_TRUE(sentinel.waitFor(1));
    EXPECT_EQ(cancelled.count(), 0);
    cancelNotification(after);
}

TEST(RegistryThreads, CancelWaitsForARunningCallback) {
    struct State {
        std::atomic<bool> entered{false};
        std::atomic<bool> finished{false};
    };
    auto* state = new State;
    NotificationId id = notifyChange(cu, u"Running", u"Value", [state] {
        state->entered = true;
        std::this_thread::sleep_for(200ms);
        state->finished = true;
    });
    ASSERT_TRUE(writeDword(cu, u"Running", u"Value", 1));
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!state->entered && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(state->entered);
    cancelNotification(id);
    EXPECT_TRUE(state->finished) << "cancel returned while the callback still ran";
    // Freed right away: a later call would touch freed memory (AddressSanitizer).
    delete state;

    Calls sentinel;
    NotificationId after = notifyChange(cu, u"Running", u"Sentinel", sentinel.callback());
    ASSERT_TRUE(writeDword(cu, u"Running", u"Value", 2));
    ASSERT_TRUE(writeDword(cu, u"Running", u"Sentinel", 1));
    ASSERT_TRUE(sentinel.waitFor(1));
    cancelNotification(after);
}

TEST(RegistryThreads, CallbackMayCancelItself) {
    Calls calls;
    std::atomic<NotificationId> self{0};
    auto count = calls.callback();
    self = notifyChange(cu, u"SelfCancel", u"Value", [&self, count] {
        cancelNotification(self);
        count();
    });
    ASSERT_TRUE(writeDword(cu, u"SelfCancel", u"Value", 1));
    ASSERT_TRUE(calls.waitFor(1));

    Calls sentinel;
    NotificationId after = notifyChange(cu, u"SelfCancel", u"Sentinel", sentinel.callback());
    ASSERT_TRUE(writeDword(cu, u"SelfCancel", u"Value", 2));
    ASSERT_TRUE(writeDword(cu, u"SelfCancel", u"Sentinel", 1));
    ASSERT_TRUE(sentinel.waitFor(1));
    EXPECT_EQ(calls.count(), 1);
    cancelNotification(after);
}

TEST(RegistryThreads, ProcessWithActiveNotificationsExitsPromptly) {
    pid_t writer = startWriter({"watch", "Exit", "Value", "20"});
    ASSERT_GT(writer, 0);
    int status = 0;
    pid_t ended = 0;
    auto deadline = std::chrono::steady_clock::now() + patience;
    while ((ended = waitpid(writer, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    if (ended == 0) {
        kill(writer, SIGKILL);
        waitpid(writer, &status, 0);
        FAIL() << "the process hung at exit";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(RegistryThreads, WindowFormPostsTheMessage) {
    ASSERT_TRUE(registerClass({u"RegistryTestWindow", defaultWindowProcedure}));
    WindowHandle window = createWindow(u"RegistryTestWindow", u"", {0, 0, 10, 10}, false);
    ASSERT_NE(window, 0u);
    uint32_t message = registerWindowMessage(u"VantrelRefreshSMSCounter");
    NotificationId id = notifyChange(cu, u"Window", u"Value", window, message);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(writeDword(cu, u"Window", u"Value", 1));

    bool posted = false;
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!posted && std::chrono::steady_clock::now() < deadline) {
        Message next;
        if (peekMessage(next))
            posted = next.window == window && next.id == message;
        else
            std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(posted);
    cancelNotification(id);
    destroyWindow(window);
}
