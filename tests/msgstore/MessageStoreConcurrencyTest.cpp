// The message store shared by the threads of a process and by several processes of
// the device: writers that never lose each other's messages, a reader that never sees
// half a message, and a writer killed at any moment that loses nothing it committed and
// leaves a store that opens.
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/registry/Registry.h"
#include "tests/msgstore/StoreHelpers.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform::msgstore;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// What the inbox holds, per writer: the message numbers seen. A message whose subject
// and sender disagree, or that lacks either, was read half written.
struct Census {
    std::map<std::string, std::set<long>> numbers;
    int torn = 0;
};

Census takeCensus() {
    Census census;
    auto inbox = test::openFolder(tag::inboxEntryId);
    if (!inbox) {
        census.torn = -1;
        return census;
    }
    auto table = inbox->contentsTable();
    table->setColumns({tag::subject, tag::senderEmailAddress, tag::messageFlags});
    for (auto rows = table->queryRows(100); !rows.empty(); rows = table->queryRows(100)) {
        for (const Row& row : rows) {
            std::string subject = platform::toUtf8(row[0].asText());
            size_t colon = subject.find(':');
            if (colon == std::string::npos || !row[2].found()) {
                ++census.torn;
                continue;
            }
            std::string writer = subject.substr(0, colon);
            std::string number = subject.substr(colon + 1);
            if (platform::toUtf8(row[1].asText()) != "+" + writer + "0" + number)
                ++census.torn;
            census.numbers[writer].insert(std::stol(number));
        }
    }
    return census;
}

std::string writerPath() {
    return MSGSTORE_WRITER;
}

} // namespace

TEST(MessageStoreThreads, WritersBatchesAndAReaderInOneProcessShareTheStore) {
    constexpr int count = 200;
    std::atomic<bool> writing{true};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (writing)
            if (takeCensus().torn != 0)
                ++torn;
    });
    auto write = [](std::string writer, bool batched) {
        auto inbox = test::openFolder(tag::inboxEntryId);
        ASSERT_TRUE(inbox);
        for (int n = 1; n <= count; n += 20) {
            // Half the writes in batches of twenty, as a seeding tool makes them.
            std::optional<WriteBatch> batch;
            if (batched)
                batch.emplace();
            for (int k = n; k < n + 20; ++k) {
                std::string number = std::to_string(k);
                ASSERT_FALSE(test::receiveSms(*inbox,
                                              platform::toUtf16("+" + writer + "0" + number),
                                              platform::toUtf16(writer + ":" + number), uint64_t(k))
                                 .empty());
            }
        }
    };
    std::thread first(write, "71", false);
    std::thread second(write, "72", true);
    first.join();
    second.join();
    writing = false;
    reader.join();
    EXPECT_EQ(torn, 0);
    Census census = takeCensus();
    EXPECT_EQ(census.numbers["71"].size(), size_t(count));
    EXPECT_EQ(census.numbers["72"].size(), size_t(count));
}

TEST(MessageStoreProcesses, TwoWritersAndAReaderLoseNothingAndNeverSeeHalfAMessage) {
    constexpr int count = 150;
    test::BackgroundProcess first({writerPath(), "1", std::to_string(count)});
    test::BackgroundProcess second({writerPath(), "2", std::to_string(count)});
    size_t lastSeen = 0;
    int passes = 0;
    bool running = true;
    while (running) {
        Census census = takeCensus();
        ASSERT_EQ(census.torn, 0);
        size_t seen = census.numbers["1"].size() + census.numbers["2"].size();
        ASSERT_GE(seen, lastSeen) << "a committed message disappeared";
        lastSeen = seen;
        ++passes;
        running = seen < 2 * count;
        if (passes > 20000)
            FAIL() << "the writers did not finish";
    }
    EXPECT_EQ(first.wait(30s), 0) << first.errors();
    EXPECT_EQ(second.wait(30s), 0) << second.errors();
    Census census = takeCensus();
    for (const char* writer : {"1", "2"}) {
        ASSERT_EQ(census.numbers[writer].size(), size_t(count)) << writer;
        EXPECT_EQ(*census.numbers[writer].rbegin(), count);
    }
    uint32_t unread = 0;
    platform::registry::readDword(platform::registry::Root::currentUser,
                                  u"System\\State\\Messages\\SMS\\Unread", u"Count", unread);
    size_t inInbox = 0;
    for (const auto& [writer, numbers] : census.numbers)
        inInbox += numbers.size();
    EXPECT_EQ(unread, inInbox) << "every writer's count reached the registry in order";
}

TEST(MessageStoreProcesses, AWriterKilledAtAnyMomentLosesNothingItCommitted) {
    std::mt19937 random(7);
    for (int round = 0; round < 25; ++round) {
        std::string writer = "9" + std::to_string(round);
        long committed = 0;
        {
            test::BackgroundProcess process({writerPath(), writer, "100000"});
            int wanted = 1 + int(random() % 40);
            ASSERT_TRUE(process.waitForLine("committed " + std::to_string(wanted), 20s))
                << process.errors();
            committed = wanted;
            // Destroying it kills it with SIGKILL, somewhere in its next write.
        }
        Census census = takeCensus();
        ASSERT_EQ(census.torn, 0) << "round " << round;
        const auto& numbers = census.numbers[writer];
        ASSERT_GE(numbers.size(), size_t(committed)) << "round " << round;
        // Whatever it got to commit is there from the first message on, without a gap.
        EXPECT_EQ(long(*numbers.rbegin()), long(numbers.size())) << "round " << round;
    }
    for (const auto& entry : fs::directory_iterator(platform::deviceFolder()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("messages.db.broken"))
            << "a killed writer never leaves a store that must be moved aside";
}
