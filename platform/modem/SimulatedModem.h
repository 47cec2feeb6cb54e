#pragma once
// The device's default modem: nothing is transmitted. Every send is recorded (number,
// text, encoding, whether a status report was asked, result) and answered with a
// message id; every dial is recorded and logged as an outgoing call. It can be told to
// fail the next send with a given code and to take a given time over each send; what
// it was told is kept in the phone's file, so the device tool can tell a running
// program's modem.

#include "platform/modem/ModemBackend.h"

namespace vantrel::platform::modem {

class SimulatedModem : public ModemBackend {
public:
    int32_t sendSms(const OutgoingSms& sms, uint32_t& messageId) override;
    int32_t dial(std::u16string_view number, std::u16string_view calledParty) override;
};

} // namespace vantrel::platform::modem
