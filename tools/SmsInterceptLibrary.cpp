// libsmsintercept.so: the SMS interceptor the program registers at start-up. Its rule
// routes every incoming SMS through it; for each it fills "SmsBuffer" and posts
// "VantrelNewSMS" to the running program, with the same code the device tool uses.
#include "platform/msgstore/SmsBuffer.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr long ok = 0;
constexpr long failed = 0x80004005L;

} // namespace

extern "C" {

// Writes the rule value, which tells the program the interceptor is in place.
long DllRegisterServer() {
    return vantrel::platform::msgstore::registerInterceptor() ? ok : failed;
}

long DllUnregisterServer() {
    return vantrel::platform::msgstore::unregisterInterceptor() ? ok : failed;
}

// Called for an incoming message once it is stored: its entry id and the sender's
// zero-terminated number. Too long an id or number is refused, writing nothing.
long SmsInterceptorProcessMessage(const uint8_t* entryId, uint32_t entryIdSize,
                                  const char16_t* sender) {
    using namespace vantrel::platform::msgstore;
    if (!entryId || !sender || entryIdSize > smsBufferMaxEntryId)
        return failed;
    std::u16string_view number(sender);
    auto result = notifyNewSms(EntryId(entryId, entryId + entryIdSize), number);
    return result == SmsBufferResult::written ? ok : failed;
}

} // extern "C"
