// Threads of one process meeting on named objects through handles of their own, as
// threads of different processes would: the checker sees every hand-over. Runs under
// ThreadSanitizer (label "threads").
#include "platform/ipc/NamedEvent.h"
#include "platform/ipc/NamedMutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace vantrel::platform;
using namespace std::chrono_literals;
using ipc::WaitResult;

namespace {

TEST(NamedMutexThreads, OwnersTakeItAgainAndOthersWaitTillEveryTakingIsGivenBack) {
    constexpr int threads = 4, rounds = 2000;
    long counter = 0; // guarded by the named mutex alone
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            auto mutex = ipc::NamedMutex::create(u"Counter");
            ASSERT_TRUE(mutex);
            for (int i = 0; i < rounds; ++i) {
                ASSERT_EQ(mutex->wait(), WaitResult::signaled);
                ASSERT_EQ(mutex->wait(0ms), WaitResult::signaled) << "its owner takes it again";
                ++counter;
                ASSERT_TRUE(mutex->release());
                ++counter;
                ASSERT_TRUE(mutex->release());
            }
        });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(counter, 2L * threads * rounds);

    auto mutex = ipc::NamedMutex::create(u"Counter");
    ASSERT_EQ(mutex->wait(), WaitResult::signaled);
    std::thread([] {
        auto other = ipc::NamedMutex::create(u"Counter");
        EXPECT_EQ(other->wait(50ms), WaitResult::timedOut);
    }).join();
    EXPECT_TRUE(mutex->release());
    ipc::removeNamedObject(u"Counter");
}

TEST(NamedMutexThreads, AThreadEndingWithItHandsItOnAsAbandoned) {
    std::thread([] { ipc::NamedMutex::create(u"Left")->wait(); }).join();
    auto mutex = ipc::NamedMutex::create(u"Left");
    EXPECT_EQ(mutex->wait(), WaitResult::abandoned);
    EXPECT_TRUE(mutex->release());
    EXPECT_EQ(mutex->wait(0ms), WaitResult::signaled);
    EXPECT_TRUE(mutex->release());
    ipc::removeNamedObject(u"Left");
}

TEST(NamedEventThreads, SetsHandWorkBackAndForthWithoutLosingOne) {
    constexpr int rounds = 2000;
    std::vector<int> handed; // written by whoever was let through last
    std::thread other([&] {
        auto ping = ipc::NamedEvent::create(u"Ping");
        auto pong = ipc::NamedEvent::create(u"Pong");
        for (int i = 0; i < rounds; ++i) {
            ASSERT_EQ(ping->wait(10s), WaitResult::signaled);
            handed.push_back(-i);
            pong->set();
        }
    });
    auto ping = ipc::NamedEvent::create(u"Ping");
    auto pong = ipc::NamedEvent::create(u"Pong");
    for (int i = 0; i < rounds; ++i) {
        handed.push_back(i);
        ping->set();
        ASSERT_EQ(pong->wait(10s), WaitResult::signaled);
    }
    other.join();
    ASSERT_EQ(handed.size(), 2u * rounds);
    EXPECT_EQ(handed[2 * rounds - 1], -(rounds - 1));
    ipc::removeNamedObject(u"Ping");
    ipc::removeNamedObject(u"Pong");
}

} // namespace
