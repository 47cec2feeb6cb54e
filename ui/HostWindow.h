#pragma once
// The procedure of a window that is nothing but its controls: paint, size, stylus, keys,
// characters and timers all go to the window's control host. Test windows and tool
// programs use it; the main window has its own, with the phone's rules on focus and
// visibility.

#include "platform/core/Window.h"

namespace vantrel {

intptr_t hostWindowProcedure(platform::WindowHandle window, uint32_t id, uintptr_t wParam,
                             intptr_t lParam);

} // namespace vantrel
