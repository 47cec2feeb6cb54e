#pragma once
// The device's default modem: nothing is transmitted. Every send is recorded (number,
// text, encoding, whether a status report was asked, result) and answered with a
// message id; every dial is recorded and logged as an outgoing call. It can be told to
// fail the next send or refuse the next dial with a given code and to take a given time
// over each send; what it was told is kept in the phone's file, so the device tool can
// tell a running program's modem.

#include "platform/modem/ModemBackend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::platform::modem {

// One send the simulated modem recorded.
struct SentSms {
    uint32_t id = 0;
    uint64_t time = 0;
    std::u16string number;
    std::u16string text;
    SmsEncoding encoding = SmsEncoding::gsm7bit;
    bool statusReport = false;
    int32_t result = 0;
    bool international = false; // the address type the sender gave
};

struct DialRequest {
    uint64_t time = 0;
    std::u16string number;
    std::u16string calledParty;
};

class SimulatedModem : public ModemBackend {
public:
    int32_t sendSms(const OutgoingSms& sms, uint32_t& messageId) override;
    int32_t dial(std::u16string_view number, std::u16string_view calledParty) override;
    bool smsServiceAvailable() override;

    // What the device tool and the tests see and tell, from any process of the device.
    static bool sends(std::vector<SentSms>& out);
    static bool dials(std::vector<DialRequest>& out);
    // A code of 0 clears it.
    static bool failNextSend(int32_t code);
    // The next dial is refused with that code (negative) and not recorded; 0 clears it.
    static bool failNextDial(int32_t code);
    static bool setSendDelay(uint32_t milliseconds);
    // Off: the SMS service cannot be opened until it is switched on again.
    static bool setSmsService(bool on);
};

} // namespace vantrel::platform::modem
