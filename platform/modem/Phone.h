#pragma once
// The phone library the product reads the call log through and places calls with.
// Names and result codes follow the phone platform's: the log is read newest first,
// one entry a call, until the end result.

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::platform::modem {

using CallLogHandle = uint32_t;

inline constexpr int32_t phoneOk = 0;
inline constexpr int32_t phoneNoMoreEntries = 1;
inline constexpr int32_t phoneFail = int32_t(0x80004005);
inline constexpr int32_t phoneInvalidArgument = int32_t(0x80070057);
inline constexpr int32_t phoneInvalidHandle = int32_t(0x80070006);

enum CallDirection : uint32_t { callMissed = 0, callIncoming = 1, callOutgoing = 2 };
namespace callFlag {
inline constexpr uint32_t outgoing = 0x1;
inline constexpr uint32_t connected = 0x2;
inline constexpr uint32_t ended = 0x4;
inline constexpr uint32_t roaming = 0x8;
} // namespace callFlag
enum CallerIdType : uint32_t {
    callerIdUnavailable = 0,
    callerIdBlocked = 1,
    callerIdAvailable = 2
};

struct CallLogEntry {
    uint64_t startTime = 0; // file times, UTC
    uint64_t endTime = 0;
    uint32_t direction = callMissed;
    uint32_t flags = 0;
    uint32_t callerIdType = callerIdUnavailable;
    std::u16string number;
    std::u16string name;
    std::u16string nameType;
    std::u16string note;
};

int32_t PhoneOpenCallLog(CallLogHandle& handle);
// phoneOk with the next entry, phoneNoMoreEntries at the end, negative on failure.
int32_t PhoneGetCallLogEntry(CallLogHandle handle, CallLogEntry& entry);
int32_t PhoneCloseCallLog(CallLogHandle handle);

struct PhoneMakeCallInfo {
    uint32_t size = 28;
    uint32_t flags = 1; // default behaviour
    std::u16string destAddress;
    std::optional<std::u16string> appName;
    std::optional<std::u16string> calledParty;
    std::optional<std::u16string> comment;
};
inline constexpr size_t maxDialAddress = 256;
int32_t PhoneMakeCall(const PhoneMakeCallInfo& info);

// For the device, not the product: adds a call to the log as the phone would after it.
bool addCallLogEntry(const CallLogEntry& entry);

} // namespace vantrel::platform::modem
