#pragma once
// Placing a call. The program never tracks a call itself: it hands the number to the
// phone and learns what happened only from the call log.

#include "platform/core/Window.h"

#include <cstdint>
#include <string>

namespace vantrel {

// The one way the program places a call: the screen fades out and the phone gets the
// number with the called party's name (none when empty). Returns the phone's result,
// negative when the phone refused the call.
int32_t telephonyCall(platform::WindowHandle window, const std::u16string& number,
                      const std::u16string& calledParty);

} // namespace vantrel
