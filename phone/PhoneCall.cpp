#include "phone/PhoneCall.h"

#include "lists/Transitions.h"
#include "platform/modem/Phone.h"

namespace vantrel {

int32_t telephonyCall(platform::WindowHandle window, const std::u16string& number,
                      const std::u16string& calledParty) {
    fadeOutWindow(window);
    platform::modem::PhoneMakeCallInfo info;
    info.destAddress = number;
    if (!calledParty.empty())
        info.calledParty = calledParty;
    return platform::modem::PhoneMakeCall(info);
}

} // namespace vantrel
