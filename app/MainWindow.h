#pragma once
// The main window's procedure: system messages become calls on the screens, the
// registered messages of the device switch screens and refresh counters.

#include "platform/core/Window.h"

#include <string>
#include <vector>

namespace vantrel {

intptr_t mainWindowProcedure(platform::WindowHandle window, uint32_t id, uintptr_t wParam,
                             intptr_t lParam);

// Turns the two logs below on (or off, emptying them). Only scripts read them, so only a
// run driven by a script keeps them: in a normal run they would grow for ever.
void recordForScripts(bool on);

// The registered messages the main window has handled, by name, oldest first; scripts
// check what reached the window with it.
const std::vector<std::u16string>& handledRegisteredMessages();

// Where the stylus went down on the window, in client coordinates, oldest first.
const std::vector<platform::Point>& stylusDowns();

} // namespace vantrel
