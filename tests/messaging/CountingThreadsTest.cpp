// Messages stored by another thread while scans run on a third and the interface thread
// applies what they found: every message is counted exactly once (run under TSan).

#include "tests/messaging/MessagingFixture.h"

#include <atomic>
#include <thread>

using namespace vantrel;
using namespace vantrel::test;

TEST_F(Messaging, MessagesArrivingDuringScansAreEachCountedOnce) {
    add(u"Anna", {{prop::mobile, u"+41 79 555 01 02"}});
    load();
    constexpr int stored = 150;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        auto folder = openFolder(tag::inboxEntryId);
        for (int i = 0; i < stored; ++i)
            // Every third from an unknown number, times out of arrival order.
            receiveSms(*folder, i % 3 ? u"+41795550102" : u"+41 76 000 00 00", u"m",
                       at((i * 7) % 50));
        writing = false;
    });
    std::thread scanner([&] {
        counter->recountMessages();
        while (writing)
            counter->scanSmsCounts();
        counter->scanSmsCounts();
    });
    std::atomic<bool> scanned{false};
    std::thread waiter([&] {
        scanner.join();
        scanned = true;
    });
    while (!scanned) {
        counter->apply(*list);
        std::this_thread::yield();
    }
    writer.join();
    waiter.join();
    counter->apply(*list);
    EXPECT_EQ(counts(u"Anna").messages, 100);
    EXPECT_EQ(counts(u"Anna").unread, 100);
    EXPECT_EQ(counts(u"<+41 76 000 00 00>").messages, 50);
}
