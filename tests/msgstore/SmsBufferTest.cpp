// "SmsBuffer" as the program and the interceptor share it: the layout, the bounds on
// what is written, and the checks on the block before anything is written into it.
#include "platform/msgstore/SmsBuffer.h"
#include "platform/ipc/SharedMemory.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

using namespace vantrel::platform;
using vantrel::platform::ipc::SharedMemory;
using namespace vantrel::platform::msgstore;

TEST(SmsBuffer, AMessageIsLaidOutAtTheFixedOffsetsAndReadsBack) {
    std::array<uint8_t, smsBufferSize> block;
    block.fill(0xAB);
    EntryId id{1, 2, 3, 0, 0xFF};
    ASSERT_EQ(encodeSmsBuffer(block, id, u"+41 79 ü"), SmsBufferResult::written);
    EXPECT_EQ(block[0], 5);
    EXPECT_EQ(block[1] | block[2] | block[3], 0);
    EXPECT_EQ(block[4 + 4], 0xFF);
    EXPECT_EQ(block[4 + 5], 0) << "the rest of the id's room is cleared";
    EXPECT_EQ(block[540], '+');
    EXPECT_EQ(block[540 + 14], 0xFC) << "ü, UTF-16 little endian";
    EXPECT_EQ(block[540 + 16] | block[540 + 17], 0) << "terminator";
    EXPECT_EQ(block[740], 0xAB) << "the unused tail is left alone";
    auto read = decodeSmsBuffer(block);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->entryId, id);
    EXPECT_EQ(read->sender, u"+41 79 ü");
}

TEST(SmsBuffer, TooLongAnIdOrSenderWritesNothing) {
    std::array<uint8_t, smsBufferSize> block{};
    ASSERT_EQ(encodeSmsBuffer(block, EntryId(536, 7), std::u16string(99, u'9')),
              SmsBufferResult::written);
    auto before = block;
    EXPECT_EQ(encodeSmsBuffer(block, EntryId(537, 1), u"1"), SmsBufferResult::entryIdTooLong);
    EXPECT_EQ(encodeSmsBuffer(block, {1}, std::u16string(100, u'1')),
              SmsBufferResult::senderTooLong);
    EXPECT_EQ(block, before);
    auto read = decodeSmsBuffer(block);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->entryId.size(), 536u);
    EXPECT_EQ(read->sender.size(), 99u);
}

TEST(SmsBuffer, AReaderRefusesALengthBeyondTheRoomOrASenderWithoutTerminator) {
    std::array<uint8_t, smsBufferSize> block{};
    block[0] = 0x19;
    block[1] = 0x02; // 537
    EXPECT_FALSE(decodeSmsBuffer(block));
    block[0] = block[1] = 0;
    for (size_t i = 540; i < 740; ++i)
        block[i] = '7';
    EXPECT_FALSE(decodeSmsBuffer(block));
    EXPECT_FALSE(decodeSmsBuffer(std::span(block).first(739)));
}

TEST(SmsBuffer, AWriterWaitsUntilTheProgramTookThePreviousMessage) {
    using namespace std::chrono_literals;
    alignas(4) std::array<uint8_t, smsBufferSize> block{};
    EXPECT_TRUE(waitUntilSmsBufferTaken(block, 0ms)) << "nothing written yet";
    block[740] = 1; // one message written, not taken yet
    EXPECT_FALSE(waitUntilSmsBufferTaken(block, 20ms));
    std::atomic<bool> copied{false};
    std::thread program([&] {
        std::this_thread::sleep_for(30ms);
        copied = true;
        markSmsBufferTaken(block);
    });
    EXPECT_TRUE(waitUntilSmsBufferTaken(block, 60s));
    EXPECT_TRUE(copied) << "the writer went on before the program took the block";
    program.join();
    EXPECT_EQ(block[744], 1);
    // The handshake lives in the unused tail: the message's fields are untouched.
    EXPECT_EQ(encodeSmsBuffer(block, {9}, u"1"), SmsBufferResult::written);
    EXPECT_EQ(block[740], 1);
    EXPECT_TRUE(waitUntilSmsBufferTaken(block, 0ms));
}

TEST(SmsBuffer, TheWriterUsesOnlyAPrivateBlockOfTheRightSize) {
    SharedMemory::remove(smsBufferName);
    EXPECT_EQ(notifyNewSms({1}, u"1"), SmsBufferResult::noBuffer) << "no program, no block";
    {
        auto larger = SharedMemory::create(smsBufferName, 2 * smsBufferSize);
        ASSERT_TRUE(larger);
        EXPECT_EQ(notifyNewSms({1}, u"1"), SmsBufferResult::noBuffer);
        EXPECT_FALSE(SharedMemory::open(smsBufferName, smsBufferSize));
    }
    SharedMemory::remove(smsBufferName);
    auto block = SharedMemory::create(smsBufferName, smsBufferSize);
    ASSERT_TRUE(block);
    // The program's block, but the program's window is gone: written, not delivered.
    EXPECT_EQ(notifyNewSms({4, 2}, u"+4179"), SmsBufferResult::noProgram);
    auto read =
        decodeSmsBuffer(std::span(static_cast<const uint8_t*>(block->data()), block->size()));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->entryId, (EntryId{4, 2}));
    EXPECT_EQ(read->sender, u"+4179");
    SharedMemory::remove(smsBufferName);
}
