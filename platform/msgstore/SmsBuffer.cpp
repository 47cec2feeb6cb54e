#include "platform/msgstore/SmsBuffer.h"

#include "platform/core/Paths.h"
#include "platform/core/PrivateFiles.h"
#include "platform/ipc/SharedMemory.h"
#include "platform/ipc/WindowChannel.h"
#include "platform/registry/Registry.h"
#include "platform/registry/SqliteFile.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantrel::platform::msgstore {

namespace {

constexpr size_t entryIdOffset = 4;
constexpr size_t senderOffset = 540;
constexpr size_t usedBytes = 740;
constexpr size_t writtenOffset = 740;
constexpr size_t takenOffset = 744;

// The two counts are shared with another process: each is read and written whole.
std::atomic_ref<uint32_t> count(std::span<uint8_t> block, size_t offset) {
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(block.data() + offset));
}

void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

// Holds the device's writer lock of the block while it lives: two processes writing
// at once would leave one message's entry id beside the other's sender.
class WriterLock {
public:
    WriterLock() {
        std::filesystem::path path = deviceFolder() / "SmsBuffer.lock";
        fd_ = openPrivateFile(path);
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
    }
    ~WriterLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

const char* describe(SmsBufferResult result) {
    switch (result) {
    case SmsBufferResult::written:
        return "written";
    case SmsBufferResult::entryIdTooLong:
        return "the entry id is longer than 536 bytes";
    case SmsBufferResult::senderTooLong:
        return "the sender is longer than 99 characters";
    case SmsBufferResult::noBuffer:
        return "the program's \"SmsBuffer\" is missing or not private";
    case SmsBufferResult::noProgram:
        return "the program is not running on this device";
    }
    return "";
}

SmsBufferResult encodeSmsBuffer(std::span<uint8_t> block, const EntryId& entryId,
                                std::u16string_view sender) {
    if (entryId.size() > smsBufferMaxEntryId)
        return SmsBufferResult::entryIdTooLong;
    if (sender.size() > smsBufferMaxSender)
        return SmsBufferResult::senderTooLong;
    if (block.size() < smsBufferSize)
        return SmsBufferResult::noBuffer;
    std::fill_n(block.begin(), usedBytes, uint8_t(0));
    put32(block.data(), uint32_t(entryId.size()));
    std::copy(entryId.begin(), entryId.end(), block.begin() + entryIdOffset);
    for (size_t i = 0; i < sender.size(); ++i) {
        block[senderOffset + 2 * i] = uint8_t(sender[i]);
        block[senderOffset + 2 * i + 1] = uint8_t(sender[i] >> 8);
    }
    return SmsBufferResult::written;
}

std::optional<SmsBufferContents> decodeSmsBuffer(std::span<const uint8_t> block) {
    if (block.size() < usedBytes)
        return std::nullopt;
    uint32_t length = uint32_t(block[0]) | uint32_t(block[1]) << 8 | uint32_t(block[2]) << 16 |
                      uint32_t(block[3]) << 24;
    if (length > smsBufferMaxEntryId)
        return std::nullopt;
    SmsBufferContents contents;
    contents.entryId.assign(block.begin() + entryIdOffset, block.begin() + entryIdOffset + length);
    for (size_t i = 0;; ++i) {
        if (i > smsBufferMaxSender)
            return std::nullopt;
        char16_t c = char16_t(block[senderOffset + 2 * i] | block[senderOffset + 2 * i + 1] << 8);
        if (c == 0)
            break;
        contents.sender += c;
    }
    return contents;
}

void markSmsBufferTaken(std::span<uint8_t> block) {
    if (block.size() < smsBufferSize)
        return;
    count(block, takenOffset).store(count(block, writtenOffset).load());
}

bool waitUntilSmsBufferTaken(std::span<uint8_t> block, std::chrono::milliseconds budget) {
    if (block.size() < smsBufferSize)
        return false;
    auto until = std::chrono::steady_clock::now() + budget;
    while (count(block, takenOffset).load() != count(block, writtenOffset).load()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool interceptorRegistered() {
    uint32_t rule = 0;
    return registry::readDword(registry::Root::localMachine, interceptorRulesKey,
                               interceptorRuleValue, rule);
}

bool registerInterceptor() {
    return registry::writeDword(registry::Root::localMachine, interceptorRulesKey,
                                interceptorRuleValue, 1);
}

bool unregisterInterceptor() {
    registry::deleteValue(registry::Root::localMachine, interceptorRulesKey, interceptorRuleValue);
    return !interceptorRegistered();
}

SmsBufferResult notifyNewSms(const EntryId& entryId, std::u16string_view sender) {
    // Checked before the block is touched: a refused message leaves the previous one.
    if (entryId.size() > smsBufferMaxEntryId)
        return SmsBufferResult::entryIdTooLong;
    if (sender.size() > smsBufferMaxSender)
        return SmsBufferResult::senderTooLong;
    // The lock covers the write and the post, so the program's notifications come in
    // the order of the messages they announce.
    WriterLock lock;
    auto block = ipc::SharedMemory::open(smsBufferName, smsBufferSize);
    if (!block)
        return SmsBufferResult::noBuffer;
    std::span bytes(static_cast<uint8_t*>(block->data()), block->size());
    // A program that hangs does not hold up the device for ever: its unread message is
    // then overwritten, and the store still has it for the next count.
    waitUntilSmsBufferTaken(bytes, smsBufferTakeWait);
    SmsBufferResult result = encodeSmsBuffer(bytes, entryId, sender);
    if (result != SmsBufferResult::written)
        return result;
    count(bytes, writtenOffset).fetch_add(1);
    if (ipc::postToProgram(u"VantrelNewSMS") != ipc::PostResult::posted) {
        // Nobody will take it: the next writer need not wait.
        count(bytes, writtenOffset).fetch_sub(1);
        return SmsBufferResult::noProgram;
    }
    return SmsBufferResult::written;
}

} // namespace vantrel::platform::msgstore
