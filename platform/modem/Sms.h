#pragma once
// The SMS API the product sends through: open a handle for sending, send one message,
// close. Names, arguments and result codes follow the phone platform's, so the send
// code reads as it did there; the modem underneath is the device's (ModemBackend.h).
// Results: 0 success, negative failure.

#include "platform/modem/ModemBackend.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::platform::modem {

using SmsHandle = uint32_t;

inline constexpr const char16_t* textSmsProvider = u"Microsoft Text SMS Protocol";
inline constexpr uint32_t smsModeReceive = 1;
inline constexpr uint32_t smsModeSend = 2;

inline constexpr int32_t smsOk = 0;
inline constexpr int32_t smsFail = int32_t(0x80004005);
inline constexpr int32_t smsInvalidArgument = int32_t(0x80070057);
inline constexpr int32_t smsInvalidHandle = int32_t(0x80070006);

enum class SmsAddressType : uint32_t { unknown = 0, international = 1, national = 2 };

struct SmsAddress {
    SmsAddressType type = SmsAddressType::unknown;
    std::u16string address; // 256 characters at most
};
inline constexpr size_t maxSmsAddress = 256;
// Far above what a concatenated SMS can carry; a larger text is refused, not sent.
inline constexpr size_t maxSmsTextBytes = 64 * 1024;

// The text provider's data (the platform's 688-byte record; only these fields are read).
inline constexpr uint32_t smsOptionStatusReport = 2;
struct TextProviderData {
    uint32_t messageOptions = 0; // smsOptionStatusReport asks for a delivery report
    uint32_t messageClass = 1;
    uint32_t replaceOption = 0;
};

int32_t SmsOpen(std::u16string_view provider, uint32_t mode, SmsHandle& handle);
// `text` is the message as UTF-16LE bytes without a terminator.
int32_t SmsSendMessage(SmsHandle handle, const SmsAddress* serviceCentre,
                       const SmsAddress& destination, std::span<const uint8_t> text,
                       const TextProviderData& providerData, SmsEncoding encoding, uint32_t options,
                       uint32_t& messageId);
int32_t SmsClose(SmsHandle handle);

// The encoding "optimal" picks: the GSM 7-bit alphabet when every character is in it
// (or in its extension table), else UCS-2.
SmsEncoding resolveEncoding(std::u16string_view text, SmsEncoding requested);

} // namespace vantrel::platform::modem
