#pragma once
// "SmsBuffer": the 1024-byte shared block through which an incoming SMS reaches the
// running program. Whoever learns of a new message (the interceptor library, the device
// tool) writes the message's entry id and its sender's number into the block the
// program created, then posts "VantrelNewSMS" to the program's main window; the program
// reads the block while it handles that message. Layout, little endian:
//
//   offset   0   4 bytes  entry id length in bytes
//   offset   4 536 bytes  entry id (only the first "length" bytes count)
//   offset 540 200 bytes  sender number, UTF-16, zero-terminated (99 characters at most)
//   offset 740   4 bytes  messages written
//   offset 744   4 bytes  messages the program has taken
//   offset 748 276 bytes  not used
//
// The program reads the block only while it handles "VantrelNewSMS", so a writer must
// not write the next message before the program took the previous one: it waits until
// the two counts agree (for smsBufferTakeWait at most, should the program hang), and a
// burst of messages never overwrites one the program has not read.

#include "platform/msgstore/MessageStore.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::platform::msgstore {

inline constexpr const char16_t* smsBufferName = u"SmsBuffer";
inline constexpr size_t smsBufferSize = 1024;
inline constexpr size_t smsBufferMaxEntryId = 536;
inline constexpr size_t smsBufferMaxSender = 99; // characters, before the terminator

enum class SmsBufferResult {
    written,
    entryIdTooLong,
    senderTooLong,
    noBuffer,  // the program has not made the block, or it is not a private one of ours
    noProgram, // the block is written but the program's window was not found
};
const char* describe(SmsBufferResult result);

// Lays one message out in `block` (at least smsBufferSize bytes). Too long an entry id
// or sender writes nothing.
SmsBufferResult encodeSmsBuffer(std::span<uint8_t> block, const EntryId& entryId,
                                std::u16string_view sender);

struct SmsBufferContents {
    EntryId entryId;
    std::u16string sender;
};
// Reads a block as the program does; nullopt when its length field is beyond the
// entry id's room or the sender has no terminator within its 100 characters.
std::optional<SmsBufferContents> decodeSmsBuffer(std::span<const uint8_t> block);

// The program, once it has copied the block: the next message may be written.
void markSmsBufferTaken(std::span<uint8_t> block);
// The writer, before it writes: true once the program took every message written, false
// when `budget` ran out first.
inline constexpr std::chrono::milliseconds smsBufferTakeWait{2000};
bool waitUntilSmsBufferTaken(std::span<uint8_t> block, std::chrono::milliseconds budget);

// The interceptor's rule: while this value exists, incoming messages go through it.
inline constexpr const char16_t* interceptorRulesKey =
    u"\\Software\\Microsoft\\Inbox\\Svc\\SMS\\Rules";
inline constexpr const char16_t* interceptorRuleValue = u"{719758B8-8F90-4585-9242-78E25981ED6B}";
bool interceptorRegistered();
bool registerInterceptor();
bool unregisterInterceptor();

// Writes into the device's block and posts "VantrelNewSMS" to the running program.
SmsBufferResult notifyNewSms(const EntryId& entryId, std::u16string_view sender);

} // namespace vantrel::platform::msgstore
