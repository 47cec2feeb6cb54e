#pragma once
// What the SMS API and the phone library ask of a modem: send one SMS, place one call.
// The device picks one backend at start-up from VANTREL_MODEM: "simulated" (the default,
// SimulatedModem.h) records what it is asked to do. A backend for a real modem
// (ModemManager over D-Bus) fills in the same two calls.

#include <cstdint>
#include <string>

namespace vantrel::platform::modem {

enum class SmsEncoding : uint32_t { optimal = 0, gsm7bit = 1, ucs2 = 2 };

struct OutgoingSms {
    std::u16string number;
    bool international = false; // the address type the caller gave
    std::u16string text;
    SmsEncoding encoding = SmsEncoding::optimal; // resolved: never optimal here
    bool statusReport = false;
};

class ModemBackend {
public:
    virtual ~ModemBackend() = default;
    // A result code as the SMS API returns it (negative: failed) and, on success, the
    // modem's id for the message.
    virtual int32_t sendSms(const OutgoingSms& sms, uint32_t& messageId) = 0;
    // Hands the number to the modem; negative when it refuses.
    virtual int32_t dial(std::u16string_view number, std::u16string_view calledParty) = 0;
    // Whether a handle for sending SMS can be opened now.
    virtual bool smsServiceAvailable() { return true; }
};

// The device's backend, chosen on first use; nullptr when VANTREL_MODEM names none.
ModemBackend* modemBackend();

} // namespace vantrel::platform::modem
